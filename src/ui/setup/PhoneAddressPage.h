// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ui/setup/WizardPage.h"

#include <optional>

// Page 3: the cellular phone's e-mail address, to which the user's messages are mailed, or
// a notification URL, to which apprise hands them. In the wizard its Finish writes the
// whole user.
class PhoneAddressPage : public WizardPage {
    Q_OBJECT
public:
    PhoneAddressPage(AppContext &context, SetupRun &run, QWidget *parent = nullptr);

    void load(const QString &nextWord) override;
    Step next() override;
    void finish(QWidget *boxParent) override;

private:
    QLineEdit *m_phone = nullptr;
    // The keyring change Finish leaves for finish().
    QString m_login;
    std::optional<QString> m_password;
};

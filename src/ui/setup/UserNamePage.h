// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ui/setup/WizardPage.h"

#include <functional>

// Page 1: the user's name, guessed from the login in the first run. In the wizard a name
// that a user already has is refused.
class UserNamePage : public WizardPage {
    Q_OBJECT
public:
    UserNamePage(AppContext &context, SetupRun &run, const std::function<QString()> &accountName,
        QWidget *parent = nullptr);

    void load(const QString &nextWord) override;
    Step next() override;

private:
    const std::function<QString()> &m_accountName;
    QLabel *m_status = nullptr;
    QLineEdit *m_name = nullptr;
    QLabel *m_instruction = nullptr;
};

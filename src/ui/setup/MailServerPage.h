// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/MailServerOptions.h"
#include "ui/setup/MailAccountGuess.h"
#include "ui/setup/WizardPage.h"

#include <optional>

class QPushButton;
class ServerOptionsDialog;

// Page 2: the sender's e-mail address and SMTP server, the user's own or the defaults
// offered to every new user. Advanced... opens the server options (security, port,
// login, password); what it takes is held here until Next or Apply, like the boxes' text,
// so that Cancel undoes it too.
class MailServerPage : public WizardPage {
    Q_OBJECT
public:
    MailServerPage(AppContext &context, SetupRun &run, const MailAccountGuess &mailAccountGuess,
        QWidget *parent = nullptr);

    void load(const QString &nextWord) override;
    Step next() override;
    void finish(QWidget *boxParent) override;

private:
    // Editing one configured user's own settings, which are written at Apply.
    bool editingUser() const;
    // Whether a user can send with these settings; if not, says what is missing.
    bool acceptable(const QString &address, const QString &server);
    void editServerOptions();
    // First run: what the mail clients' account data offers, weighed against the address
    // and server already confirmed in this run. The server options follow the server that
    // the page shows. Runs after the options are loaded.
    void guessMailAccount();

    const MailAccountGuess &m_mailAccountGuess;
    QLabel *m_status = nullptr;
    QLineEdit *m_address = nullptr;
    QLineEdit *m_server = nullptr;
    QPushButton *m_advanced = nullptr;
    QLabel *m_instruction = nullptr;
    ServerOptionsDialog *m_serverOptions = nullptr;
    MailServerOptions m_loadedOptions; // as load() found them
    MailServerOptions m_options; // as the dialog left them
    std::optional<QString> m_password; // as SetupRun::password
};

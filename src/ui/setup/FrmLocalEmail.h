#pragma once

#include "app/MailServerOptions.h"
#include "ui/setup/SetupPage.h"

#include <optional>

class ServerOptionsDialog;

// Page 2: the user's own e-mail address (txtData(0)) and SMTP server (txtData(1)), or
// the defaults offered to every new user. lblInfo(2) "Email Address:", lblInfo(3)
// "SMTP Address:", lblInfo(5) the status line, lblInfo(1) the instruction line.
// cmdAdvanced opens frmServerOptions for the mail server's security, port and login; what
// it takes is held here until Next or Apply, like the boxes' text.
class FrmLocalEmail : public SetupPage {
    Q_OBJECT
public:
    FrmLocalEmail(Program &program, SetupWizard &wizard, QWidget *parent = nullptr);

    QPushButton *cmdAdvanced = nullptr;
    ServerOptionsDialog &serverOptionsDialog() { return *m_serverOptions; }

    void Form_Load() override;
    void cmdNext_Click() override;
    void cmdBack_Click() override;
    void cmdAdvanced_Click();

private:
    // Editing one configured user's own settings, which are written at Apply.
    bool editingUser() const;
    // Whether a user can send with these settings; if not, says what is missing.
    bool acceptable(const QString &address, const QString &server);

    ServerOptionsDialog *m_serverOptions = nullptr;
    MailServerOptions m_loadedServer; // as Form_Load found them
    MailServerOptions m_server; // as the dialog left them
    std::optional<QString> m_password; // as Program::PendingPassword

    // First-run set-up: what the mail clients' account data offers, weighed against the
    // address and server already confirmed in this run. The server options follow the
    // server that the page shows. Runs after the options are loaded.
    void guessMailAccount();
};

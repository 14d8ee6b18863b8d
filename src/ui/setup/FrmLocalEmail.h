#pragma once

#include "ui/setup/SetupPage.h"

// Page 2: the user's own e-mail address (txtData(0)) and SMTP server (txtData(1)), or
// the defaults offered to every new user. lblInfo(2) "Email Address:", lblInfo(3)
// "SMTP Address:", lblInfo(5) the status line, lblInfo(1) the instruction line.
class FrmLocalEmail : public SetupPage {
    Q_OBJECT
public:
    FrmLocalEmail(Program &program, SetupWizard &wizard, QWidget *parent = nullptr);

    void Form_Load() override;
    void cmdNext_Click() override;
    void cmdBack_Click() override;

private:
    // First-run set-up: what the mail clients' account data offers, weighed against the
    // address and server already confirmed in this run.
    void guessMailAccount();
};

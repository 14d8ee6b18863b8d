#pragma once

#include "ui/setup/SetupPage.h"

// Page 3: the cellular-phone e-mail address (txtData(0)), the address to which the
// user's messages are mailed. lblInfo(2) the request, lblInfo(1) "Cellular Phone
// Email:", lblInfo(4) the example block. In the wizard its Finish writes the user.
class FrmCellEmail : public SetupPage {
    Q_OBJECT
public:
    FrmCellEmail(Program &program, SetupWizard &wizard, QWidget *parent = nullptr);

    static const QString ExampleBlock;

    void Form_Load() override;
    void cmdNext_Click() override;
    void cmdBack_Click() override;
};

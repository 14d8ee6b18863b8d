#pragma once

#include "ui/setup/SetupPage.h"

// Page 1: the user name. txtData(0) the name; lblInfo(0) the status line, lblInfo(1)
// "User Name:", lblInfo(4) the instruction line.
class FrmUserName : public SetupPage {
    Q_OBJECT
public:
    FrmUserName(Program &program, SetupWizard &wizard, QWidget *parent = nullptr);

    void Form_Load() override;
    void cmdNext_Click() override;
};

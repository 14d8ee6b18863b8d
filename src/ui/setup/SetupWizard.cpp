#include "ui/setup/SetupWizard.h"

#include "ui/setup/AccountNameGuess.h"
#include "ui/setup/FrmCellEmail.h"
#include "ui/setup/FrmLocalEmail.h"
#include "ui/setup/FrmUserName.h"

#include <cstdlib>

SetupWizard::SetupWizard(Program &program)
    : endProgram([] { std::_Exit(0); })
    , accountName(AccountNameGuess)
    , mailAccountGuess([] { return MailAccount {}; })
    , p(program)
{
}

SetupWizard::~SetupWizard() = default;

FrmUserName &SetupWizard::frmUserName()
{
    if (!m_userName)
        m_userName = std::make_unique<FrmUserName>(p, *this);
    return *m_userName;
}

FrmLocalEmail &SetupWizard::frmLocalEmail()
{
    if (!m_localEmail)
        m_localEmail = std::make_unique<FrmLocalEmail>(p, *this);
    return *m_localEmail;
}

FrmCellEmail &SetupWizard::frmCellEmail()
{
    if (!m_cellEmail)
        m_cellEmail = std::make_unique<FrmCellEmail>(p, *this);
    return *m_cellEmail;
}

SetupPage &SetupWizard::page(Page which)
{
    switch (which) {
    case Page::UserName:
        return frmUserName();
    case Page::LocalEmail:
        return frmLocalEmail();
    case Page::CellEmail:
        break;
    }
    return frmCellEmail();
}

void SetupWizard::Open(Page which)
{
    SetupPage &shown = page(which);
    // A page made just now has run its load logic already; the refresh runs it again
    // once the page is on the screen, which changes nothing.
    shown.tmrRefresh.start();
    shown.ShowModal();
}

void SetupWizard::EndProgram()
{
    m_abandoned = true;
    if (endProgram)
        endProgram();
}

#pragma once

#include "ui/setup/MailAccountGuess.h"

#include <QString>
#include <functional>
#include <memory>

class FrmCellEmail;
class FrmLocalEmail;
class FrmUserName;
class Program;
class SetupPage;

// The three set-up pages and how an opener runs them. The mode comes from the program
// state the opener sets first:
//
//   first-run set-up       FirstRun (already set), SetupUser = 1          Open(UserName)
//   adding a user          AddingUser = true, SetupUser = the free slot   Open(UserName),
//                          then AddingUser = false
//   Change User Name       SetupUser = CurrentUser                        Open(UserName),
//                          then GetUserInfo
//   Change User Email      SetupUser = CurrentUser                        Open(LocalEmail)
//   Change Cellular Phone  SetupUser = CurrentUser                        Open(CellEmail)
//   Change Defaults        EditingDefaults = true                         Open(LocalEmail),
//                          then EditingDefaults = false
//
// Open() returns only when the whole chain of pages (or the single page) has ended.
// The pages are made on first use and live as long as the wizard; hidden pages keep
// what their boxes hold.
class SetupWizard {
public:
    enum class Page { UserName, LocalEmail, CellEmail };

    explicit SetupWizard(Program &program);
    ~SetupWizard();
    SetupWizard(const SetupWizard &) = delete;
    SetupWizard &operator=(const SetupWizard &) = delete;

    FrmUserName &frmUserName();
    FrmLocalEmail &frmLocalEmail();
    FrmCellEmail &frmCellEmail();
    SetupPage &page(Page which);

    // Enables the page's refresh and shows it modally; returns when the wizard has ended.
    void Open(Page which);

    // Cancelling the first-run set-up with Yes: ends the program at once.
    void EndProgram();
    // Whether the first-run set-up was given up (only ever seen when endProgram returns).
    bool Abandoned() const { return m_abandoned; }

    // How the program ends: at once, without unloading anything. Every setting written
    // so far is already on disk.
    std::function<void()> endProgram;
    // The user name offered on page 1.
    std::function<QString()> accountName;
    // The mail-account search of page 2 in first-run set-up; finds nothing by default.
    // The program hands in the search of the installed mail clients.
    MailAccountGuess mailAccountGuess;

private:
    Program &p;
    std::unique_ptr<FrmUserName> m_userName;
    std::unique_ptr<FrmLocalEmail> m_localEmail;
    std::unique_ptr<FrmCellEmail> m_cellEmail;
    bool m_abandoned = false;
};

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ui/setup/MailAccountGuess.h"
#include "ui/setup/SetupRun.h"

#include <QDialog>
#include <QList>
#include <functional>

class AppContext;
class QPushButton;
class QStackedWidget;
class WizardPage;

// The set-up wizard: one dialog whose three pages (the user's name, the mail server, the
// phone address) take turns in the "Tolvane Setup" frame. Back and Next only change the
// page; nothing is written before Finish except the defaults that page 2's Next writes in
// the first run. Opened for one page (the user commands' edits) it shows that page alone,
// with Apply.
//
//   first-run set-up       begin(Mode::FirstRun, 1)             ends Completed or Abandoned
//   adding a user          begin(Mode::AddUser, free slot)
//   the user's name        begin(Mode::EditName, user)
//   the user's mail        begin(Mode::EditMailServer, user)
//   the user's phone       begin(Mode::EditPhoneAddress, user)
//   the defaults           begin(Mode::EditDefaults)
//
// begin() only sets the wizard up; show() or exec() puts it on the screen (run() does
// both), and finished() tells how it ended.
class SetupWizard : public QDialog {
    Q_OBJECT
public:
    using Mode = SetupRun::Mode;
    // How a run ended: QDialog's own two codes, and a first run given up (Cancel, then Yes
    // to "Abort Tolvane Setup?"), after which the program ends.
    enum Outcome { Cancelled = QDialog::Rejected, Completed = QDialog::Accepted, Abandoned = 2 };

    // The design size; the dialog placement is made for it.
    static constexpr int DesignWidth = 406;
    static constexpr int DesignHeight = 305;

    explicit SetupWizard(AppContext &context, QWidget *parent = nullptr);
    ~SetupWizard() override;

    // Starts a run for the mode and user (the defaults need none) on its first page;
    // whatever an earlier run left is gone.
    void begin(Mode mode, int user = 0);
    // begin(), then the dialog modally; returns how the run ended.
    Outcome run(Mode mode, int user = 0);

    WizardPage *currentPage() const { return m_pages.at(m_index); }

    // The user name offered on page 1 in the first run.
    std::function<QString()> accountName;
    // The mail-account search of page 2 in the first run; finds nothing by default. The
    // program hands in the search of the installed mail clients.
    MailAccountGuess mailAccountGuess;

    // Esc and the window's close box are the Cancel button, with its question in the
    // first run: a "No" there keeps the wizard open.
    void reject() override;

protected:
    // A double-click in a text box selects its first 100 characters.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showPage(int index);
    void goNext();
    void goBack();
    void cancel();
    // Runs one of the current page's procedures under the error trap, as
    // "<form>.<procedure>".
    void trapOnPage(const char *procedure, const std::function<void()> &body);

    AppContext &m_context;
    SetupRun m_run;
    QList<WizardPage *> m_pages;
    int m_index = 0;
    QStackedWidget *m_stack = nullptr;
    QStackedWidget *m_footers = nullptr;
    QPushButton *m_helpButton = nullptr;
    QPushButton *m_backButton = nullptr;
    QPushButton *m_nextButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
};

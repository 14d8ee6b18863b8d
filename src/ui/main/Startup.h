#pragma once

#include "store/MessageStore.h"

#include <QObject>
#include <functional>
#include <memory>

class EntryDialog;
class FrmMain;
class FrmSplash;
class FrmTimer;
class Program;
class SetupWizard;

// The windows' part of the start: ties the main window to the scheduler, shows the
// splash, starts both timers and fills the next-message slots; two seconds later the
// splash runs the set-up wizard on a first run and shows the main window unless the
// program starts small. It also holds the shutdown branch of the scheduler's housekeeping.
class Startup : public QObject {
    Q_OBJECT
public:
    Startup(Program &program, FrmTimer &frmTimer, QObject *parent = nullptr);
    ~Startup() override;

    FrmMain &frmMain() { return *m_main; }
    EntryDialog &entryDialog() { return *m_entry; }
    FrmSplash &frmSplash() { return *m_splash; }
    SetupWizard &wizard() { return *m_wizard; }

    // Ends the program at once: no window is unloaded and nothing more is saved or
    // sent. The program sets it to a hard exit; tests record the call instead.
    std::function<void()> endProgram;

    // The splash, tmrExecute, then tmrCheckSend, and LoadNextMessage.
    void Run();

    // A shutdown is pending: ask, then end the program (Yes) or unload the main window and
    // go on delivering (No).
    void ShutdownBranch();

    // With TOLVANE_EXIT_AFTER_PAINT set (a number of milliseconds), the program prints
    // "first-paint" when the main window is first painted, then, that many milliseconds
    // later, "rss-kb" and its resident memory, and ends. The benchmarks time the start
    // with it; the splash then hands over at once, so that its two seconds are not counted.
    void exitAfterFirstPaint(int delayMs);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Program &p;
    FrmTimer &m_timer;
    MessageStore m_store;
    std::unique_ptr<FrmMain> m_main;
    EntryDialog *m_entry = nullptr;
    std::unique_ptr<SetupWizard> m_wizard;
    std::unique_ptr<FrmSplash> m_splash;
    int m_exitDelayMs = -1;
};

#pragma once

#include <QObject>
#include <functional>
#include <memory>

class FrmEntry;
class FrmMain;
class FrmTimer;
class Program;

// The windows' part of the start: ties the main window to the scheduler, starts both
// timers, fills the next-message slots and shows the main window unless the program
// starts small. It also holds the shutdown branch of the scheduler's housekeeping.
class Startup : public QObject {
    Q_OBJECT
public:
    Startup(Program &program, FrmTimer &frmTimer, QObject *parent = nullptr);
    ~Startup() override;

    FrmMain &frmMain() { return *m_main; }
    FrmEntry &frmEntry() { return *m_entry; }

    // Ends the program at once: no window is unloaded and nothing more is saved or
    // sent. The program sets it to a hard exit; tests record the call instead.
    std::function<void()> endProgram;

    // tmrExecute, then tmrCheckSend, LoadNextMessage, and the main window.
    void Run();

    // A shutdown is pending: ask, then end the program (Yes) or unload the main window and
    // go on delivering (No).
    void ShutdownBranch();

    // With TOLVANE_EXIT_AFTER_PAINT set (a number of milliseconds), the program prints
    // "first-paint" when the main window is first painted, then, that many milliseconds
    // later, "rss-kb" and its resident memory, and ends. The benchmarks time the start
    // with it.
    void exitAfterFirstPaint(int delayMs);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Program &p;
    FrmTimer &m_timer;
    std::unique_ptr<FrmMain> m_main;
    FrmEntry *m_entry = nullptr;
    int m_exitDelayMs = -1;
};

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/SecondTicker.h"

#include <QObject>
#include <functional>
#include <memory>

class DeliveryHistory;
class DeliveryHistoryWindow;
class EntryDialog;
class MailWarning;
class MainWindow;
class MessageStore;
class AppContext;
class Scheduler;
class SeriesStore;
class SetupWizard;
class SplashScreen;

// The running program: creates the windows and ties the main window, the warning window
// and the error trap to the scheduler; shows the splash, starts the housekeeping and the scheduler
// and fills its slots; two seconds later the splash runs the set-up wizard on a first run and shows
// the main window unless the program starts small. Its once-a-second housekeeping runs the shutdown
// branch and moves a hidden main window into the notification area. The repeating messages
// without an end are extended a year ahead at the start and at each day's roll-over.
class Application : public QObject {
    Q_OBJECT
public:
    Application(AppContext &context, MessageStore &store, SeriesStore &series, Scheduler &scheduler,
        QObject *parent = nullptr);
    ~Application() override;

    MainWindow &mainWindow() { return *m_main; }
    EntryDialog &entryDialog() { return *m_entry; }
    SplashScreen &splashScreen() { return *m_splash; }
    SetupWizard &wizard() { return *m_wizard; }
    MailWarning &mailWarning() { return *m_mailWarning; }
    DeliveryHistory &deliveryHistory() { return *m_history; }
    // Made when first asked for: until then no one reads the history file.
    DeliveryHistoryWindow &historyWindow();

    // Ends the program, called once the shutdown is confirmed, the delivery under way
    // aborted and the icon and the window gone: by default QCoreApplication::quit(), so
    // that the event loop returns and everything ends in order (every file write has
    // already finished on this thread). Tests record the call instead.
    std::function<void()> endProgram;

    // The splash, the housekeeping, then the scheduler and its slots.
    void start();

    // One housekeeping tick: a pending shutdown is asked about, or the main window, hidden
    // once the splash is done, goes into the notification area.
    void housekeep();
    bool housekeepingRunning() const { return m_housekeeping.isEnabled(); }

    // A shutdown is pending: ask, then end the program (Yes) or unload the main window and
    // go on delivering (No).
    void answerShutdown();

    // With TOLVANE_EXIT_AFTER_PAINT set (a number of milliseconds), the program prints
    // "first-paint" when the main window is first painted, then, that many milliseconds
    // later, "rss-kb" and its resident memory, and ends. The benchmarks time the start
    // with it; the splash then hands over at once, so that its two seconds are not counted.
    void exitAfterFirstPaint(int delayMs);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void extendSeries();

    AppContext &m_context;
    SeriesStore &m_series;
    Scheduler &m_scheduler;
    SecondTicker m_housekeeping;
    std::unique_ptr<MainWindow> m_main;
    EntryDialog *m_entry = nullptr;
    std::unique_ptr<SetupWizard> m_wizard;
    std::unique_ptr<SplashScreen> m_splash;
    std::unique_ptr<MailWarning> m_mailWarning;
    std::unique_ptr<DeliveryHistory> m_history;
    std::unique_ptr<DeliveryHistoryWindow> m_historyWindow;
    int m_exitDelayMs = -1;
};

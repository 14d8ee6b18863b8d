#pragma once

#include "platform/SecondTicker.h"

#include <QDateTime>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <array>
#include <functional>

class ConnectionService;
class MessageProcessor;
class Program;

// The hidden timer form that drives all scheduled work. Once a second tmrCheckSend
// hands every due next-message entry to delivery, and tmrExecute runs the housekeeping
// (shutdown, the move into the notification area) and the midnight roll-over. It runs
// whether the main window is shown, hidden or not loaded at all.
class FrmTimer : public QObject {
    Q_OBJECT
public:
    // What the housekeeping reaches outside the scheduler; the windows fill these in.
    // An empty hook is simply not called (a program without windows).
    struct Hooks {
        std::function<void()> shutdownBranch;
        std::function<bool()> mainWindowVisible;
        std::function<void()> moveIntoTray;
        std::function<void()> dayRollover; // the main window's cmdToday_Click
    };

    FrmTimer(Program &program, MessageProcessor &processor, ConnectionService &connection,
        QObject *parent = nullptr);

    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }

    SecondTicker tmrCheckSend;
    SecondTicker tmrExecute;
    QTimer tmrReappear;

    void tmrCheckSend_Timer();
    void tmrExecute_Timer();
    void tmrReappear_Timer();

    // Refills slots 1 to 10 with each user's earliest record that is neither sent, nor
    // past, nor the record last handed to delivery.
    void LoadNextMessage();
    void CheckSend();
    void TimedExecution();

private:
    void loadNextFor(int user);
    void forgetOldHandovers();
    bool isDue(int slot, const QString &entry, const QDateTime &now) const;
    // The earliest minute whose records are not past: the present minute, or the start
    // of a busy spell whose missed records are still to go out.
    QDateTime dueFrom(const QDateTime &now) const;

    Program &p;
    MessageProcessor &m_processor;
    ConnectionService &m_connection;
    Hooks m_hooks;
    // Every record each user has handed to delivery in this run, not only the last one
    // (LastSent): a wall clock set back (by hand, or at the end of summer time) brings
    // an earlier failed record's minute round again, and it must not go out a second
    // time; a late server may have taken it after all. Kept from yesterday on.
    std::array<QSet<QString>, 11> m_handedOver;
    // The minute at which the scheduler began delivering and so stopped looking at the
    // clock; invalid once a check finds nothing more due.
    QDateTime m_missedSince;
};

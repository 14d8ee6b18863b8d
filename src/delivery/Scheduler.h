// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "delivery/Deliverer.h"
#include "platform/SecondTicker.h"
#include "store/MessageRecord.h"
#include "store/TakenRecords.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <array>
#include <limits>
#include <optional>

class ConnectionService;
class MessageStore;
class AppContext;

// Sends every message at its minute. Slot 0 holds an instant message, slots 1 to 10 each
// user's next record (neither sent nor past nor handed over before). Once a second, and
// whenever checkDue() is called, the due slots go to the deliverer in one batch: the
// instant message first, then users 1 to 10, one message after another, each handed over
// when the one before has ended. A record goes to delivery once in a run, whatever way
// its delivery ended. A record whose minute passed while a batch was under way is still
// due, in its turn, also when the batch went past midnight.
//
// With a late-sending window ("LateMinutes" in [Options], 0 or absent for none, which is all
// of the above and nothing more) every unsent record whose minute lies within the window is
// due, oldest first for each user: at start, after a sleep and when the network comes back
// (catchUp()). A failure that may pass is tried again within the window, 1, 2, 4, ... and at
// most 30 minutes after each try, meanwhile the user's later records go on; the warnings of
// a try that will be repeated are not shown. A record some server took is never handed over
// again, also after a restart (TakenRecords).
class Scheduler : public QObject {
    Q_OBJECT
public:
    struct Slot {
        int user = 0;
        MessageRecord record;
        bool instant = false;
        int tries = 0; // the tries made before this one
    };

    Scheduler(AppContext &context, MessageStore &store, Deliverer &deliverer,
        ConnectionService &connection, QObject *parent = nullptr);

    // Starts the once-a-second check.
    void start();
    bool isStarted() const { return m_ticker.isEnabled(); }

    // Refills slots 1 to 10 from the message files.
    void reload();
    // The midnight roll-over, then the batch of what is due, unless one is under way.
    void checkDue();
    // Takes the message for the next check, in place of one still waiting there.
    void sendInstantMessage(int user, const MessageRecord &record);
    bool isDelivering() const { return m_inBatch; }
    // Ends the batch under way at once (the program is ending): no more is handed over.
    void abortDelivery();
    // The machine woke or the network came back: what waits for a retry is tried at the next
    // check, and the records missed within the window are loaded. Nothing without a window.
    void catchUp();

    const std::optional<Slot> &slot(int index) const { return m_slots.at(std::size_t(index)); }

signals:
    // A scheduled message's delivery ended: sent (the grid shows it grey) or not (red).
    void delivered(int user, const QDateTime &due, const QString &text, bool sent);
    // Every delivery attempt, scheduled or instant, as it ended.
    void attempted(const DeliveryAttempt &attempt);
    void warning(const QString &text);
    // A report for the error trap, to be shown once the work has ended: where, and the
    // text of a failure the user must hear of (empty: "Error occurred in " + where).
    void failure(const QString &where, const QString &text);
    // Midnight: the calendar goes to the new day.
    void dayChanged();
    // A scheduled message's try failed for now and is tried again at nextTry.
    void retrying(int user, const QDateTime &due, const QString &text, const QString &reason,
        const QDateTime &nextTry);

private:
    // The clock as one tick reads it: the moment for comparing with the slots' minutes,
    // and the local date and minute of the day for the day's records and midnight. Read
    // once, from the count of milliseconds, so that an idle tick converts no local time
    // into the count (a time zone lookup each).
    struct Moment {
        qint64 msecs = 0;
        QDate date;
        int minuteOfDay = 0;
    };
    Moment readClock() const;
    void rollOver(const Moment &now);
    void loadNextFor(int user);
    void forgetOldHandovers();
    bool isDue(int index, const MessageRecord &record, const Moment &now) const;
    // The earliest minute whose records are not past: the present minute, or the start
    // of a busy spell whose missed records are still to go out.
    QDateTime dueFrom(const QDateTime &now) const;
    void fill(int index, const Slot &slot);
    // Hands over the next due slot; true while its result is still to come.
    bool handOverNext();
    void goOn();
    void deliveryEnded(const Deliverer::Result &result);
    void deliveryWarning(const QString &text);
    void recordTaken(int user, const MessageRecord &record);
    // The next try of a failure that may pass, when it still falls within the window.
    std::optional<qint64> nextTry(const Slot &slot, const Deliverer::Result &result) const;
    // Hands over the user's retry that is due, when it comes before the slot's record.
    bool handOverRetry(int user, bool slotDue);
    void handOver(const Slot &slot);
    void endBatch();
    template<class Work> void trapped(const char *where, Work &&work);

    AppContext &m_context;
    MessageStore &m_store;
    Deliverer &m_deliverer;
    ConnectionService &m_connection;
    SecondTicker m_ticker;

    std::array<std::optional<Slot>, 11> m_slots;
    std::array<qint64, 11> m_dueMSecs {}; // each slot's minute, converted once when filled
    // Every record each user has handed to delivery in this run: a wall clock set back
    // (by hand, or at the end of summer time) brings an earlier failed record's minute
    // round again, and it must not go out a second time; a late server may have taken it
    // after all. Kept from yesterday on.
    std::array<QSet<QByteArray>, 11> m_handedOver;
    // The minute at which the scheduler began delivering and so stopped looking at the
    // clock; invalid once a check finds nothing more due.
    static constexpr qint64 NotMissing = -1;
    qint64 m_missedSince = NotMissing; // in milliseconds since the epoch
    int m_lastMinute = 0; // the minute of the day the check before saw

    // The batch under way.
    bool m_inBatch = false;
    int m_next = 0; // the next slot to look at
    qint64 m_batchStart = 0; // its minute
    Moment m_now; // the clock as last read for it
    bool m_handedOverInBatch = false;
    bool m_reloadNext = false;
    bool m_dialledUp = false;
    std::optional<Slot> m_delivering; // handed over, its result still to come
    bool m_starting = false; // inside the deliverer's start()

    // The late-sending window in milliseconds, 0 for none; read at each reload.
    qint64 m_lateMSecs = 0;
    // The records waiting for another try, in the order they came due, and the earliest
    // moment any of them is tried: an idle check compares one number.
    struct Retry {
        Slot slot;
        qint64 dueMSecs = 0;
        qint64 nextTry = 0;
        DeliveryAttempt last; // the try before
    };
    QList<Retry> m_retries;
    static constexpr qint64 NoRetry = std::numeric_limits<qint64>::max();
    qint64 m_nextRetry = NoRetry;
    qint64 m_lastCheck = 0; // the moment of the check before: a leap forward was a sleep
    // The warnings of the delivery under way, held while it may be tried again.
    bool m_holdWarnings = false;
    QStringList m_heldWarnings;
    TakenRecords m_taken;
    bool m_takenLoaded = false;
};

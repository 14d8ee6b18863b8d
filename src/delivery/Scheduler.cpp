// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "delivery/Scheduler.h"

#include "app/AppContext.h"
#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "platform/Clock.h"
#include "platform/ConnectionService.h"
#include "platform/UserFacingError.h"
#include "store/MessageStore.h"
#include "store/Stamp.h"
#include "store/StoreError.h"

#include <algorithm>

namespace {

constexpr int LastMinuteOfDay = 23 * 60 + 59;
constexpr int InstantSlot = 0;
constexpr qint64 MSecsPerMinute = 60'000;
constexpr int LongestWindow = 24 * 60; // minutes
constexpr int LongestPause = 30; // minutes between two tries
// The minute's start by the count alone: no local time is looked up.
qint64 startOfMinute(qint64 msecs)
{
    return msecs - (msecs % MSecsPerMinute + MSecsPerMinute) % MSecsPerMinute;
}

// Ticks come every second; a check this long after the one before follows a sleep.
constexpr qint64 SleepGap = 90'000;

} // namespace

Scheduler::Scheduler(AppContext &context, MessageStore &store, Deliverer &deliverer,
    ConnectionService &connection, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_store(store)
    , m_deliverer(deliverer)
    , m_connection(connection)
    , m_taken(context.dataFolder + QStringLiteral("taken.lst"))
{
    connect(&m_ticker, &SecondTicker::tick, this, &Scheduler::checkDue);
    connect(&m_deliverer, &Deliverer::warning, this, &Scheduler::deliveryWarning);
    connect(&m_deliverer, &Deliverer::finished, this, &Scheduler::deliveryEnded);
    connect(&m_deliverer, &Deliverer::taken, this, &Scheduler::recordTaken);
}

void Scheduler::start()
{
    m_ticker.setEnabled(true);
}

template<class Work> void Scheduler::trapped(const char *where, Work &&work)
{
    try {
        work();
    } catch (const UserFacingError &error) {
        emit failure(QString::fromLatin1(where), QString::fromUtf8(error.what()));
    } catch (...) {
        emit failure(QString::fromLatin1(where), QString());
    }
}

void Scheduler::sendInstantMessage(int user, const MessageRecord &record)
{
    fill(InstantSlot, Slot { user, record, true });
}

void Scheduler::reload()
{
    for (int user = 1; user <= Roster::MaxUsers; ++user)
        m_slots[std::size_t(user)].reset();
    forgetOldHandovers();
    const int late = Roster::leadingNumber(m_context.settings.readSetting(QStringLiteral("Options"),
                                               QStringLiteral("LateMinutes"), QString()),
        LongestWindow);
    m_lateMSecs = qBound(0, late, LongestWindow) * MSecsPerMinute;
    // What a server took in an earlier run, but the file does not say: never again.
    if (m_lateMSecs > 0 && !std::exchange(m_takenLoaded, true)) {
        const QDate yesterday = m_context.clock.now().date().addDays(-1);
        for (const auto &[user, line] : m_taken.load(yesterday)) {
            if (user >= 1 && user <= Roster::MaxUsers)
                m_handedOver[std::size_t(user)].insert(line);
        }
    }
    // Each user on their own: a file that cannot be read holds back only the messages in
    // it, not every other user's.
    for (int user = 1; user <= Roster::MaxUsers; ++user)
        trapped("frmTimer.LoadNextMessage", [&] { loadNextFor(user); });
}

Scheduler::Moment Scheduler::readClock() const
{
    const qint64 msecs = m_context.clock.msecsSinceEpoch();
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(msecs);
    return { msecs, local.date(), Stamp::minuteOfDay(local.time()) };
}

QDateTime Scheduler::dueFrom(const QDateTime &now) const
{
    const QDateTime minute = Stamp::startOfMinute(now);
    return m_missedSince != NotMissing && m_missedSince < minute.toMSecsSinceEpoch()
        ? QDateTime::fromMSecsSinceEpoch(m_missedSince)
        : minute;
}

void Scheduler::fill(int index, const Slot &slot)
{
    m_slots[std::size_t(index)] = slot;
    m_dueMSecs[std::size_t(index)] = slot.record.dueMSecs();
}

void Scheduler::loadNextFor(int user)
{
    const QSet<QByteArray> &handedOver = m_handedOver[std::size_t(user)];
    // One reading of the clock per file stands for the reading per line. A record whose
    // minute passed while a batch was under way is not past: it still goes out, in its
    // turn. The earliest record wherever it stands: a hand edit or a script that appends
    // may have put one out of order.
    const QDateTime now = m_context.clock.now();
    QDateTime from = dueFrom(now);
    // Within the window, a record whose minute has passed is still to go.
    if (m_lateMSecs > 0)
        from = qMin(from, Stamp::startOfMinute(now).addMSecs(-m_lateMSecs));
    const auto next = m_store.earliestUnsent(
        user, from, [&](const MessageRecord &record) { return !handedOver.contains(record.line); });
    if (next)
        fill(user, Slot { user, *next, false });
}

void Scheduler::forgetOldHandovers()
{
    // A record of a day before yesterday cannot come due again unless the clock goes
    // back more than a day.
    const QDate yesterday = m_context.clock.now().date().addDays(-1);
    for (QSet<QByteArray> &records : m_handedOver)
        records.removeIf([&](const QByteArray &line) {
            return Stamp::parseDate(
                       QByteArrayView(line).first(qMin<qsizetype>(line.size(), Stamp::DateLength)))
                < yesterday;
        });
}

bool Scheduler::isDue(int index, const MessageRecord &record, const Moment &now) const
{
    // An instant message goes at the next check, whatever its stamp: one written in the
    // last second before midnight carries yesterday's date.
    if (index == InstantSlot)
        return true;
    const qint64 due = m_dueMSecs[std::size_t(index)];
    if (!record.isReadable() || due > now.msecs)
        return false;
    // Today's records whose minute has come; and, after a busy spell, those that came due
    // during it, also when it went past midnight; and with a window, any within it.
    return record.date == now.date || (m_missedSince != NotMissing && due >= m_missedSince)
        || (m_lateMSecs > 0 && due >= startOfMinute(now.msecs) - m_lateMSecs);
}

void Scheduler::rollOver(const Moment &now)
{
    const int before = std::exchange(m_lastMinute, now.minuteOfDay);
    if (now.minuteOfDay == 0 && before == LastMinuteOfDay) {
        emit dayChanged();
        // The slots loaded yesterday may hold records of a day that is now past.
        reload();
        m_lastMinute = readClock().minuteOfDay;
    }
}

void Scheduler::checkDue()
{
    // The day changes also while a batch is under way.
    const Moment now = readClock();
    trapped("frmTimer.tmrExecute_Timer", [&] { rollOver(now); });
    // A leap of the wall clock: the machine slept.
    const qint64 before = std::exchange(m_lastCheck, now.msecs);
    if (m_lateMSecs > 0 && before != 0 && now.msecs - before > SleepGap)
        catchUp();
    if (m_inBatch)
        return;
    m_inBatch = true;
    m_batchStart = startOfMinute(now.msecs);
    m_next = InstantSlot;
    m_now = now;
    m_handedOverInBatch = false;
    goOn();
}

void Scheduler::goOn()
{
    bool waiting = false;
    trapped("frmTimer.CheckSend", [&] { waiting = handOverNext(); });
    if (!waiting && !m_delivering)
        endBatch();
}

bool Scheduler::handOverNext()
{
    while (m_next <= Roster::MaxUsers) {
        const int index = m_next++;
        const std::optional<Slot> &slot = m_slots[std::size_t(index)];
        const bool slotDue = slot && isDue(index, slot->record, m_now);
        if (index != InstantSlot && m_nextRetry <= m_now.msecs && handOverRetry(index, slotDue)) {
            if (m_delivering)
                return true;
            continue;
        }
        if (!slot)
            continue;
        const MessageRecord &record = slot->record;
        const bool due = slotDue;
        // A slot whose day has passed (the machine slept over midnight) is not sent, but it
        // must not hold back the user's later records: reload at the end.
        if (index != InstantSlot && !due && record.date < m_now.date)
            m_reloadNext = true;
        if (!due)
            continue;
        QSet<QByteArray> &handedOver = m_handedOver[std::size_t(index)];
        // Whatever way its delivery ended, a record goes to delivery once in a run.
        if (index != InstantSlot && handedOver.contains(record.line))
            continue;
        const Slot handed = *slot;
        if (index == InstantSlot)
            m_slots[InstantSlot].reset(); // taken; one written meanwhile stays for the next
        else
            handedOver.insert(record.line);
        handOver(handed);
        if (m_delivering)
            return true;
    }
    return false;
}

void Scheduler::handOver(const Slot &handed)
{
    // The deliveries of this batch may take long; what falls due meanwhile is still
    // due when they are done.
    if (m_missedSince == NotMissing)
        m_missedSince = m_batchStart;
    m_handedOverInBatch = true;
    m_reloadNext = true;
    m_delivering = handed;
    // Only a try that cannot be repeated shows its warnings; the others wait for the end.
    m_holdWarnings = m_lateMSecs > 0 && !handed.instant;
    m_heldWarnings.clear();
    m_starting = true;
    m_deliverer.start(handed.user, handed.record, handed.instant); // its result may come inside
    m_starting = false;
}

bool Scheduler::handOverRetry(int user, bool slotDue)
{
    const auto retry = std::find_if(m_retries.begin(), m_retries.end(),
        [&](const Retry &r) { return r.slot.user == user && r.nextTry <= m_now.msecs; });
    if (retry == m_retries.end())
        return false;
    // The user's records in order: a record in the slot that is older goes first.
    if (slotDue && m_dueMSecs[std::size_t(user)] < retry->dueMSecs)
        return false;
    const Retry taken = *retry;
    m_retries.erase(retry);
    m_nextRetry = NoRetry;
    for (const Retry &r : std::as_const(m_retries))
        m_nextRetry = qMin(m_nextRetry, r.nextTry);
    // A sleep went past the end of its window: it stays unsent, as today's records do.
    if (taken.dueMSecs + m_lateMSecs < m_now.msecs) {
        DeliveryAttempt last = taken.last;
        last.at = m_context.clock.now();
        last.outcome = DeliveryAttempt::Outcome::Failed;
        last.nextTry = {};
        emit attempted(last);
        emit delivered(user, taken.slot.record.due(), taken.slot.record.text, false);
        return true;
    }
    // The user may have changed or removed the message meanwhile, or marked it by hand.
    std::optional<MessageRecord> now;
    try {
        now = m_store.find(user, taken.slot.record.due());
    } catch (const StoreError &) {
    }
    if (!now || now->sent || now->line != taken.slot.record.line)
        return true;
    handOver(taken.slot);
    return true;
}

std::optional<qint64> Scheduler::nextTry(const Slot &slot, const Deliverer::Result &result) const
{
    if (m_lateMSecs == 0 || slot.instant || result.sent || result.taken || !result.mayPass)
        return std::nullopt;
    // 1, 2, 4, 8, ... minutes after the try, never more than 30.
    const qint64 pause = qMin<qint64>(qint64(1) << qMin(slot.tries, 5), LongestPause);
    const qint64 next = m_now.msecs + pause * MSecsPerMinute;
    if (next > slot.record.dueMSecs() + m_lateMSecs)
        return std::nullopt;
    return next;
}

void Scheduler::deliveryWarning(const QString &text)
{
    if (m_holdWarnings && m_delivering)
        m_heldWarnings.append(text);
    else
        emit warning(text);
}

void Scheduler::recordTaken(int user, const MessageRecord &record)
{
    if (m_lateMSecs == 0 || user < 1 || user > Roster::MaxUsers)
        return;
    // On disk before anything else happens to it; in this run the hand-over list keeps it.
    m_handedOver[std::size_t(user)].insert(record.line);
    m_taken.add(user, record.line);
}

void Scheduler::catchUp()
{
    if (m_lateMSecs == 0)
        return;
    const qint64 now = m_context.clock.msecsSinceEpoch();
    for (Retry &retry : m_retries)
        retry.nextTry = qMin(retry.nextTry, now);
    m_nextRetry = m_retries.isEmpty() ? NoRetry : now;
    // The slots are refilled at once, or after the batch under way.
    if (m_inBatch)
        m_reloadNext = true;
    else
        reload();
}

void Scheduler::deliveryEnded(const Deliverer::Result &result)
{
    if (!m_delivering)
        return;
    const Slot ended = *std::exchange(m_delivering, std::nullopt);
    m_now = readClock();
    if (result.dialledUp)
        m_dialledUp = true;
    const std::optional<qint64> next = nextTry(ended, result);
    m_holdWarnings = false;
    for (const QString &text : std::exchange(m_heldWarnings, {})) {
        if (!next)
            emit warning(text);
    }
    const QDateTime nextAt = next ? QDateTime::fromMSecsSinceEpoch(*next) : QDateTime();
    const DeliveryAttempt attempt { m_context.clock.now(), ended.user, ended.record.due(),
        ended.instant, result.recipients,
        next              ? DeliveryAttempt::Outcome::WillRetry
            : result.sent ? DeliveryAttempt::Outcome::Sent
                          : DeliveryAttempt::Outcome::Failed,
        result.reply, nextAt };
    emit attempted(attempt);
    if (next) {
        Slot again = ended;
        ++again.tries;
        m_retries.append({ again, ended.record.dueMSecs(), *next, attempt });
        std::stable_sort(m_retries.begin(), m_retries.end(),
            [](const Retry &a, const Retry &b) { return a.dueMSecs < b.dueMSecs; });
        m_nextRetry = qMin(m_nextRetry, *next);
        emit retrying(ended.user, ended.record.due(), ended.record.text, result.reply, nextAt);
    } else if (!ended.instant) {
        emit delivered(ended.user, ended.record.due(), ended.record.text, result.sent);
    }
    // Marked in its file: the note kept against a failed mark is no longer needed.
    if (m_lateMSecs > 0 && result.marked && !ended.instant)
        m_taken.remove(ended.user, ended.record.line);
    if (!result.failureWhere.isEmpty())
        emit failure(result.failureWhere, result.failureText);
    // A result that came inside start() is taken up by the batch where it stands.
    if (!m_starting)
        goOn();
}

void Scheduler::endBatch()
{
    // Nothing was due: whatever fell due during the last busy spell has gone out.
    if (!m_handedOverInBatch)
        m_missedSince = NotMissing;
    m_inBatch = false;
    if (m_dialledUp) {
        m_connection.hangUp();
        m_dialledUp = false;
    }
    if (m_reloadNext) {
        m_reloadNext = false;
        reload();
    }
}

void Scheduler::abortDelivery()
{
    if (m_delivering) {
        m_delivering.reset();
        m_deliverer.abort();
    }
    m_inBatch = false;
}

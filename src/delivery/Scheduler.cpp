// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "delivery/Scheduler.h"

#include "app/AppContext.h"
#include "app/Roster.h"
#include "platform/Clock.h"
#include "platform/ConnectionService.h"
#include "platform/UserFacingError.h"
#include "store/MessageStore.h"
#include "store/Stamp.h"

namespace {

constexpr int LastMinuteOfDay = 23 * 60 + 59;
constexpr int InstantSlot = 0;

} // namespace

Scheduler::Scheduler(AppContext &context, MessageStore &store, Deliverer &deliverer,
    ConnectionService &connection, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_store(store)
    , m_deliverer(deliverer)
    , m_connection(connection)
{
    connect(&m_ticker, &SecondTicker::tick, this, &Scheduler::checkDue);
    connect(&m_deliverer, &Deliverer::warning, this, &Scheduler::warning);
    connect(&m_deliverer, &Deliverer::finished, this, &Scheduler::deliveryEnded);
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
    m_dueMSecs[std::size_t(index)] = slot.record.due().toMSecsSinceEpoch();
}

void Scheduler::loadNextFor(int user)
{
    const QSet<QByteArray> &handedOver = m_handedOver[std::size_t(user)];
    // One reading of the clock per file stands for the reading per line. A record whose
    // minute passed while a batch was under way is not past: it still goes out, in its
    // turn. The earliest record wherever it stands: a hand edit or a script that appends
    // may have put one out of order.
    const auto next = m_store.earliestUnsent(user, dueFrom(m_context.clock.now()),
        [&](const MessageRecord &record) { return !handedOver.contains(record.line); });
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
    // during it, also when it went past midnight.
    return record.date == now.date || (m_missedSince != NotMissing && due >= m_missedSince);
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
    if (m_inBatch)
        return;
    m_inBatch = true;
    constexpr qint64 MSecsPerMinute = 60'000;
    m_batchStart = now.msecs - (now.msecs % MSecsPerMinute + MSecsPerMinute) % MSecsPerMinute;
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
        if (!slot)
            continue;
        const MessageRecord &record = slot->record;
        const bool due = isDue(index, record, m_now);
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
        // The deliveries of this batch may take long; what falls due meanwhile is still
        // due when they are done.
        if (m_missedSince == NotMissing)
            m_missedSince = m_batchStart;
        m_handedOverInBatch = true;
        m_reloadNext = true;
        m_delivering = slot;
        if (index == InstantSlot)
            m_slots[InstantSlot].reset(); // taken; one written meanwhile stays for the next
        else
            handedOver.insert(record.line);

        const Slot handed = *m_delivering; // its result may come inside start()
        m_starting = true;
        m_deliverer.start(handed.user, handed.record, handed.instant);
        m_starting = false;
        if (m_delivering)
            return true;
    }
    return false;
}

void Scheduler::deliveryEnded(const Deliverer::Result &result)
{
    if (!m_delivering)
        return;
    const Slot ended = *std::exchange(m_delivering, std::nullopt);
    m_now = readClock();
    if (result.dialledUp)
        m_dialledUp = true;
    emit attempted(
        { m_context.clock.now(), ended.user, ended.record.due(), ended.instant, result.recipients,
            result.sent ? DeliveryAttempt::Outcome::Sent : DeliveryAttempt::Outcome::Failed,
            result.reply, {} });
    if (!ended.instant)
        emit delivered(ended.user, ended.record.due(), ended.record.text, result.sent);
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

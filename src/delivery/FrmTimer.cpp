#include "delivery/FrmTimer.h"

#include "app/ErrorTrap.h"
#include "app/Program.h"
#include "delivery/MessageProcessor.h"
#include "platform/Clock.h"
#include "platform/ConnectionService.h"
#include "store/CodePage.h"
#include "store/MessageStore.h"
#include "store/Stamp.h"

namespace {

constexpr int LastMinuteOfDay = 23 * 60 + 59;

// Positions in a next-message entry: the two-digit user code, then the record.
constexpr qsizetype EntryDatePos = 2;
constexpr qsizetype EntryTimePos = 13;

QDate entryDate(const QString &entry)
{
    return Stamp::parseDate(QStringView(entry).mid(EntryDatePos, Stamp::DateLength));
}

int entryMinute(const QString &entry)
{
    return Stamp::parseTime(QStringView(entry).mid(EntryTimePos, Stamp::TimeLength));
}

// Clears a flag on every way out of a scope.
struct FlagReset {
    bool &flag;
    ~FlagReset() { flag = false; }
};

} // namespace

FrmTimer::FrmTimer(
    Program &program, MessageProcessor &processor, ConnectionService &connection, QObject *parent)
    : QObject(parent)
    , p(program)
    , m_processor(processor)
    , m_connection(connection)
{
    tmrReappear.setSingleShot(true);
    tmrReappear.setInterval(100);
    connect(&tmrCheckSend, &SecondTicker::tick, this, &FrmTimer::tmrCheckSend_Timer);
    connect(&tmrExecute, &SecondTicker::tick, this, &FrmTimer::tmrExecute_Timer);
    connect(&tmrReappear, &QTimer::timeout, this, &FrmTimer::tmrReappear_Timer);
}

void FrmTimer::tmrCheckSend_Timer()
{
    CheckSend();
}

void FrmTimer::tmrReappear_Timer()
{
    tmrReappear.stop();
}

void FrmTimer::tmrExecute_Timer()
{
    TrapLater(p, "frmTimer.tmrExecute_Timer", [&] {
        TimedExecution();
        const int minute = Stamp::minuteOfDay(p.clock.now().time());
        if (minute == 0 && p.LastMinute == LastMinuteOfDay) {
            if (m_hooks.dayRollover)
                m_hooks.dayRollover();
            // The slots loaded yesterday may hold records of a day that is now past.
            LoadNextMessage();
        }
        p.LastMinute = Stamp::minuteOfDay(p.clock.now().time());
    });
}

void FrmTimer::TimedExecution()
{
    TrapLater(p, "frmTimer.TimedExecution", [&] {
        if (p.ShutdownRequested) {
            if (m_hooks.shutdownBranch)
                m_hooks.shutdownBranch();
            return;
        }
        if (p.SplashDone && !p.InTray && m_hooks.mainWindowVisible && m_hooks.moveIntoTray
            && !m_hooks.mainWindowVisible())
            m_hooks.moveIntoTray();
    });
}

void FrmTimer::LoadNextMessage()
{
    for (int i = 1; i <= 10; ++i)
        p.NextMessage[i].clear();
    forgetOldHandovers();
    // Each user under a trap of its own: a file that cannot be read holds back only the
    // messages in it, not every other user's, and its box waits for nobody.
    for (int user = 1; user <= 10; ++user)
        TrapLater(p, "frmTimer.LoadNextMessage", [&] { loadNextFor(user); });
}

QDateTime FrmTimer::dueFrom(const QDateTime &now) const
{
    const QDateTime minute = Stamp::startOfMinute(now);
    return m_missedSince.isValid() && m_missedSince < minute ? m_missedSince : minute;
}

void FrmTimer::loadNextFor(int user)
{
    const MessageStore store(p.ProgramDir, p.clock);
    const QByteArray lastSent = CodePage::encode(p.LastSent[user]);
    // The files are read within milliseconds; one reading of the clock per file stands
    // for the reading per line. A record whose minute passed while the scheduler was busy
    // delivering is not past: it still goes out, in its turn. The earliest record wherever
    // it stands: a hand edit or a script that appends may have put one out of order.
    const auto next
        = store.earliestUnsent(user, dueFrom(p.clock.now()), [&](const MessageRecord &record) {
              return record.line != lastSent
                  && !m_handedOver[user].contains(CodePage::decode(record.line));
          });
    if (next)
        p.NextMessage[user] = QStringLiteral("%1").arg(user, 2, 10, QLatin1Char('0'))
            + CodePage::decode(next->line);
}

void FrmTimer::forgetOldHandovers()
{
    // A record of a day before yesterday cannot come due again unless the clock goes
    // back more than a day.
    const QDate yesterday = p.clock.now().date().addDays(-1);
    for (QSet<QString> &records : m_handedOver)
        records.removeIf([&](const QString &record) {
            return Stamp::parseDate(QStringView(record).left(Stamp::DateLength)) < yesterday;
        });
}

bool FrmTimer::isDue(int slot, const QString &entry, const QDateTime &now) const
{
    // An instant message goes at the next check, whatever its stamp: one written in the
    // last second before midnight carries yesterday's date.
    if (slot == 0)
        return true;
    const QDate date = entryDate(entry);
    const int minute = entryMinute(entry);
    if (!date.isValid() || minute == Stamp::NoTime)
        return false;
    const QDateTime stamp(date, Stamp::timeOfMinute(minute));
    if (stamp > now)
        return false;
    // Today's records whose minute has come; and, after a busy spell, those that came due
    // during it, also when it went past midnight.
    return date == now.date() || (m_missedSince.isValid() && stamp >= m_missedSince);
}

void FrmTimer::CheckSend()
{
    TrapLater(p, "frmTimer.CheckSend", [&] {
        if (p.Sending)
            return;
        const QDateTime tickStart = Stamp::startOfMinute(p.clock.now());
        bool handedOver = false;
        QDateTime now;
        for (int i = 0; i <= 10; ++i) {
            const QString entry = p.NextMessage[i];
            if (entry.isEmpty())
                continue;
            if (!now.isValid())
                now = p.clock.now();
            // A slot whose day has passed (the machine slept over midnight) is not sent,
            // but it must not hold back the user's later records: reload at the end.
            const bool due = isDue(i, entry, now);
            const QDate date = entryDate(entry);
            if (i > 0 && !due && (!date.isValid() || date < now.date()))
                p.ReloadNext = true;
            if (!due)
                continue;
            const QString record = entry.mid(2);
            // Whatever way its delivery ended, a record goes to delivery once in a run.
            if (i > 0 && m_handedOver[i].contains(record))
                continue;
            // The deliveries of this tick may take long; what falls due meanwhile is
            // still due when they are done.
            if (!m_missedSince.isValid())
                m_missedSince = tickStart;
            handedOver = true;
            p.LastSent[i] = record;
            if (i > 0)
                m_handedOver[i].insert(record);
            else
                p.NextMessage[0].clear(); // taken; a new one written meanwhile stays
            p.Sending = true;
            p.ReloadNext = true;
            {
                FlagReset sending { p.Sending };
                m_processor.ProcessMessage(entry);
            }
            now = p.clock.now();
        }
        // Nothing was due: whatever fell due during the last busy spell has gone out.
        if (!handedOver)
            m_missedSince = QDateTime();
        if (p.DialedUp) {
            m_connection.hangUp();
            p.DialedUp = false;
        }
        if (p.ReloadNext) {
            LoadNextMessage();
            p.ReloadNext = false;
        }
    });
}

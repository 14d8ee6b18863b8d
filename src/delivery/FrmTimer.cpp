#include "delivery/FrmTimer.h"

#include "app/ErrorTrap.h"
#include "app/Program.h"
#include "delivery/MessageProcessor.h"
#include "platform/Clock.h"
#include "platform/ConnectionService.h"
#include "store/CodePage.h"
#include "store/MessageFile.h"
#include "store/Stamp.h"

#include <QFileInfo>

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
    Trap(p, "frmTimer.tmrExecute_Timer", [&] {
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
    Trap(p, "frmTimer.TimedExecution", [&] {
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
    // messages in it, not every other user's.
    for (int user = 1; user <= 10; ++user)
        Trap(p, "frmTimer.LoadNextMessage", [&] { loadNextFor(user); });
}

void FrmTimer::loadNextFor(int user)
{
    if (!QFileInfo::exists(MessageFilePath(p, user)))
        return;
    const QByteArray lastSent = CodePage::encode(p.LastSent[user]);
    // The files are read within milliseconds; one reading of the clock per file stands
    // for the reading per line.
    const QDateTime now = p.clock.now();
    const QDate today = now.date();
    const int minute = Stamp::minuteOfDay(now.time());
    ReadMessageRecords(p, user, [&](const RecordView &record) {
        if (record.isSent())
            return true;
        const bool notPast
            = record.date() > today || (record.date() == today && record.minuteOfDay() >= minute);
        if (!notPast || record.raw() == QByteArrayView(lastSent))
            return true;
        const QString line = record.line();
        if (m_handedOver[user].contains(line))
            return true;
        p.NextMessage[user] = QStringLiteral("%1").arg(user, 2, 10, QLatin1Char('0')) + line;
        return false;
    });
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

void FrmTimer::CheckSend()
{
    Trap(p, "frmTimer.CheckSend", [&] {
        if (p.Sending)
            return;
        QDateTime now;
        for (int i = 0; i <= 10; ++i) {
            const QString entry = p.NextMessage[i];
            if (entry.isEmpty())
                continue;
            if (!now.isValid())
                now = p.clock.now();
            const QDate date = entryDate(entry);
            const QDate today = now.date();
            // A slot whose day has passed (the machine slept over midnight) is not sent,
            // but it must not hold back the user's later records: reload at the end.
            if (i > 0 && (!date.isValid() || date < today))
                p.ReloadNext = true;
            const bool due = date == today && Stamp::minuteOfDay(now.time()) >= entryMinute(entry)
                && entryMinute(entry) != Stamp::NoTime;
            if (!due)
                continue;
            p.LastSent[i] = entry.mid(2);
            if (i > 0)
                m_handedOver[i].insert(p.LastSent[i]);
            p.Sending = true;
            p.ReloadNext = true;
            {
                FlagReset sending { p.Sending };
                m_processor.ProcessMessage(entry);
            }
            // A new instant message written while this one was being delivered stays.
            if (i == 0 && p.NextMessage[0] == entry)
                p.NextMessage[0].clear();
            now = p.clock.now();
        }
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

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A soak: one simulated day of 1,000 messages from ten users delivered by the real scheduler
// and the real SMTP conversation to aiosmtpd, once with a server that takes everything and
// once with one that refuses the content of every tenth message. Checks that every message
// is handed over once, at its minute, delivered (or refused) once, marked as it should be,
// and that no delivery is left under way; prints the times and the resident memory along
// the day.
#include "app/AppContext.h"
#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "delivery/MailDelivery.h"
#include "delivery/Scheduler.h"
#include "platform/Clock.h"
#include "platform/ConnectionService.h"
#include "platform/MessageBoxes.h"
#include "store/CodePage.h"
#include "store/MessageStore.h"
#include "store/Stamp.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int Users = 10;
constexpr int PerUser = 100;
const QDate Day(2026, 3, 14);

class FastClock final : public Clock {
public:
    QDateTime now() const override { return moment; }
    QDateTime moment;
};

class LanOnly final : public ConnectionService {
public:
    int flags() override { return Lan; }
    bool autodial() override { return true; }
    void hangUp() override { }
};

class CountedBoxes final : public MessageBoxes {
public:
    Answer show(const QString &, const QString &text, Icon, Buttons, QWidget *) override
    {
        std::fprintf(stderr, "box: %s\n", qPrintable(text));
        ++shown;
        return Answer::Ok;
    }
    int shown = 0;
};

// Counts what the scheduler hands to delivery and when, then lets the real delivery run.
class Handover final : public Deliverer {
public:
    Handover(FastClock &clock, MailDelivery &delivery)
        : m_clock(clock)
        , m_delivery(delivery)
    {
        connect(&delivery, &Deliverer::finished, this, &Deliverer::finished);
        connect(&delivery, &Deliverer::warning, this, &Deliverer::warning);
    }
    void start(int user, const MessageRecord &record, bool instant) override
    {
        const QString entry = QStringLiteral("%1").arg(user, 2, 10, QLatin1Char('0'))
            + CodePage::decode(record.line);
        ++handed[entry];
        const QDateTime now = m_clock.now();
        if (record.date != now.date() || record.minuteOfDay != Stamp::minuteOfDay(now.time()))
            ++offMinute;
        order.append(entry);
        m_delivery.start(user, record, instant);
    }
    void abort() override { m_delivery.abort(); }
    QHash<QString, int> handed;
    QStringList order;
    int offMinute = 0;

private:
    FastClock &m_clock;
    MailDelivery &m_delivery;
};

double rssMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QString text(int user, int n)
{
    return QStringLiteral("soak u%1 m%2").arg(user).arg(n);
}

// Several users share a minute, so that one tick sends several messages.
int minuteOf(int user, int n)
{
    return n * 14 + user % 3;
}

struct Server {
    QProcess process;
    QString maildir;
    quint16 port = 0;

    bool start(const QString &dir, int refuseEvery)
    {
        port = freePort();
        maildir = dir + QStringLiteral("/Maildir");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(
            QStringLiteral("PYTHONPATH"), QFileInfo(QStringLiteral(__FILE__)).absolutePath());
        env.insert(QStringLiteral("PYTHONDONTWRITEBYTECODE"), QStringLiteral("1"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral("/usr/bin/python3"),
            { QStringLiteral("-m"), QStringLiteral("aiosmtpd"), QStringLiteral("-n"),
                QStringLiteral("-l"), QStringLiteral("127.0.0.1:%1").arg(port),
                QStringLiteral("-c"), QStringLiteral("soak_server.RefusingMailbox"), maildir,
                QString::number(refuseEvery) });
        if (!process.waitForStarted(5000))
            return false;
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (process.state() != QProcess::Running)
                return false;
            QTcpSocket probe;
            probe.connectToHost(QStringLiteral("127.0.0.1"), port);
            if (probe.waitForConnected(200) && probe.waitForReadyRead(1000)
                && probe.readAll().startsWith("220"))
                return true;
            QThread::msleep(100);
        }
        return false;
    }
    ~Server()
    {
        process.terminate();
        if (!process.waitForFinished(3000))
            process.kill();
        process.waitForFinished(3000);
    }
};

// One simulated day against a server that refuses every refuseEvery-th content (0: none).
bool soak(int refuseEvery)
{
    QTemporaryDir dir;
    Server server;
    if (!server.start(dir.path(), refuseEvery)) {
        std::fprintf(stderr, "aiosmtpd did not start\n");
        return false;
    }
    SettingsStore settings(dir.path() + QStringLiteral("/Tolvane.ini"));
    FastClock clock;
    clock.moment = QDateTime(Day, QTime(0, 0));
    CountedBoxes boxes;
    AppContext program(settings, clock, boxes);
    program.dataFolder = dir.path() + QStringLiteral("/data/");
    program.showErrors = true;
    QDir().mkpath(program.dataFolder);

    QHash<QString, QString> recordOf; // message text -> record
    for (int user = 1; user <= Users; ++user) {
        const QString section = Roster::userSection(user);
        settings.writeSetting(section, QStringLiteral("Name"), QStringLiteral("User %1").arg(user));
        settings.writeSetting(
            section, QStringLiteral("CellEmail"), QStringLiteral("u%1@phone.example").arg(user));
        settings.writeSetting(
            section, QStringLiteral("Email"), QStringLiteral("u%1@home.example").arg(user));
        settings.writeSetting(
            section, QStringLiteral("SMTP"), QStringLiteral("127.0.0.1:%1").arg(server.port));
        QFile file(program.dataFolder + QStringLiteral("u%1.usr").arg(user));
        if (!file.open(QIODevice::WriteOnly))
            return false;
        for (int n = 0; n < PerUser; ++n) {
            const QString record = Stamp::formatDate(Day) + u' '
                + Stamp::formatTime(minuteOf(user, n)) + u'N' + text(user, n)
                + QStringLiteral("|u%1@phone.example,u%2@phone.example,")
                      .arg(user)
                      .arg(user % Users + 1);
            recordOf.insert(text(user, n), record);
            file.write(record.toLatin1() + "\r\n");
        }
    }

    LanOnly connection;
    MessageStore store(program.dataFolder, clock);
    MailDelivery delivery(program, store, connection);
    Handover handover(clock, delivery);
    Scheduler scheduler(program, store, handover, connection);
    QHash<QString, int> greyCount;
    QHash<QString, int> redCount;
    int warnings = 0;
    int failures = 0;
    QObject::connect(&scheduler, &Scheduler::delivered,
        [&](int, const QDateTime &, const QString &message, bool sent) {
            ++(sent ? greyCount : redCount)[message];
        });
    QObject::connect(&scheduler, &Scheduler::warning, [&](const QString &) { ++warnings; });
    QObject::connect(
        &scheduler, &Scheduler::failure, [&](const QString &, const QString &) { ++failures; });

    const double rssStart = rssMb();
    double rssNoon = 0;
    QElapsedTimer wall;
    wall.start();
    scheduler.reload();
    // Every second of the day, as the program's check runs. A batch runs to its end before
    // the simulated clock moves on: the server here answers at once.
    for (int second = 0; second < 24 * 3600; ++second) {
        clock.moment = QDateTime(Day, QTime(0, 0)).addSecs(second);
        scheduler.checkDue();
        while (scheduler.isDelivering())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::processEvents();
        if (second == 12 * 3600)
            rssNoon = rssMb();
    }
    const double seconds = wall.elapsed() / 1000.0;
    const double rssEnd = rssMb();

    // What the server stored: each message once, to both of its recipients.
    QHash<QString, int> stored;
    int wrongEnvelope = 0;
    for (const QFileInfo &mail :
        QDir(server.maildir + QStringLiteral("/new")).entryInfoList(QDir::Files)) {
        QFile file(mail.absoluteFilePath());
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        const qsizetype body = bytes.indexOf("\n\n");
        const QString message = QString::fromLatin1(bytes.mid(body + 2).trimmed());
        ++stored[message];
        const QString record = recordOf.value(message);
        QStringList expected = record.mid(record.indexOf(u'|') + 1).split(u',');
        expected.removeAll(QString());
        QStringList envelope;
        for (const QByteArray &line : bytes.left(body).split('\n'))
            if (line.startsWith("X-RcptTo: "))
                for (const QByteArray &to : line.mid(10).split(','))
                    envelope.append(QString::fromLatin1(to.trimmed()));
        if (envelope != expected)
            ++wrongEnvelope;
    }

    // What the files say, against what should have happened to each message.
    int problems = 0;
    int refused = 0;
    for (int i = 0; i < handover.order.size(); ++i) {
        const bool refusedHere = refuseEvery > 0 && (i + 1) % refuseEvery == 0;
        const QString record = handover.order.at(i).mid(2);
        const QString message = record.mid(20, record.indexOf(u'|') - 20);
        refused += refusedHere;
        const bool ok = handover.handed.value(handover.order.at(i)) == 1
            && stored.value(message) == (refusedHere ? 0 : 1)
            && greyCount.value(message) == (refusedHere ? 0 : 1)
            && redCount.value(message) == (refusedHere ? 1 : 0);
        if (!ok && ++problems <= 5)
            std::fprintf(stderr, "wrong: %s\n", qPrintable(record));
    }
    int marked = 0;
    for (int user = 1; user <= Users; ++user) {
        QFile file(program.dataFolder + QStringLiteral("u%1.usr").arg(user));
        file.open(QIODevice::ReadOnly);
        for (const QByteArray &line : file.readAll().split('\n'))
            marked += line.size() > 19 && line.at(19) == 'S';
    }

    const int messages = Users * PerUser;
    if (refuseEvery)
        std::printf("\nserver refusing the content of every %d-th message:\n", refuseEvery);
    else
        std::printf("\nserver taking every message:\n");
    std::printf(
        "  messages %d, handed over %lld, off their minute %d, handed more than once %lld\n",
        messages, qlonglong(handover.order.size()), handover.offMinute,
        qlonglong(std::count_if(
            handover.handed.cbegin(), handover.handed.cend(), [](int n) { return n > 1; })));
    std::printf("  stored by the server %lld (wrong envelope %d), grey %lld, red %lld, "
                "marked S %d, warnings %d\n",
        qlonglong(stored.size()), wrongEnvelope, qlonglong(greyCount.size()),
        qlonglong(redCount.size()), marked, warnings);
    std::printf("  problems %d, still delivering %s, error trap reports %d, boxes %d\n", problems,
        scheduler.isDelivering() ? "yes" : "no", failures, boxes.shown);
    std::printf("  simulated day in %.1f s of real time\n", seconds);
    std::printf(
        "  resident memory: start %.1f MB, noon %.1f MB, end %.1f MB\n", rssStart, rssNoon, rssEnd);

    const int expectedStored = messages - refused;
    return handover.order.size() == messages && handover.offMinute == 0 && problems == 0
        && stored.size() == expectedStored && wrongEnvelope == 0 && marked == expectedStored
        && warnings == refused && !scheduler.isDelivering() && failures == 0 && boxes.shown == 0
        && rssEnd - rssNoon < 5;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bool accepted = soak(0);
    const bool refusing = soak(10);
    std::printf("\nsoak %s\n", accepted && refusing ? "passed" : "FAILED");
    return accepted && refusing ? 0 : 1;
}

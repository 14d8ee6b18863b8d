// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Delivery figures: how soon after its minute a message is held by a real SMTP server,
// how much CPU time a 20-second wait for a silent server costs, and how soon after the
// start of each second the scheduler's tick comes. With --tls, the first figure for a
// server that wants STARTTLS and a login, the password read from the desktop's keyring
// (run it on a bus with one: tests/support/with-keyring.sh build/bench/bench_delivery --tls).
// With --ntfy, the first figure for a phone address that is an ntfy topic: the real apprise
// posting to tests/support/notify_server.py.
#include "app/AppContext.h"
#include "app/MailServerOptions.h"
#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "delivery/MailDelivery.h"
#include "delivery/Scheduler.h"
#include "platform/Clock.h"
#include "platform/ConnectionService.h"
#include "platform/KeychainSecretStore.h"
#include "platform/MessageBoxes.h"
#include "platform/SecondTicker.h"
#include "store/MessageStore.h"
#include "store/Stamp.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using namespace std::chrono_literals;

// The wall clock moved by whole seconds, so that a minute of its own begins at the next
// real second while the real seconds stay where they are.
class ShiftedClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime().addMSecs(offsetMs); }
    qint64 offsetMs = 0;
};

class LanOnly final : public ConnectionService {
public:
    int flags() override { return Lan; }
    bool autodial() override { return true; }
    void hangUp() override { }
};

class PrintedBoxes final : public MessageBoxes {
public:
    Answer show(const QString &, const QString &text, Icon, Buttons, QWidget *) override
    {
        std::fprintf(stderr, "box: %s\n", qPrintable(text));
        return Answer::Ok;
    }
};

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const auto n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double cpuMs()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

double fileWrittenMs(const QString &path)
{
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return info.st_mtim.tv_sec * 1000.0 + info.st_mtim.tv_nsec / 1e6;
}

quint16 freePort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

const QString Source = QStringLiteral(TOLVANE_SOURCE_DIR);
const QString Login = QStringLiteral("ann");
const QString Password = QStringLiteral("bench password");

// Runs the event loop until done() holds or the time is up; whether it holds.
bool waitFor(const std::function<bool()> &done, std::chrono::milliseconds limit,
    const std::function<void(QEventLoop &)> &wake)
{
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    wake(loop);
    if (!done()) {
        deadline.start(limit);
        while (!done() && deadline.isActive())
            loop.exec();
    }
    return done();
}

// The tests' TLS server (STARTTLS, a login) with certificates of a throw-away authority,
// which this process trusts.
bool startTlsServer(QProcess &process, quint16 port, const QString &dir)
{
    if (QProcess::execute(Source + QStringLiteral("/tests/support/make-test-certs.sh"), { dir })
        != 0)
        return false;
    QSslConfiguration trusted = QSslConfiguration::defaultConfiguration();
    trusted.setCaCertificates(QSslCertificate::fromPath(dir + QStringLiteral("/ca.pem")));
    QSslConfiguration::setDefaultConfiguration(trusted);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Its arguments: port, log, TLS mode, certificate, key, login, password, methods left out.
    process.start(QStringLiteral("/usr/bin/python3"),
        { Source + QStringLiteral("/tests/support/tls_smtpd.py"), QString::number(port),
            dir + QStringLiteral("/conversation.log"), QStringLiteral("starttls"),
            dir + QStringLiteral("/server.pem"), dir + QStringLiteral("/server.key"), Login,
            Password, QString() });
    return process.waitForStarted(5000) && process.waitForReadyRead(10000);
}

bool startAiosmtpd(QProcess &process, quint16 port, const QString &maildir)
{
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral("/usr/bin/python3"),
        { QStringLiteral("-m"), QStringLiteral("aiosmtpd"), QStringLiteral("-n"),
            QStringLiteral("-l"), QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("-c"),
            QStringLiteral("aiosmtpd.handlers.Mailbox"), maildir });
    if (!process.waitForStarted(5000))
        return false;
    for (int attempt = 0; attempt < 100; ++attempt) {
        QTcpSocket probe;
        probe.connectToHost(QStringLiteral("127.0.0.1"), port);
        if (probe.waitForConnected(100) && probe.waitForReadyRead(1000))
            return true;
        QThread::msleep(100);
    }
    return false;
}

// The tests' ntfy server on a free port; its port, 0 when it did not start.
quint16 startNotifyServer(QProcess &process, const QString &log)
{
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral("/usr/bin/python3"),
        { Source + QStringLiteral("/tests/support/notify_server.py"), QStringLiteral("0"), log });
    if (!process.waitForReadyRead(10000))
        return 0;
    return process.readLine().trimmed().toUShort();
}

// When the ntfy server took each post, in milliseconds since the epoch.
QList<double> postsTaken(const QString &log)
{
    QFile file(log);
    QList<double> taken;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (!line.isEmpty())
                taken.append(QJsonDocument::fromJson(line).object()["at"].toDouble() * 1000);
        }
    }
    return taken;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bool tls = app.arguments().contains(QStringLiteral("--tls"));
    const bool ntfy = app.arguments().contains(QStringLiteral("--ntfy"));

    QTemporaryDir dir;
    // 1. From the start of the due minute to the server holding the whole message.
    const quint16 port = freePort();
    const QString maildir = dir.path() + QStringLiteral("/Maildir");
    QProcess aiosmtpd;
    if (!(tls ? startTlsServer(aiosmtpd, port, dir.path())
              : startAiosmtpd(aiosmtpd, port, maildir))) {
        std::fprintf(stderr, "the SMTP server did not start\n");
        return 1;
    }
    QProcess notifyServer;
    const QString posts = dir.path() + QStringLiteral("/posts.log");
    QString phone = QStringLiteral("ann@phone.example");
    if (ntfy) {
        const quint16 httpPort = startNotifyServer(notifyServer, posts);
        if (httpPort == 0) {
            std::fprintf(stderr, "the ntfy server did not start\n");
            return 1;
        }
        phone = QStringLiteral("ntfy://127.0.0.1:%1/bench").arg(httpPort);
    }

    QDir().mkpath(dir.path() + QStringLiteral("/data"));
    SettingsStore settings(dir.path() + QStringLiteral("/Tolvane.ini"));
    ShiftedClock clock;
    PrintedBoxes boxes;
    AppContext p(settings, clock, boxes);
    p.dataFolder = dir.path() + QStringLiteral("/data/");
    LanOnly connection;
    MessageStore store(p.dataFolder, clock);
    MailDelivery delivery(p, store, connection);
    Scheduler scheduler(p, store, delivery, connection);
    QObject::connect(&scheduler, &Scheduler::warning,
        [](const QString &text) { std::fprintf(stderr, "warning: %s\n", qPrintable(text)); });

    const QString section = Roster::userSection(1);
    settings.writeSetting(section, QStringLiteral("Name"), QStringLiteral("Ann"));
    settings.writeSetting(section, QStringLiteral("Email"), QStringLiteral("ann@home.example"));
    settings.writeSetting(section, QStringLiteral("CellEmail"), phone);

    // "localhost" is the name on the server's certificate.
    settings.writeSetting(section, QStringLiteral("SMTP"),
        QStringLiteral("%1:%2").arg(tls ? "localhost" : "127.0.0.1").arg(port));
    if (tls) {
        MailServerOptions { MailServerOptions::Security::StartTls, {}, Login }.write(
            settings, section);
        std::optional<SecretStore::Result> answer;
        waitFor([&] { return answer.has_value(); }, 40s,
            [&](QEventLoop &loop) {
                p.secrets->writePassword(
                    section, Password, &app, [&](const SecretStore::Result &r) {
                        answer = r;
                        loop.quit();
                    });
            });
        const auto stored = answer.value_or(SecretStore::Result {});
        if (!stored.ok) {
            std::fprintf(stderr, "no keyring: %s\n", qPrintable(stored.error));
            return 1;
        }
    }

    scheduler.start();

    const int Deliveries = ntfy ? 10 : 12;
    QList<double> held;
    QList<double> finished;
    const QDateTime firstMinute(QDate(2030, 1, 7), QTime(10, 0));
    int delivered = 0;
    QEventLoop *waiting = nullptr;
    QObject::connect(
        &scheduler, &Scheduler::delivered, [&](int, const QDateTime &, const QString &, bool sent) {
            delivered += sent ? 1 : 0;
            if (waiting)
                waiting->quit();
        });
    for (int i = 0; i < Deliveries; ++i) {
        const QDateTime minute = firstMinute.addSecs(60 * i);
        // The next real second at least half a second away becomes the due minute's start.
        const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();
        const qint64 startMs = (nowMs + 500) / 1000 * 1000 + 1000;
        clock.offsetMs = minute.toMSecsSinceEpoch() - startMs;

        QFile file(p.dataFolder + QStringLiteral("u1.usr"));
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write((Stamp::formatStamp(minute)
            + QStringLiteral("NBench message %1|%2,\r\n").arg(i).arg(phone))
                       .toLatin1());
        file.close();
        scheduler.reload();

        const int before = delivered;
        if (!waitFor([&] { return delivered > before; }, 10s,
                [&](QEventLoop &loop) { waiting = &loop; })) {
            std::fprintf(stderr, "delivery %d did not go out\n", i);
            return 1;
        }
        finished.append(double(QDateTime::currentMSecsSinceEpoch() - startMs));
        if (ntfy) {
            const QList<double> taken = postsTaken(posts);
            held.append(taken.value(i, -1) - double(startMs));
            continue;
        }
        double latest = -1;
        if (tls) {
            // The TLS server keeps no mailbox; it appends each mail it takes to this file.
            latest = fileWrittenMs(dir.path() + QStringLiteral("/conversation.log.mime"));
        } else {
            const QStringList mails = QDir(maildir + QStringLiteral("/new")).entryList(QDir::Files);
            for (const QString &name : mails) {
                const QString path = maildir + QStringLiteral("/new/") + name;
                latest = std::max(latest, fileWrittenMs(path));
                QFile::remove(path);
            }
        }
        held.append(latest - double(startMs));
    }
    waiting = nullptr;
    aiosmtpd.terminate();
    aiosmtpd.waitForFinished(3000);
    notifyServer.terminate();
    notifyServer.waitForFinished(3000);

    QTextStream out(stdout);
    out << "Due minute to message held by "
        << (ntfy         ? "the ntfy server, through apprise"
                   : tls ? "aiosmtpd with STARTTLS and a login"
                         : "aiosmtpd")
        << ", " << held.size() << " deliveries\n";
    out << "  median " << median(held) << " ms, worst "
        << *std::max_element(held.begin(), held.end())
        << (ntfy ? " ms (target: median < 1000)\n" : " ms (target: median <= 50, worst <= 250)\n");
    out << "  delivery ended (" << (ntfy ? "apprise ended" : "QUIT answered")
        << ", file marked): median " << median(finished) << " ms, worst "
        << *std::max_element(finished.begin(), finished.end()) << " ms\n";
    if (tls || ntfy)
        return 0;

    // 2 and 3. A 20-second wait for a server that accepts and never says a word, with the
    // scheduler's ticks running through it as in the program.
    QTcpServer silent;
    silent.listen(QHostAddress::LocalHost, 0);
    QList<QTcpSocket *> held_open;
    QObject::connect(&silent, &QTcpServer::newConnection, [&] {
        while (QTcpSocket *s = silent.nextPendingConnection())
            held_open.append(s);
    });
    settings.writeSetting(
        section, QStringLiteral("SMTP"), QStringLiteral("127.0.0.1:%1").arg(silent.serverPort()));
    QList<double> offsets;
    SecondTicker ticker;
    QObject::connect(&ticker, &SecondTicker::tick,
        [&] { offsets.append(double(QDateTime::currentMSecsSinceEpoch() % 1000)); });
    ticker.setEnabled(true);

    // Handed to the scheduler at its next tick; the ticks during the wait find a delivery
    // under way.
    bool ended = false;
    QObject::connect(&delivery, &Deliverer::finished, [&] { ended = true; });
    const double cpuBefore = cpuMs();
    const qint64 wallBefore = QDateTime::currentMSecsSinceEpoch();
    scheduler.sendInstantMessage(1,
        MessageRecord::compose(
            clock.now(), QStringLiteral("Silent"), { QStringLiteral("ann@phone.example") }));
    waitFor([&] { return ended; }, 30s,
        [&](QEventLoop &loop) {
            QObject::connect(&delivery, &Deliverer::finished, &loop, &QEventLoop::quit);
        });
    const double cpuSpent = cpuMs() - cpuBefore;
    const qint64 wallSpent = QDateTime::currentMSecsSinceEpoch() - wallBefore;
    ticker.setEnabled(false);

    out << "CPU time during a wait of " << wallSpent << " ms on a silent server: " << cpuSpent
        << " ms (target: <= 50)\n";
    out << "Tick offset after the start of the second, " << offsets.size()
        << " ticks during that wait: median " << median(offsets) << " ms, worst "
        << *std::max_element(offsets.begin(), offsets.end()) << " ms (target: median <= 10)\n";
    return 0;
}

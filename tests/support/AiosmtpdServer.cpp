#include "support/AiosmtpdServer.h"

#include "support/FreePort.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpSocket>
#include <QTest>
#include <algorithm>

AiosmtpdServer::~AiosmtpdServer()
{
    stop();
}

QString AiosmtpdServer::address() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

bool AiosmtpdServer::start()
{
    m_port = FreeLoopbackPort();
    // The Maildir must not exist yet: the server creates it with cur/new/tmp.
    const QString maildir = m_dir.path() + QStringLiteral("/Maildir");
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("/usr/bin/python3"),
        { QStringLiteral("-m"), QStringLiteral("aiosmtpd"), QStringLiteral("-n"),
            QStringLiteral("-l"), address(), QStringLiteral("-c"),
            QStringLiteral("aiosmtpd.handlers.Mailbox"), maildir });
    // Up when it greets.
    return waitUntilUp([&] {
        QTcpSocket probe;
        probe.connectToHost(QStringLiteral("127.0.0.1"), m_port);
        if (!probe.waitForConnected(200))
            return false;
        return probe.waitForReadyRead(1000) && probe.readAll().startsWith("220");
    });
}

bool AiosmtpdServer::start(const Options &options)
{
    m_port = FreeLoopbackPort();
    static const char *const modes[] = { "none", "starttls", "smtps" };
    QStringList arguments { qEnvironmentVariable("TOLVANE_SOURCE_DIR")
            + QStringLiteral("/tests/support/tls_smtpd.py"),
        QStringLiteral("--port"), QString::number(m_port), QStringLiteral("--maildir"),
        m_dir.path() + QStringLiteral("/Maildir"), QStringLiteral("--log"),
        m_dir.path() + QStringLiteral("/conversation.log"), QStringLiteral("--tls"),
        QLatin1String(modes[int(options.tls)]) };
    if (options.tls != Options::Tls::None)
        arguments << QStringLiteral("--cert") << options.certificate << QStringLiteral("--key")
                  << options.key;
    if (!options.login.isEmpty())
        arguments << QStringLiteral("--login") << options.login << QStringLiteral("--password")
                  << options.password;
    for (const QString &method : options.excludedMethods)
        arguments << QStringLiteral("--exclude-method") << method;
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setReadChannel(QProcess::StandardOutput);
    m_process.start(QStringLiteral("/usr/bin/python3"), arguments);
    // Up when it says so: a greeting probe cannot tell over TLS.
    return waitUntilUp(
        [&] { return m_process.canReadLine() && m_process.readLine() == "ready\n"; });
}

bool AiosmtpdServer::waitUntilUp(const std::function<bool()> &up)
{
    if (!m_process.waitForStarted(5000))
        return false;
    return QTest::qWaitFor([&] { return m_process.state() != QProcess::Running || up(); }, 10000)
        && m_process.state() == QProcess::Running;
}

QStringList AiosmtpdServer::conversationLog() const
{
    QFile file(m_dir.path() + QStringLiteral("/conversation.log"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

void AiosmtpdServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

QStringList AiosmtpdServer::mailFiles() const
{
    QDir dir(m_dir.path() + QStringLiteral("/Maildir/new"));
    QFileInfoList files = dir.entryInfoList(QDir::Files);
    std::sort(files.begin(), files.end(),
        [](const QFileInfo &a, const QFileInfo &b) { return a.lastModified() < b.lastModified(); });
    QStringList paths;
    for (const QFileInfo &file : files)
        paths.append(file.absoluteFilePath());
    return paths;
}

bool AiosmtpdServer::waitForMail(int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return mailFiles().size() >= count; }, timeoutMs);
}

QList<AiosmtpdServer::Mail> AiosmtpdServer::takeMail()
{
    QList<Mail> mails;
    for (const QString &path : mailFiles()) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        Mail mail;
        const QByteArray stored = file.readAll();
        file.close();
        QFile::remove(path);
        const qsizetype headerEnd = stored.indexOf("\n\n");
        const QByteArray headers = stored.left(headerEnd < 0 ? stored.size() : headerEnd);
        for (const QByteArray &line : headers.split('\n')) {
            if (line.startsWith("X-MailFrom: ")) {
                mail.mailFrom = QString::fromLatin1(line.mid(12));
            } else if (line.startsWith("X-RcptTo: ")) {
                for (const QByteArray &to : line.mid(10).split(','))
                    mail.rcptTo.append(QString::fromLatin1(to.trimmed()));
            } else if (!line.startsWith("X-Peer: ")) {
                mail.content += line + '\n';
            }
        }
        if (headerEnd >= 0)
            mail.content += stored.mid(headerEnd + 1);
        mails.append(mail);
    }
    return mails;
}

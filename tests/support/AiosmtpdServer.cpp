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
    if (!m_process.waitForStarted(5000))
        return false;
    // Up when it greets.
    return QTest::qWaitFor(
               [&] {
                   if (m_process.state() != QProcess::Running)
                       return true;
                   QTcpSocket probe;
                   probe.connectToHost(QStringLiteral("127.0.0.1"), m_port);
                   if (!probe.waitForConnected(200))
                       return false;
                   return probe.waitForReadyRead(1000) && probe.readAll().startsWith("220");
               },
               10000)
        && m_process.state() == QProcess::Running;
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

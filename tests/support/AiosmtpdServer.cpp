#include "support/AiosmtpdServer.h"

#include "support/FreePort.h"

#include <QDir>
#include <QTest>

AiosmtpdServer::~AiosmtpdServer()
{
    m_process.terminate();
    if (!m_process.waitForFinished(3000))
        m_process.kill();
    m_process.waitForFinished(3000);
}

bool AiosmtpdServer::start(const Options &options)
{
    m_port = FreeLoopbackPort();
    static const char *const modes[] = { "none", "starttls", "smtps" };
    QStringList arguments { qEnvironmentVariable("TOLVANE_SOURCE_DIR")
            + "/tests/support/tls_smtpd.py",
        "--port", QString::number(m_port), "--maildir", m_dir.filePath("Maildir"), "--log",
        m_dir.filePath("conversation.log"), "--tls", modes[int(options.tls)] };
    if (options.tls != Options::Tls::None)
        arguments << "--cert" << options.certificate << "--key" << options.key;
    if (!options.login.isEmpty())
        arguments << "--login" << options.login << "--password" << options.password;
    for (const QString &method : options.excludedMethods)
        arguments << "--exclude-method" << method;
    m_process.setReadChannel(QProcess::StandardOutput);
    m_process.start("/usr/bin/python3", arguments);
    // Up when it says so: a greeting probe cannot tell over TLS.
    return m_process.waitForStarted(5000)
        && QTest::qWaitFor(
            [&] {
                return m_process.state() != QProcess::Running
                    || (m_process.canReadLine() && m_process.readLine() == "ready\n");
            },
            10000)
        && m_process.state() == QProcess::Running;
}

QStringList AiosmtpdServer::conversationLog() const
{
    QFile file(m_dir.filePath("conversation.log"));
    return file.open(QIODevice::ReadOnly)
        ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
        : QStringList();
}

QStringList AiosmtpdServer::mailFiles() const
{
    QStringList paths;
    for (const QFileInfo &file :
        QDir(m_dir.filePath("Maildir/new")).entryInfoList(QDir::Files, QDir::Time | QDir::Reversed))
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
        file.open(QIODevice::ReadOnly);
        const QByteArray stored = file.readAll();
        file.remove();
        const qsizetype headerEnd = stored.indexOf("\n\n");
        Mail mail;
        for (const QByteArray &line : stored.left(headerEnd).split('\n')) {
            if (line.startsWith("X-MailFrom: "))
                mail.mailFrom = QString::fromLatin1(line.mid(12));
            else if (line.startsWith("X-RcptTo: "))
                for (const QByteArray &to : line.mid(10).split(','))
                    mail.rcptTo.append(QString::fromLatin1(to.trimmed()));
            else if (!line.startsWith("X-Peer: "))
                mail.content += line + '\n';
        }
        mails.append({ mail.mailFrom, mail.rcptTo, mail.content + stored.mid(headerEnd + 1) });
    }
    return mails;
}

#include "support/AiosmtpdServer.h"

#include "support/FreePort.h"

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
        "--port", QString::number(m_port), "--log", m_dir.filePath("log"), "--tls",
        modes[int(options.tls)], "--cert", options.certificate, "--key", options.key, "--login",
        options.login, "--password", options.password };
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

QStringList AiosmtpdServer::log() const
{
    QFile file(m_dir.filePath("log"));
    return file.open(QIODevice::ReadOnly)
        ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
        : QStringList();
}

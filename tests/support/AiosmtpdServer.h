#pragma once

#include "support/FreePort.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// A real SMTP server for the tests: Debian's aiosmtpd (tests/support/tls_smtpd.py) on a free
// loopback port. With TLS it offers STARTTLS or TLS from the first byte with the given
// certificate, and with a login a password it checks (only over TLS).
class AiosmtpdServer {
public:
    struct Options {
        QString tls = "none"; // "starttls", "smtps": TLS from the first byte
        QString certificate, key; // PEM files
        QString login, password; // no login: none asked
        QString excludedMethod; // a login method not offered, as "PLAIN"
    };
    ~AiosmtpdServer()
    {
        m_process.terminate();
        m_process.waitForFinished(3000);
    }
    // Starts the server and waits until it listens (a greeting probe cannot tell over TLS);
    // false when it does not come up.
    bool start(const Options &options)
    {
        m_port = FreeLoopbackPort();
        m_process.start("/usr/bin/python3",
            { qEnvironmentVariable("TOLVANE_SOURCE_DIR") + "/tests/support/tls_smtpd.py",
                QString::number(m_port), m_dir.filePath("log"), options.tls, options.certificate,
                options.key, options.login, options.password, options.excludedMethod });
        return QTest::qWaitFor(
                   [&] {
                       return m_process.canReadLine() || m_process.state() == QProcess::NotRunning;
                   },
                   10000)
            && m_process.readLine() == "ready\n";
    }
    quint16 port() const { return m_port; }
    // Every MAIL, RCPT, login attempt and mail taken, with whether the connection was
    // encrypted: "AUTH tls PLAIN ok", "DATA clear ann@home.example [...] b'Subject: ...'"
    // (as Python writes them).
    QStringList log() const
    {
        QFile file(m_dir.filePath("log"));
        return file.open(QIODevice::ReadOnly)
            ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
            : QStringList();
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};

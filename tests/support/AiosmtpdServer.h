// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

// A loopback TCP port that nothing listens on at the moment of the call.
inline quint16 FreeLoopbackPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

// A test server in Python (tests/support/<script>) with a folder for its logs; start() gives
// the first line it prints, once it has (empty if it ended or stayed silent).
class PythonServer {
public:
    ~PythonServer() { m_process.terminate(), m_process.waitForFinished(3000); }
    QByteArray start(const QString &script, const QStringList &arguments)
    {
        m_process.start("/usr/bin/python3",
            QStringList { qEnvironmentVariable("TOLVANE_SOURCE_DIR") + "/tests/support/" + script }
                + arguments);
        const auto said
            = [&] { return m_process.canReadLine() || m_process.state() == QProcess::NotRunning; };
        return QTest::qWaitFor(said, 10000) ? m_process.readLine() : QByteArray();
    }
    QStringList log(const QString &name = "log") const
    {
        QFile file(m_dir.filePath(name));
        return file.open(QIODevice::ReadOnly)
            ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)
            : QStringList();
    }

protected:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};

// A real SMTP server for the tests: Debian's aiosmtpd (tls_smtpd.py: its options and log) on
// a free loopback port. start() says whether it listens (a greeting probe cannot tell over
// TLS); log() holds lines such as "AUTH tls PLAIN ok", "DATA clear ann@home.example [...] b'...'".
class AiosmtpdServer : public PythonServer {
public:
    bool start(const QStringList &options)
    {
        const QStringList where { QString::number(m_port = FreeLoopbackPort()),
            m_dir.filePath("log") };
        return PythonServer::start("tls_smtpd.py", where + options) == "ready\n";
    }
    quint16 port() const { return m_port; }
    // Each mail taken as Python's e-mail package reads it under its strict SMTP policy: its
    // "defects", "headers", "text" (decoded), "mail options", "longest line".
    QList<QJsonObject> mails() const
    {
        QList<QJsonObject> mails;
        for (const QString &line : log("log.mime"))
            mails.append(QJsonDocument::fromJson(line.toUtf8()).object());
        return mails;
    }
};

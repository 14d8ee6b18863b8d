// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// A real HTTP server for the notification tests (tests/support/notify_server.py): ntfy's
// publish API and Apprise's generic json:// endpoint on a free loopback port; a topic
// beginning "refuse" is answered 500, one beginning "silent" never.
class NotifyServer {
public:
    ~NotifyServer() { m_process.kill(), m_process.waitForFinished(3000); }
    bool start()
    {
        m_process.start("/usr/bin/python3",
            { qEnvironmentVariable("TOLVANE_SOURCE_DIR") + "/tests/support/notify_server.py", "0",
                m_dir.filePath("log") });
        const auto said
            = [&] { return m_process.canReadLine() || m_process.state() == QProcess::NotRunning; };
        return QTest::qWaitFor(said, 10000) && (m_port = m_process.readLine().trimmed().toUShort());
    }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    // Each post as it arrived: "topic / title / message".
    QStringList received() const
    {
        QFile file(m_dir.filePath("log"));
        QStringList posts;
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : file.readAll().split('\n')) {
                const QJsonObject post = QJsonDocument::fromJson(line).object();
                if (!post.isEmpty())
                    posts << post["topic"].toString() + " / " + post["title"].toString() + " / "
                            + post["message"].toString();
            }
        }
        return posts;
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "support/AiosmtpdServer.h"

// A real HTTP server for the notification tests (notify_server.py): ntfy's publish API and
// Apprise's generic json:// endpoint on a free loopback port; a topic beginning "refuse" is
// answered 500, one beginning "silent" never.
class NotifyServer : public PythonServer {
public:
    bool start()
    {
        return (m_port = PythonServer::start("notify_server.py", { "0", m_dir.filePath("log") })
                             .trimmed()
                             .toUShort());
    }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    // Each post as it arrived: "topic / title / message".
    QStringList received() const
    {
        QStringList posts;
        for (const QString &line : log()) {
            const QJsonObject post = QJsonDocument::fromJson(line.toUtf8()).object();
            posts << post["topic"].toString() + " / " + post["title"].toString() + " / "
                    + post["message"].toString();
        }
        return posts;
    }
};

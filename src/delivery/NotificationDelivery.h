// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "delivery/AppriseSender.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <chrono>
#include <memory>
#include <vector>

// The notification-URL recipients of one message: each gets the text through an
// AppriseSender of its own, all at once, so that each failure names its recipient and a
// silent service holds up no other. The apprise program is looked up once per message.
// finished() comes once every sender has ended, never from inside start().
class NotificationDelivery : public QObject {
    Q_OBJECT
public:
    struct Recipient {
        QString name; // the user whose phone address it is
        QString url;
    };

    using QObject::QObject;
    ~NotificationDelivery() override;

    void start(const QList<Recipient> &recipients, const QString &text);
    // Ends every run at once; no finished() follows.
    void abort();

    void setTimeLimit(std::chrono::milliseconds limit) { m_timeLimit = limit; }

    // Once finished: whether any service took the text, whether every failure may pass by
    // itself, and why the last recipient that failed did (without any, apprise's last line
    // for the last recipient).
    bool anyTaken() const { return m_anyTaken; }
    bool failuresMayPass() const { return m_mayPass; }
    const QString &reply() const { return m_reply; }

signals:
    // Each recipient that did not get the text, as "name: reason", in the order given.
    void finished(const QStringList &failures);

private:
    void senderEnded(std::size_t index, bool sent, const QString &reason);

    std::chrono::milliseconds m_timeLimit = AppriseSender::DefaultTimeLimit;
    std::vector<std::unique_ptr<AppriseSender>> m_senders;
    QList<Recipient> m_recipients;
    QStringList m_reasons; // one per recipient, empty while running or once sent
    qsizetype m_running = 0;
    QStringList m_lastLines; // apprise's last line for each recipient
    bool m_anyTaken = false;
    bool m_mayPass = true;
    QString m_reply;
};

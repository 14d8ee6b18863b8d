// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDateTime>
#include <QList>
#include <QMetaType>
#include <QString>

// One try at delivering one message, as the delivery history keeps it: who sent what to
// whom over which channel, how it ended and the last thing the server or the channel said.
struct DeliveryAttempt {
    enum class Outcome { Sent, WillRetry, Failed };
    enum class Channel { Mail, Notification };
    struct Recipient {
        QString address;
        Channel channel = Channel::Mail;
        bool operator==(const Recipient &) const = default;
    };

    QDateTime at; // when the attempt ended
    int user = 0; // the sending user
    QDateTime due; // the record's minute; for an instant message the moment Send was pressed
    bool instant = false;
    QList<Recipient> recipients;
    Outcome outcome = Outcome::Failed;
    QString reply; // the server's or the channel's last reply, or the problem met before one
    QDateTime nextTry; // when it is tried again; WillRetry only
};

Q_DECLARE_METATYPE(DeliveryAttempt)

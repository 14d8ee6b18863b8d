// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "delivery/Deliverer.h"
#include "delivery/NotificationDelivery.h"
#include "delivery/SmtpClient.h"
#include "platform/SecretStore.h"

#include <QTimer>
#include <chrono>
#include <memory>

class ConnectionService;
class MessageStore;
class AppContext;

// Delivers one message, as a job: the record checked, the connection made ready (dialled
// when it is a modem line), the recipients vetted against the users' phone addresses. The
// e-mail addresses among them get one mail: the sending user's server, sender and options
// read, the password read from the keyring when the user logs in, the conversation
// (SmtpClient). Each notification URL among them gets the text through apprise
// (NotificationDelivery) meanwhile. Only when every channel took it is a scheduled message
// marked sent in its file. Each step goes on from the signal of what it waited for; no step
// waits for anything, and every problem is a warning() or the result's failure, never a
// box.
class MailDelivery final : public Deliverer {
    Q_OBJECT
public:
    MailDelivery(AppContext &context, MessageStore &store, ConnectionService &connection,
        QObject *parent = nullptr);

    void start(int user, const MessageRecord &record, bool instant) override;
    void abort() override;

    // How long each step of the conversation waits for the server (20 seconds in the
    // program).
    void setReplyTimeout(std::chrono::milliseconds timeout) { m_client.setReplyTimeout(timeout); }
    // How long apprise may take for each notification URL (20 seconds in the program).
    void setNotificationTimeLimit(std::chrono::milliseconds limit)
    {
        m_notifications.setTimeLimit(limit);
    }

private:
    void begin();
    bool connectionReady();
    // The recipient entries that may be sent to, cut into the mail's (an entry that is a
    // URL or no longer a user's emptied, so that each keeps its place) and the URLs, with
    // whether the record holds more entries than anyone wrote.
    struct Recipients {
        QStringList mail;
        QList<NotificationDelivery::Recipient> urls;
        bool tooMany = false;
        bool anyMail() const;
    };
    Recipients vettedRecipients() const;
    void sendMail();
    void passwordRead(const SecretStore::Result &stored);
    void mailEnded(bool sent);
    // The mail channel has failed before reaching the server: why, and whether that may pass.
    void mailFailed(const QString &reply, bool mayPass);
    void notificationsEnded(const QStringList &failures);
    // Once mail and notifications have both ended: the mark, and the result.
    void channelsEnded();
    // Runs one step; an exception takes the unexpected-error path.
    template<class Step> void guarded(Step &&step);
    void finish(bool sent, const QString &failureWhere = {}, const QString &failureText = {});

    AppContext &m_context;
    MessageStore &m_store;
    ConnectionService &m_connection;
    SmtpClient m_client;
    NotificationDelivery m_notifications;
    // Begins the delivery from the event loop, so that start() never reports anything.
    QTimer m_begin;
    // The context of a password read under way: dropping it drops the keyring's answer.
    std::unique_ptr<QObject> m_keyring;

    bool m_underWay = false;
    int m_user = 0;
    MessageRecord m_record;
    bool m_instant = false;
    bool m_dialledUp = false;
    SmtpClient::Mail m_mail;
    bool m_mailUnderWay = false;
    bool m_notificationsUnderWay = false;
    bool m_everyChannelTookIt = true;
    // What the result tells of the channels beside sent or not.
    Result m_result;
    bool m_mailTried = false;
    bool m_mailTaken = false;
    bool m_notified = false; // notifications were started
    bool m_mailMayPass = true;
    QString m_mailReply;
};

#pragma once

#include "delivery/Deliverer.h"
#include "delivery/SmtpClient.h"
#include "platform/SecretStore.h"

#include <QTimer>
#include <chrono>
#include <memory>

class ConnectionService;
class MessageStore;
class AppContext;

// Delivers one message by mail, as a job: the record checked, the connection made ready
// (dialled when it is a modem line), the sending user's server, sender and options read,
// the recipients vetted against the users' phone addresses, the password read from the
// keyring when the user logs in, the conversation (SmtpClient), and a scheduled message
// marked sent in its file. Each step goes on from the signal of what it waited for; no
// step waits for anything, and every problem is a warning() or the result's failure, never
// a box.
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

private:
    void begin();
    bool connectionReady();
    QStringList vettedRecipients() const;
    void passwordRead(const SecretStore::Result &stored);
    void conversationEnded(bool sent);
    // Runs one step; an exception takes the unexpected-error path.
    template<class Step> void guarded(Step &&step);
    void finish(bool sent, const QString &failureWhere = {}, const QString &failureText = {});

    AppContext &m_context;
    MessageStore &m_store;
    ConnectionService &m_connection;
    SmtpClient m_client;
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
};

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/MailServerOptions.h"
#include "delivery/SmtpReplyReader.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QSslError>
#include <QSslSocket>
#include <QStringList>
#include <QTimer>
#include <chrono>

// One SMTP conversation, as a job: connect, greeting, HELO (EHLO when the user chose
// security or a login, with HELO when the server does not know EHLO), STARTTLS or TLS from
// the first byte with the certificate checked, AUTH PLAIN or LOGIN over the encrypted
// connection, MAIL FROM, one RCPT TO per recipient, DATA, the content, QUIT. The content
// (SmtpWire::messageContent) names the recipients the server accepted and goes as 8-bit
// only to a server whose EHLO reply announced 8BITMIME, else quoted-printable.
//
// Nothing in it waits: start() returns at once, the socket's own signals move the
// conversation on, and one single-shot timer is the time limit of the step under way. So
// a dialog opened meanwhile holds nothing up, and the limit fires whatever loop is running.
// Every problem the user should hear of comes as warning(); the end comes as finished(),
// once per start(), never from inside start() itself.
class SmtpClient : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds DefaultReplyTimeout = std::chrono::seconds(20);

    struct Mail {
        QString serverSetting; // the user's "SMTP": "host", "host:port", "[IPv6]:port"
        MailServerOptions options;
        QString password; // for options.login, already read
        QString sender;
        // Taken in order; only the first ten entries are ever sent to. An empty entry, or
        // one that could add commands of its own, is skipped, so a caller that leaves out
        // an address (one that no longer belongs to a user) empties its entry and the
        // limit keeps its place.
        QStringList recipients;
        QString text;
        // When it was written, by the caller's clock: the mail's Date, in local time.
        QDateTime date;
    };

    explicit SmtpClient(QObject *parent = nullptr);
    ~SmtpClient() override;

    // The warning that keeps a mail from being tried at all (no server, a sender address
    // that could add commands, a security setting nobody knows, a login over clear text),
    // empty when it can go. start() asks it itself; a caller that must read the password
    // first asks before, so that these come before any keyring trouble, as they always did.
    static QString mailProblem(const Mail &mail);

    // Begins a conversation at the event loop's next turn; the result comes by finished().
    // A conversation still under way is dropped first, as abort() would.
    void start(const Mail &mail);
    // Ends the conversation at once and closes the connection; no finished() follows.
    void abort();

    // How long each step waits for the server: reaching it, the greeting, each reply and
    // the TLS handshake.
    void setReplyTimeout(std::chrono::milliseconds timeout) { m_replyTimeout = timeout; }
    std::chrono::milliseconds replyTimeout() const { return m_replyTimeout; }

    // Once finished: the server's reply to the content when sent, else the last reply line
    // or the problem met before any; and whether the failure may pass by itself (the
    // server out of reach, gone quiet or gone, or a 4xx reply).
    const QString &reply() const { return m_reply; }
    bool failureMayPass() const { return m_mayPass; }

signals:
    void warning(const QString &text);
    // A receiver done with the client deletes it with deleteLater(): the signal comes from
    // inside the client's own handling of the socket.
    void finished(bool sent);

private:
    enum class Step {
        Idle,
        Starting, // start() was called; the conversation begins when the timer fires
        Connecting,
        Handshake, // TLS, from the start or after STARTTLS
        // The steps that wait for a reply to what was sent last.
        Greeting,
        Ehlo,
        Helo,
        StartTls,
        Auth,
        MailFrom,
        RcptTo,
        Data,
        Content,
        Quit,
    };

    // What moves the conversation on.
    void begin();
    void socketConnected();
    void socketEncrypted();
    void socketReadyRead();
    void socketError();
    void serverGone(); // closed by the server, or never reached
    void deadlinePassed();

    // Gathers what has arrived into replies and judges each complete one.
    void readReplies();
    void judge(const QString &reply);
    // The reply to the step under way has come.
    void replyArrived();
    // The reply did not come; a reply that no command asked for is the reason given then,
    // else why.
    void unanswered(const QString &why);
    void handshakeFailed();

    void send(Step step, const QByteArray &line);
    void waitForGreeting();
    void greet();
    void greeted();
    void logIn();
    void mailFrom();
    void nextRecipient();
    QByteArray content() const;
    // Whether the last reply is of the class the command wants (2 for 2xx, 3 for 3xx); when
    // not, the conversation has failed.
    bool expected(int replyClass);
    void fail(const QString &text = {});
    // A failure that may pass by itself: the server out of reach, silent or gone.
    void failForNow(const QString &text);
    void finish(bool sent);
    void stop();
    bool socketGone() const;
    bool waitingForReply() const { return m_step >= Step::Greeting; }

    QSslSocket m_socket;
    QTimer m_deadline;
    std::chrono::milliseconds m_replyTimeout = DefaultReplyTimeout;
    Step m_step = Step::Idle;

    Mail m_mail;
    QString m_localHost;
    SmtpReplyReader m_reader;
    bool m_awaitingReply = false; // a command (or the greeting) waits for its reply
    int m_code = 0; // the code of the last reply judged; 0 while none has come
    QString m_lastReply;
    QString m_unsolicited; // the first reply that came while none was asked for
    bool m_unsolicitedShown = false; // it was a closing notice, already shown
    QString m_ehloReply; // the capabilities, empty after HELO
    QList<QByteArray> m_credentials; // what the login still has to send when asked
    qsizetype m_recipient = 0; // the next recipient entry to look at
    QStringList m_accepted; // the recipients the server took
    bool m_eightBit = false; // the text goes unencoded, as the server said it may
    QList<QSslError> m_tlsErrors;
    QString m_contentReply; // the server's answer to the content
    QString m_reply;
    bool m_mayPass = false;
};

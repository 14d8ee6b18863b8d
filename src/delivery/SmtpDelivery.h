#pragma once

#include "delivery/MessageProcessor.h"
#include "delivery/SmtpReplyReader.h"
#include "platform/EventWait.h"

#include <QList>
#include <QObject>
#include <QSslError>
#include <QSslSocket>
#include <chrono>

class ConnectionService;
class Program;
struct DeliveryEntry;
struct MailServerOptions;

// Delivers one due message by SMTP to the sending user's server: connection check,
// connect, greeting, HELO, MAIL FROM, one RCPT TO per address that still belongs to a
// user, DATA, the content, QUIT; then the mark in the message file and the colour of
// the message's row. A user whose server wants TLS or a login gets EHLO instead of HELO,
// STARTTLS or TLS from the first byte with the certificate checked, and AUTH PLAIN or
// LOGIN over the encrypted connection, with the password from the desktop's keyring.
// Every wait for the server is a nested event loop, so timers and the windows keep
// running during a delivery; it ends at a reply, at the server closing the connection,
// or at the reply time-out.
class SmtpDelivery : public QObject, public MessageProcessor {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds DefaultReplyTimeout = std::chrono::seconds(20);

    SmtpDelivery(Program &program, ConnectionService &connection, QObject *parent = nullptr);

    void ProcessMessage(const QString &entry) override;

    // How long each step waits for the server (20 seconds in the program).
    void setReplyTimeout(std::chrono::milliseconds timeout) { m_replyTimeout = timeout; }
    std::chrono::milliseconds replyTimeout() const { return m_replyTimeout; }

    // Judges one complete reply: SmtpReplyCode becomes its code, and the replies that
    // deserve the user's attention raise a warning.
    void AnalyzeSMTP(const QString &reply);

    // Everything that has arrived, gathered into replies; each complete one is judged.
    // Runs on every arrival, also outside a delivery.
    void Winsock_DataArrival();

    // The SMTP connection, as the program's one socket. It stays in clear text unless the
    // user chose TLS.
    QSslSocket Winsock;

signals:
    // The delivery of a message ended: sent (grey) or failed (red). The time is the
    // record's "HH:MM AMPM"; the window colours the row only for its logged-in user and
    // shown day.
    void rowColoured(
        int userCode, const QString &date, const QString &time, const QString &text, bool sent);
    // A delivery problem for the non-modal warning window.
    void warning(const QString &text);

private:
    enum class Reply { Received, TimedOut, Closed };

    bool converse(const DeliveryEntry &entry);
    bool connectionReady();
    bool freeSocket();
    bool connectToServer(const QString &setting, const MailServerOptions &options);
    // What a user who chose TLS or a login needs before connecting: settings that make
    // sense and the password. False (after a warning) when the delivery cannot go on.
    bool prepareLogin(const MailServerOptions &options, const QString &section, QString &password);
    // EHLO (HELO when the server does not know EHLO), STARTTLS when chosen, the login.
    bool secureAndLogIn(
        const MailServerOptions &options, const QString &localHost, const QString &password);
    // EHLO, or HELO when EHLO is refused; ehloReply gets the capabilities (empty after HELO).
    bool greet(const QString &localHost, QString &ehloReply);
    bool waitForEncryption();
    bool logIn(const QString &login, const QString &password, const QString &ehloReply);
    // Whether the server answered; silence, a closed connection and a reply nobody asked
    // for are reported here.
    bool answered(Reply reply, const QString &silence);
    // Whether the last reply is of the class the command wants (2 for 2xx, 3 for 3xx).
    bool fits(int replyClass);
    // Sends a command line (or the content) and waits for the reply to it.
    Reply command(const QByteArray &line);
    Reply waitForReply();
    bool serverGone() const;
    void failureExit(const DeliveryEntry &entry);

    Program &p;
    ConnectionService &m_connection;
    SmtpReplyReader m_reader;
    QString m_lastReply; // the last complete reply, as judged
    bool m_quietRefusals = false; // a refusal that is answered by a fallback, not a warning
    bool m_tcpConnected = false;
    bool m_awaitingReply = false; // a command (or the greeting) waits for its reply
    QString m_unsolicited; // the first reply that came while none was asked for
    bool m_unsolicitedShown = false; // it was a closing notice, already shown
    QList<QSslError> m_tlsErrors;
    EventWait m_wait;
    std::chrono::milliseconds m_replyTimeout = DefaultReplyTimeout;
};

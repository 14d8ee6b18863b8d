#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

// A real SMTP server for the tests: Debian's aiosmtpd on a free loopback port, storing
// every mail it accepts in a Maildir with the envelope in X-MailFrom / X-RcptTo headers.
class AiosmtpdServer {
public:
    AiosmtpdServer() = default;
    ~AiosmtpdServer();

    // Starts the server and waits until it greets; false when it does not come up.
    bool start();

    // A server with TLS and a login (tests/support/tls_smtpd.py): STARTTLS or TLS from
    // the first byte with the given certificate, and with a login a password it checks
    // (offered only over TLS). It logs every MAIL, RCPT and login attempt with whether
    // the connection was encrypted, as "MAIL tls a@b", "AUTH clear PLAIN refused".
    struct Options {
        enum class Tls { None, StartTls, FromStart };
        Tls tls = Tls::None;
        QString certificate; // PEM files
        QString key;
        QString login; // empty: no login asked
        QString password;
        QStringList excludedMethods; // login methods not offered, as "PLAIN"
    };
    bool start(const Options &options);
    QStringList conversationLog() const;
    void stop();

    quint16 port() const { return m_port; }
    // The "SMTP" setting that reaches it.
    QString address() const;

    struct Mail {
        QString mailFrom;
        QStringList rcptTo;
        // The stored mail without the headers the server added (line ends are "\n").
        QByteArray content;
    };

    // Waits (letting events run) until at least that many mails are stored.
    bool waitForMail(int count, int timeoutMs = 5000);
    // The mails stored so far, oldest first; they are removed from the Maildir.
    QList<Mail> takeMail();
    // Paths of the stored mails, oldest first.
    QStringList mailFiles() const;

private:
    bool waitUntilUp(const std::function<bool()> &up);

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};

#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// A real SMTP server for the tests: Debian's aiosmtpd (tests/support/tls_smtpd.py) on a free
// loopback port, storing every mail it accepts in a Maildir with the envelope in X-MailFrom /
// X-RcptTo headers. With TLS it offers STARTTLS or TLS from the first byte with the given
// certificate, and with a login a password it checks (only over TLS). It logs every MAIL,
// RCPT and login attempt with whether the connection was encrypted ("AUTH tls PLAIN ok").
class AiosmtpdServer {
public:
    ~AiosmtpdServer();

    struct Options {
        enum class Tls { None, StartTls, FromStart };
        Tls tls = Tls::None;
        QString certificate; // PEM files
        QString key;
        QString login; // empty: no login asked
        QString password;
        QStringList excludedMethods; // login methods not offered, as "PLAIN"
    };
    // Starts the server and waits until it listens; false when it does not come up.
    bool start(const Options &options);
    bool start() { return start(Options {}); }
    QStringList conversationLog() const;

    quint16 port() const { return m_port; }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

    struct Mail {
        QString mailFrom;
        QStringList rcptTo;
        QByteArray content; // without the headers the server added; line ends are "\n"
    };
    // Waits (letting events run) until at least that many mails are stored.
    bool waitForMail(int count, int timeoutMs = 5000);
    // The mails stored so far, oldest first; they are removed from the Maildir.
    QList<Mail> takeMail();
    // Paths of the stored mails, oldest first.
    QStringList mailFiles() const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};

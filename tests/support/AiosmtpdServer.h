#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// A real SMTP server for the tests: Debian's aiosmtpd on a free loopback port, storing
// every mail it accepts in a Maildir with the envelope in X-MailFrom / X-RcptTo headers.
class AiosmtpdServer {
public:
    AiosmtpdServer() = default;
    ~AiosmtpdServer();

    // Starts the server and waits until it greets; false when it does not come up.
    bool start();
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
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};

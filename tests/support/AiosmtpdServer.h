#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

// A real SMTP server for the tests: Debian's aiosmtpd (tests/support/tls_smtpd.py) on a free
// loopback port. With TLS it offers STARTTLS or TLS from the first byte with the given
// certificate, and with a login a password it checks (only over TLS).
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
    quint16 port() const { return m_port; }
    // Every MAIL, RCPT, login attempt and mail taken, with whether the connection was
    // encrypted: "AUTH tls PLAIN ok", "DATA clear b'Subject: ...'" (the bytes as Python
    // writes them).
    QStringList log() const;

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
};

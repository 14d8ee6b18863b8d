#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

// A loopback SMTP server that follows a script, for the faults a real server does not
// make on request: silence, replies split over several arrivals, refusals at a chosen
// step, 421, closing the connection, never closing after QUIT. Unscripted steps get the
// ordinary answers (220, 250, 250, 250, 354, 250, 221 and close).
class ScriptedSmtpServer : public QObject {
    Q_OBJECT
public:
    enum Step { Greeting, Helo, Mail, Rcpt, Data, Content, Quit };

    // What the server does at a step: send these pieces one after another (each one a
    // separate arrival), then close the connection when asked. No pieces: silence.
    struct Reply {
        QList<QByteArray> pieces;
        bool close = false;
    };
    static Reply say(const QByteArray &text) { return { { text }, false }; }
    static Reply sayAndClose(const QByteArray &text) { return { { text }, true }; }
    static Reply pieces(const QList<QByteArray> &parts) { return { parts, false }; }
    static Reply silence() { return {}; }
    static Reply hangUp() { return { {}, true }; }
    // The text sent one byte at a time, each byte a separate arrival.
    static Reply bytes(const QByteArray &text);

    ScriptedSmtpServer();

    // The replies for a step, used in turn; the last one repeats.
    void script(Step step, const QList<Reply> &replies) { m_script[step] = replies; }
    // Holds back every reply at a step by that long: a slow server.
    void delay(Step step, int ms) { m_delayMs[step] = ms; }

    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }

    // Every command line received, without its line end, and the raw content after DATA.
    QList<QByteArray> commands;
    QByteArray content;
    int connections = 0;
    // A command came while a reply was still being sent: the client did not wait for
    // the whole reply, and the conversation is out of step.
    bool outOfStep = false;

    // The verbs received, in order ("HELO", "MAIL", ...).
    QList<QByteArray> verbs() const;

private:
    void received();
    void respond(Step step);

    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QByteArray m_buffer;
    bool m_inData = false;
    int m_piecesPending = 0;
    QMap<Step, QList<Reply>> m_script;
    QMap<Step, int> m_used;
    QMap<Step, int> m_delayMs;
};

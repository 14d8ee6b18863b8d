#pragma once

#include <QMap>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

// A loopback SMTP server that follows a script, for the faults a real server does not make
// on request: silence, replies split over several arrivals, refusals at a chosen step, 421,
// closing the connection, never closing after QUIT. Unscripted steps get the ordinary
// answers (220, 250, 250, 250, 354, 250, 221 and close).
class ScriptedSmtpServer : public QObject {
    Q_OBJECT
public:
    enum Step { Greeting, Helo, Mail, Rcpt, Data, Content, Quit };
    // A step's replies, used in turn; the last one repeats. A reply is sent in pieces cut at
    // "|", each a separate arrival; a piece "@n" waits n ms instead, "!" closes the
    // connection. An empty reply is silence.
    using Script = QMap<Step, QList<QByteArray>>;

    explicit ScriptedSmtpServer(const Script &script = {});

    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }
    // The verbs received, in order: "HELO MAIL ...".
    QByteArray verbs() const;

    // Every command line received, without its line end, and the raw content after DATA.
    QList<QByteArray> commands;
    QByteArray content;
    int connections = 0;
    // A command came while a reply was still being sent: the client did not wait for the
    // whole reply, and the conversation is out of step.
    bool outOfStep = false;

private:
    void received();
    void respond(Step step);

    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QByteArray m_buffer;
    bool m_inData = false;
    int m_piecesPending = 0;
    Script m_script;
    QMap<Step, int> m_used;
};

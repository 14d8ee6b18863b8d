// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QMap>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

// A loopback SMTP server that follows a script, for the faults a real server does not make
// on request: silence, replies split over several arrivals, refusals at a chosen step, 421,
// closing the connection. Unscripted steps get the ordinary answers.
class ScriptedSmtpServer {
public:
    enum Step { Greeting, Helo, Mail, Rcpt, Data, Content, Quit };
    // A step's replies, used in turn; the last one repeats. A reply is sent in pieces cut at
    // "|", each a separate arrival; a piece "!" closes the connection. An empty reply is
    // silence.
    using Script = QMap<Step, QList<QByteArray>>;

    explicit ScriptedSmtpServer(const Script &script = {})
        : m_script(script)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            ++connections;
            m_client = m_server.nextPendingConnection();
            QObject::connect(m_client, &QTcpSocket::readyRead, &m_server, [this] { received(); });
            respond(Greeting);
        });
    }
    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }
    // The verbs received, in order: "HELO MAIL ...".
    QByteArray verbs() const
    {
        QByteArray verbs;
        for (const QByteArray &line : commands)
            verbs += ' ' + line.left(4).toUpper();
        return verbs.mid(1);
    }

    QList<QByteArray> commands; // every command line, without its line end
    QByteArray content; // what came after DATA, to its end
    int connections = 0;
    // A command came while a reply was still being sent: the client did not wait for the
    // whole reply, and the conversation is out of step.
    bool outOfStep = false;

private:
    void respond(Step step)
    {
        static const QByteArray ordinary[] { "220 scripted ready\r\n", "250 scripted\r\n",
            "250 OK\r\n", "250 OK\r\n", "354 End data with <CR><LF>.<CR><LF>\r\n", "250 queued\r\n",
            "221 Bye\r\n|!" };
        const QList<QByteArray> replies = m_script.value(step, { ordinary[step] });
        const QByteArray reply = replies.at(qMin(m_used[step]++, int(replies.size()) - 1));
        int at = -40;
        for (const QByteArray &piece : reply.split('|')) {
            const bool text = !piece.isEmpty() && piece != "!";
            m_piecesPending += text;
            QTimer::singleShot(at += 40, &m_server, [this, client = m_client, piece, text] {
                m_piecesPending -= text;
                if (client)
                    piece == "!" ? client->disconnectFromHost() : void(client->write(piece));
            }); // far enough apart that each piece arrives on its own
        }
        m_inData = step == Data && QByteArray(reply).replace("|", "").startsWith("354");
    }
    void received()
    {
        m_buffer += m_client->readAll();
        outOfStep |= m_piecesPending > 0;
        static const QList<QByteArray> verbs { "EHLO", "HELO", "MAIL", "RCPT", "DATA", "QUIT" };
        for (qsizetype end; (end = m_buffer.indexOf(m_inData ? "\r\n.\r\n" : "\r\n")) >= 0;) {
            const QByteArray line = m_buffer.left(end + (m_inData ? 5 : 0));
            m_buffer.remove(0, end + (m_inData ? 5 : 2));
            if (std::exchange(m_inData, false)) {
                content = line;
                respond(Content);
                continue;
            }
            commands.append(line);
            const int verb = int(verbs.indexOf(line.left(4).toUpper()));
            verb < 0 ? void(m_client->write("500 unknown command\r\n"))
                     : respond(verb == 5 ? Quit : Step(qMax(1, verb)));
        }
    }

    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QByteArray m_buffer;
    bool m_inData = false;
    int m_piecesPending = 0;
    Script m_script;
    QMap<Step, int> m_used;
};

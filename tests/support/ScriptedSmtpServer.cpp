#include "support/ScriptedSmtpServer.h"

#include <QTimer>

namespace {

constexpr int PieceGapMs = 40; // far enough apart that each piece arrives on its own

const QByteArray Ordinary[] { "220 scripted ready\r\n", "250 scripted\r\n", "250 OK\r\n",
    "250 OK\r\n", "354 End data with <CR><LF>.<CR><LF>\r\n", "250 queued\r\n", "221 Bye\r\n|!" };

} // namespace

ScriptedSmtpServer::ScriptedSmtpServer(const Script &script)
    : m_script(script)
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            ++connections;
            if (m_client)
                m_client->abort();
            m_client = socket;
            m_buffer.clear();
            m_inData = false;
            connect(socket, &QTcpSocket::readyRead, this, &ScriptedSmtpServer::received);
            respond(Greeting);
        }
    });
}

QByteArray ScriptedSmtpServer::verbs() const
{
    QList<QByteArray> verbs;
    for (const QByteArray &line : commands)
        verbs.append(line.left(4).toUpper());
    return verbs.join(' ');
}

void ScriptedSmtpServer::respond(Step step)
{
    const QList<QByteArray> replies = m_script.value(step, { Ordinary[step] });
    const QByteArray reply = replies.at(qMin(m_used[step]++, int(replies.size()) - 1));
    QPointer<QTcpSocket> client = m_client;
    int at = 0;
    QByteArray said;
    for (const QByteArray &piece : reply.split('|')) {
        if (piece.startsWith('@')) {
            at += piece.mid(1).toInt();
        } else if (piece == "!") {
            QTimer::singleShot(
                at, this, [client] { client ? client->disconnectFromHost() : void(); });
        } else if (!piece.isEmpty()) {
            said += piece;
            ++m_piecesPending;
            QTimer::singleShot(at, this, [this, client, piece] {
                --m_piecesPending;
                if (client)
                    client->write(piece);
            });
            at += PieceGapMs;
        }
    }
    m_inData = step == Data && said.startsWith("354");
}

void ScriptedSmtpServer::received()
{
    if (!m_client)
        return;
    m_buffer += m_client->readAll();
    outOfStep |= m_piecesPending > 0;
    static const QList<QByteArray> verbs { "HELO", "MAIL", "RCPT", "DATA" };
    for (qsizetype end; (end = m_buffer.indexOf(m_inData ? "\r\n.\r\n" : "\r\n")) >= 0;) {
        if (m_inData) {
            content = m_buffer.left(end + 5);
            m_buffer.remove(0, end + 5);
            respond(Content);
            continue;
        }
        commands.append(m_buffer.left(end));
        m_buffer.remove(0, end + 2);
        const QByteArray verb = commands.last().left(4).toUpper();
        if (verb == "EHLO" || verbs.contains(verb))
            respond(Step(qMax(1, int(verbs.indexOf(verb)) + 1)));
        else if (verb == "QUIT")
            respond(Quit);
        else
            m_client->write("500 unknown command\r\n");
    }
}

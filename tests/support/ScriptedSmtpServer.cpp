#include "support/ScriptedSmtpServer.h"

#include <QTimer>

namespace {

constexpr int PieceGapMs = 40; // far enough apart that each piece arrives on its own

const ScriptedSmtpServer::Reply Ordinary[] { ScriptedSmtpServer::say("220 scripted ready\r\n"),
    ScriptedSmtpServer::say("250 scripted\r\n"), ScriptedSmtpServer::say("250 OK\r\n"),
    ScriptedSmtpServer::say("250 OK\r\n"),
    ScriptedSmtpServer::say("354 End data with <CR><LF>.<CR><LF>\r\n"),
    ScriptedSmtpServer::say("250 queued\r\n"), ScriptedSmtpServer::sayAndClose("221 Bye\r\n") };

} // namespace

ScriptedSmtpServer::Reply ScriptedSmtpServer::bytes(const QByteArray &text)
{
    Reply reply;
    for (const char c : text)
        reply.pieces.append(QByteArray(1, c));
    return reply;
}

ScriptedSmtpServer::ScriptedSmtpServer()
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

QList<QByteArray> ScriptedSmtpServer::verbs() const
{
    QList<QByteArray> result;
    for (const QByteArray &line : commands)
        result.append(line.left(4).toUpper());
    return result;
}

void ScriptedSmtpServer::respond(Step step)
{
    const QList<Reply> replies = m_script.value(step);
    const int used = m_used[step]++;
    const Reply reply
        = replies.isEmpty() ? Ordinary[step] : replies.at(qMin(used, int(replies.size()) - 1));
    QPointer<QTcpSocket> client = m_client;
    int delay = m_delayMs.value(step);
    for (const QByteArray &piece : reply.pieces) {
        ++m_piecesPending;
        QTimer::singleShot(delay, this, [this, client, piece] {
            --m_piecesPending;
            if (client)
                client->write(piece);
        });
        delay += PieceGapMs;
    }
    if (reply.close)
        QTimer::singleShot(
            delay, this, [client] { client ? client->disconnectFromHost() : void(); });
    m_inData = step == Data && reply.pieces.join().startsWith("354");
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

#include "support/ScriptedSmtpServer.h"

#include <QTimer>

namespace {

// Far enough apart that each piece arrives on its own.
constexpr int PieceGapMs = 40;

ScriptedSmtpServer::Reply ordinary(ScriptedSmtpServer::Step step)
{
    using S = ScriptedSmtpServer;
    switch (step) {
    case S::Greeting:
        return S::say("220 scripted ready\r\n");
    case S::Helo:
        return S::say("250 scripted\r\n");
    case S::Mail:
    case S::Rcpt:
        return S::say("250 OK\r\n");
    case S::Data:
        return S::say("354 End data with <CR><LF>.<CR><LF>\r\n");
    case S::Content:
        return S::say("250 queued\r\n");
    case S::Quit:
        return S::sayAndClose("221 Bye\r\n");
    }
    return {};
}

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
    connect(&m_server, &QTcpServer::newConnection, this, &ScriptedSmtpServer::accept);
}

QString ScriptedSmtpServer::address() const
{
    return QStringLiteral("127.0.0.1:%1").arg(port());
}

QList<QByteArray> ScriptedSmtpServer::verbs() const
{
    QList<QByteArray> result;
    for (const QByteArray &line : commands)
        result.append(line.left(4).toUpper());
    return result;
}

ScriptedSmtpServer::Reply ScriptedSmtpServer::replyFor(Step step)
{
    const QList<Reply> replies = m_script.value(step);
    if (replies.isEmpty())
        return ordinary(step);
    const int used = m_used.value(step);
    m_used[step] = used + 1;
    return replies.at(qMin(used, int(replies.size()) - 1));
}

void ScriptedSmtpServer::accept()
{
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
}

void ScriptedSmtpServer::respond(Step step)
{
    const Reply reply = replyFor(step);
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
    if (reply.close) {
        QTimer::singleShot(delay, this, [client] {
            if (client)
                client->disconnectFromHost();
        });
    }
    if (step == Data && reply.pieces.join().startsWith("354"))
        m_inData = true;
}

void ScriptedSmtpServer::received()
{
    if (!m_client)
        return;
    m_buffer += m_client->readAll();
    if (m_piecesPending > 0)
        outOfStep = true;
    for (;;) {
        if (m_inData) {
            const qsizetype end = m_buffer.indexOf("\r\n.\r\n");
            if (end < 0)
                return;
            content = m_buffer.left(end + 5);
            m_buffer.remove(0, end + 5);
            m_inData = false;
            respond(Content);
            continue;
        }
        const qsizetype end = m_buffer.indexOf("\r\n");
        if (end < 0)
            return;
        const QByteArray line = m_buffer.left(end);
        m_buffer.remove(0, end + 2);
        commands.append(line);
        const QByteArray verb = line.left(4).toUpper();
        if (verb == "HELO" || verb == "EHLO")
            respond(Helo);
        else if (verb == "MAIL")
            respond(Mail);
        else if (verb == "RCPT")
            respond(Rcpt);
        else if (verb == "DATA")
            respond(Data);
        else if (verb == "QUIT")
            respond(Quit);
        else if (m_client)
            m_client->write("500 unknown command\r\n");
    }
}

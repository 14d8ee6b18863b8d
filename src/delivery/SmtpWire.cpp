#include "delivery/SmtpWire.h"

#include <QCoreApplication>

namespace SmtpWire {

int replyCode(QStringView line)
{
    const QStringView digits = line.size() >= 3 ? line.first(3) : QStringView(u"000");
    int code = 0;
    for (const QChar c : digits) {
        if (c.unicode() < '0' || c.unicode() > '9')
            break;
        code = code * 10 + (c.unicode() - '0');
    }
    return code;
}

QStringView finalLine(QStringView reply)
{
    while (reply.endsWith(u'\n') || reply.endsWith(u'\r'))
        reply.chop(1);
    const qsizetype lastBreak = reply.lastIndexOf(u'\n');
    return lastBreak < 0 ? reply : reply.sliced(lastBreak + 1);
}

QString dotStuff(const QString &text)
{
    QString stuffed;
    stuffed.reserve(text.size() + 1);
    bool lineStart = true;
    for (const QChar c : text) {
        if (lineStart && c == u'.')
            stuffed.append(u'.');
        stuffed.append(c);
        lineStart = c == u'\n';
    }
    return stuffed;
}

QString messageContent(const QString &text)
{
    QString line;
    line.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\r' || c == u'\n')
            line.append(u' ');
        else if (c != u'\0')
            line.append(c);
    }
    return QStringLiteral("Subject: Tolvane\r\n\r\n") + dotStuff(line)
        + QStringLiteral("\r\n.\r\n");
}

QString addressProblem(QStringView address)
{
    for (const QChar c : address) {
        switch (c.unicode()) {
        case '\r':
            return QCoreApplication::translate("SmtpClient", "a carriage return");
        case '\n':
            return QCoreApplication::translate("SmtpClient", "a line feed");
        case '\0':
            return QCoreApplication::translate("SmtpClient", "a NUL character");
        case '<':
            return QStringLiteral("\"<\"");
        case '>':
            return QStringLiteral("\">\"");
        default:
            break;
        }
    }
    return {};
}

namespace {

// The words of each line of an EHLO reply after the first, the code and its separator
// taken off; "AUTH=PLAIN LOGIN" counts as "AUTH PLAIN LOGIN".
QList<QStringList> extensionLines(QStringView reply)
{
    QList<QStringList> lines;
    bool first = true;
    for (QStringView line : reply.tokenize(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (first) {
            first = false;
            continue;
        }
        QString text = line.size() > 4 ? line.sliced(4).toString().toUpper() : QString();
        if (text.startsWith(QLatin1String("AUTH=")))
            text[4] = u' ';
        const QStringList words = text.split(u' ', Qt::SkipEmptyParts);
        if (!words.isEmpty())
            lines.append(words);
    }
    return lines;
}

} // namespace

bool offers(QStringView ehloReply, QStringView keyword)
{
    for (const QStringList &words : extensionLines(ehloReply)) {
        if (words.front() == keyword)
            return true;
    }
    return false;
}

QStringList authMethods(QStringView ehloReply)
{
    QStringList methods;
    for (const QStringList &words : extensionLines(ehloReply)) {
        if (words.front() == QLatin1String("AUTH"))
            methods += words.mid(1);
    }
    return methods;
}

std::optional<quint16> parsePort(QStringView text)
{
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || port < 1 || port > 65535 || !text.front().isDigit())
        return std::nullopt;
    return quint16(port);
}

std::optional<ServerAddress> parseServerAddress(const QString &setting)
{
    const QStringView text = QStringView(setting).trimmed();
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        if (close < 0)
            return std::nullopt;
        ServerAddress server { text.sliced(1, close - 1).toString(), DefaultPort };
        const QStringView rest = text.sliced(close + 1);
        if (rest.isEmpty())
            return server;
        if (!rest.startsWith(u':'))
            return std::nullopt;
        const auto port = parsePort(rest.sliced(1));
        if (!port)
            return std::nullopt;
        server.port = *port;
        server.portGiven = true;
        return server;
    }
    // More than one colon: a bare IPv6 address, which cannot carry a port without brackets.
    if (text.count(u':') != 1)
        return ServerAddress { text.toString(), DefaultPort };
    const qsizetype colon = text.indexOf(u':');
    const auto port = parsePort(text.sliced(colon + 1));
    if (!port)
        return std::nullopt;
    return ServerAddress { text.first(colon).toString(), *port, true };
}

std::optional<ServerAddress> connectionAddress(
    const QString &setting, const QString &portOption, quint16 usualPort)
{
    auto server = parseServerAddress(setting);
    if (!server || server->host.isEmpty())
        return std::nullopt;
    if (!portOption.isEmpty()) {
        const auto port = parsePort(portOption);
        if (!port)
            return std::nullopt;
        server->port = *port;
    } else if (!server->portGiven) {
        server->port = usualPort;
    }
    return server;
}

} // namespace SmtpWire

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "delivery/SmtpWire.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdlib>

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

namespace {

// RFC 2045's limit for a quoted-printable line, the "=" of a soft line break included.
constexpr qsizetype MaxEncodedLine = 76;
// Where an address header is folded, as RFC 5322 recommends.
constexpr qsizetype FoldAt = 78;

bool encodedAsIs(QByteArrayView octets, qsizetype i)
{
    const auto c = uchar(octets[i]);
    // A space or tab that ends the text would end a line, where mail may lose it.
    if (c == ' ' || c == '\t')
        return i + 1 < octets.size();
    return c >= 33 && c <= 126 && c != '=';
}

QByteArray quotedPrintable(const QByteArray &octets)
{
    static const char Hex[] = "0123456789ABCDEF";
    QByteArray encoded;
    encoded.reserve(octets.size() * 3 + octets.size() / 24 + 3);
    qsizetype lineLength = 0;
    for (qsizetype i = 0; i < octets.size();) {
        // A character's octets stay on one line, for a reader that decodes line by line.
        qsizetype end = i + 1;
        while (end < octets.size() && (uchar(octets.at(end)) & 0xc0) == 0x80)
            ++end;
        qsizetype width = 0;
        for (qsizetype j = i; j < end; ++j)
            width += encodedAsIs(octets, j) ? 1 : 3;
        if (lineLength + width > MaxEncodedLine - 1) {
            encoded += "=\r\n";
            lineLength = 0;
        }
        for (; i < end; ++i) {
            const auto c = uchar(octets.at(i));
            if (encodedAsIs(octets, i)) {
                encoded += char(c);
            } else {
                encoded += '=';
                encoded += Hex[c >> 4];
                encoded += Hex[c & 0xf];
            }
        }
        lineLength += width;
    }
    return encoded;
}

// "To: a@x.example, b@y.example", folded before an address that would make the line
// longer than recommended.
QByteArray addressHeader(const char *name, const QStringList &addresses)
{
    QByteArray header = QByteArray(name) + ':';
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < addresses.size(); ++i) {
        const QByteArray address = addresses.at(i).toUtf8() + (i + 1 < addresses.size() ? "," : "");
        if (i > 0 && header.size() - lineStart + 1 + address.size() > FoldAt) {
            header += "\r\n";
            lineStart = header.size();
        }
        header += ' ' + address;
    }
    return header + "\r\n";
}

bool isAtext(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9')
        || (u < 128 && QByteArrayView("!#$%&'*+-/=?^_`{|}~").contains(char(u)));
}

// A domain as RFC 5322 lets it stand after the "@" of a Message-ID: dot-separated atoms,
// or a literal in brackets.
bool fitsMessageId(QStringView domain)
{
    if (domain.size() > 2 && domain.startsWith(u'[') && domain.endsWith(u']')) {
        for (const QChar c : domain.sliced(1, domain.size() - 2)) {
            if (c.unicode() < 33 || c.unicode() > 126 || c == u'[' || c == u']' || c == u'\\')
                return false;
        }
        return true;
    }
    for (const QStringView atom : domain.tokenize(u'.')) {
        if (atom.isEmpty() || !std::all_of(atom.begin(), atom.end(), isAtext))
            return false;
    }
    return !domain.isEmpty();
}

} // namespace

QByteArray dotStuff(const QByteArray &lines)
{
    QByteArray stuffed;
    stuffed.reserve(lines.size() + 1);
    bool lineStart = true;
    for (const char c : lines) {
        if (lineStart && c == '.')
            stuffed.append('.');
        stuffed.append(c);
        lineStart = c == '\n';
    }
    return stuffed;
}

QString oneLine(const QString &text)
{
    QString line;
    line.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\r' || c == u'\n')
            line.append(u' ');
        else if (c != u'\0')
            line.append(c);
    }
    return line;
}

bool fitsEightBit(const QString &text)
{
    return oneLine(text).toUtf8().size() <= MaxLineOctets;
}

QByteArray mailDate(const QDateTime &date)
{
    static const char *const Days[] = { "Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun" };
    static const char *const Months[]
        = { "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };
    const QDate day = date.date();
    const QTime time = date.time();
    const int offset = date.offsetFromUtc() / 60;
    return QString::asprintf("%s, %02d %s %04d %02d:%02d:%02d %c%02d%02d",
        Days[day.dayOfWeek() - 1], day.day(), Months[day.month() - 1], day.year(), time.hour(),
        time.minute(), time.second(), offset < 0 ? '-' : '+', std::abs(offset) / 60,
        std::abs(offset) % 60)
        .toLatin1();
}

QString messageId(QStringView sender, const QDateTime &date, quint64 random)
{
    QStringView domain = sender.sliced(sender.lastIndexOf(u'@') + 1);
    if (!sender.contains(u'@') || !fitsMessageId(domain))
        domain = u"localhost";
    return QStringLiteral("<%1.%2@%3>")
        .arg(QString::number(date.toMSecsSinceEpoch(), 36), QString::number(random, 36), domain);
}

QByteArray messageContent(const Message &message)
{
    const QByteArray text = oneLine(message.text).toUtf8();
    QByteArray content = addressHeader("From", { message.sender });
    // Only a server that takes a mail for nobody gets one without a To.
    if (!message.recipients.isEmpty())
        content += addressHeader("To", message.recipients);
    content += "Date: " + mailDate(message.date) + "\r\n";
    content += "Message-ID: " + message.messageId.toUtf8() + "\r\n";
    content += "Subject: Tolvane\r\n"
               "MIME-Version: 1.0\r\n"
               "Content-Type: text/plain; charset=UTF-8\r\n"
               "Content-Transfer-Encoding: ";
    content += message.eightBit ? "8bit" : "quoted-printable";
    content += "\r\n\r\n";
    content += message.eightBit ? text : quotedPrintable(text);
    return dotStuff(content) + "\r\n.\r\n";
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

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

// The small rules of what goes over the SMTP connection and how replies are read.
namespace SmtpWire {

constexpr quint16 DefaultPort = 25;

// The reply code of a reply line: its first three characters read as a number as far as
// they form one (0 when they begin with no digit); "000" stands for a shorter text.
int replyCode(QStringView line);

// The last line of a reply (without its line end): the one that carries its code.
QStringView finalLine(QStringView reply);

// The lines with one more "." in front of every line that begins with ".", so that no
// line of the content can end the mail early.
QByteArray dotStuff(const QByteArray &lines);

// The longest line, in octets without its line end, that may go unencoded when the server
// takes 8-bit text.
constexpr qsizetype MaxLineOctets = 998;

// What goes to the server after DATA.
struct Message {
    QString sender;
    QStringList recipients; // those the server accepted
    QDateTime date; // when it was written, in the zone whose offset the mail should show
    QString messageId; // with its angle brackets
    QString text;
    bool eightBit = false; // the server announced 8BITMIME and the text fits a line
};

// The text as it goes: on one line, as a stored message always is. Each CR and each LF in
// it (a hand-edited file may hold a bare one) becomes a space and each NUL is left out, so
// that nothing in it can start a line of its own, where a server might take "." for the
// end of the mail and what follows for commands.
QString oneLine(const QString &text);

// Whether the text may go as 8-bit to a server that takes it: its line in UTF-8 is not
// longer than a line may be.
bool fitsEightBit(const QString &text);

// The date as a mail's Date header writes it: "Mon, 07 Dec 2026 09:30:00 +0100", in the
// date's own zone, with English names whatever the user's language.
QByteArray mailDate(const QDateTime &date);

// A Message-ID at the sender's domain ("localhost" when the address has none fit for
// one), made unique by the moment and a random number.
QString messageId(QStringView sender, const QDateTime &date, quint64 random);

// The whole content after DATA, with its end mark: the headers (From, To, Date,
// Message-ID, Subject: Tolvane, and the MIME ones saying UTF-8 text), a blank line and the
// text in UTF-8, quoted-printable with lines of at most 76 characters, or 8-bit when the
// message says so; CR LF line ends, lines that begin with "." dot-stuffed.
QByteArray messageContent(const Message &message);

// What makes an address unfit to be put between "<" and ">" on a command line: a line
// break or NUL would let it add commands of its own, "<" or ">" would change the
// address. Empty when the address can be sent.
QString addressProblem(QStringView address);

// The "SMTP" setting: "host", "host:port", "[IPv6 address]:port" or a bare IPv6 address.
struct ServerAddress {
    QString host;
    quint16 port = DefaultPort;
    bool portGiven = false; // the setting named the port itself
};
// None when the setting names a port that is not a number from 1 to 65535, or brackets
// that do not close. An empty host comes back empty: the caller decides what that means.
std::optional<ServerAddress> parseServerAddress(const QString &setting);

// What a reply to EHLO says the server can do: the keyword of each line after the
// greeting line, upper-cased ("STARTTLS", "AUTH", "SIZE", ...), and for "AUTH" (also in
// its old "AUTH=" form) the login methods it names.
bool offers(QStringView ehloReply, QStringView keyword);
QStringList authMethods(QStringView ehloReply);

// Where a connection goes: the host of the "SMTP" setting, with a port of the user's
// options when one is set, else the one written into the setting, else the usual one for
// the security chosen. None when the setting or the port option is unfit.
std::optional<ServerAddress> connectionAddress(
    const QString &setting, const QString &portOption, quint16 usualPort);

// A port number from 1 to 65535 written in decimal digits; none for anything else.
std::optional<quint16> parsePort(QStringView text);

} // namespace SmtpWire

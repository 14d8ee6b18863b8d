#pragma once

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

// The message text with one more "." in front of every line that begins with ".", so
// that no line of the text can end the mail early.
QString dotStuff(const QString &text);

// What goes to the server after DATA: the subject line, a blank line, the text and the end
// mark. The text goes on one line, as a stored message always is: each CR and each LF in
// it (a hand-edited file may hold a bare one) becomes a space and each NUL is left out, so
// that nothing in it can start a line of its own, where a server might take "." for the
// end of the mail and what follows for commands.
QString messageContent(const QString &text);

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

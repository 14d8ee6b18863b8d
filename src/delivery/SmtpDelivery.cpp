#include "delivery/SmtpDelivery.h"

#include "app/ErrorTrap.h"
#include "app/Program.h"
#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "delivery/DeliveryEntry.h"
#include "delivery/SmtpWire.h"
#include "platform/Clock.h"
#include "platform/ConnectionService.h"
#include "store/CodePage.h"
#include "store/MessageFile.h"
#include "store/StoreError.h"

#include <QFileInfo>
#include <QHostInfo>
#include <QNetworkProxy>
#include <stdexcept>

namespace {

const QString UnableToConnect = QStringLiteral("Unable to connect to SMTP server");
const QString UnableToClose = QStringLiteral("Unable to close port");
const QString NoGreeting = QStringLiteral("SMTP server connected but did not respond");
const QString NoResponse = QStringLiteral("No response from SMTP server: timeout");
const QString ServerClosed = QStringLiteral("SMTP server closed the connection");

constexpr int ServiceReady = 220;
constexpr int FirstRefusal = 400;
constexpr int ServiceClosing = 421;
constexpr int LastRecipientEntry = 9; // entry 10 of the recipient list is never sent to
constexpr qint64 RealDialSeconds = 5; // a quicker dial found a line already up

QByteArray commandLine(const QString &text)
{
    return CodePage::encode(text) + "\r\n";
}

} // namespace

SmtpDelivery::SmtpDelivery(Program &program, ConnectionService &connection, QObject *parent)
    : QObject(parent)
    , p(program)
    , m_connection(connection)
{
    // Mail goes straight to the user's server, never through a web proxy.
    Winsock.setProxy(QNetworkProxy::NoProxy);
    connect(&Winsock, &QTcpSocket::readyRead, this, &SmtpDelivery::Winsock_DataArrival);
    connect(&Winsock, &QAbstractSocket::stateChanged, &m_wait, &EventWait::wake);
    connect(&Winsock, &QAbstractSocket::disconnected, &m_wait, &EventWait::wake);
    connect(&Winsock, &QAbstractSocket::errorOccurred, &m_wait, &EventWait::wake);
}

void SmtpDelivery::Winsock_DataArrival()
{
    Trap(p, "frmTimer.Winsock_DataArrival", [&] {
        const QByteArray bytes = Winsock.readAll();
        for (const QByteArray &reply : m_reader.append(bytes))
            AnalyzeSMTP(CodePage::decode(reply));
    });
    m_wait.wake();
}

void SmtpDelivery::AnalyzeSMTP(const QString &reply)
{
    Trap(p, "mod1.AnalyzeSMTP", [&] {
        // A multi-line reply carries its code on every line; the final line is the one
        // that says the reply is complete.
        const int code = SmtpWire::ReplyCode(SmtpWire::FinalLine(reply));
        p.SmtpReplyCode = code;
        if (code == 251)
            emit warning(QStringLiteral("SMTP Server responded: User not local; will forward to"));
        else if (code == 252)
            emit warning(QStringLiteral("SMTP Server responded: Cannot verify user, but will "
                                        "accept message and attempt delivery"));
        if (code > FirstRefusal)
            emit warning(QStringLiteral("SMTP Server responded: ") + reply);
    });
}

void SmtpDelivery::ProcessMessage(const QString &entryText)
{
    const DeliveryEntry entry(entryText);
    Trap(p, "mod1.ProcessMessage - Big Surprise!", [&] {
        bool sent = false;
        try {
            sent = converse(entry);
        } catch (...) {
            // Clean up first; the error trap then shows its message.
            failureExit(entry);
            throw;
        }
        if (sent)
            emit rowColoured(entry.userCode, entry.date, entry.time, entry.text, true);
        else
            failureExit(entry);
    });
    p.Sending = false;
}

void SmtpDelivery::failureExit(const DeliveryEntry &entry)
{
    emit rowColoured(entry.userCode, entry.date, entry.time, entry.text, false);
    if (Winsock.state() != QAbstractSocket::UnconnectedState)
        Winsock.abort();
    p.Sending = false;
}

bool SmtpDelivery::converse(const DeliveryEntry &entry)
{
    if (!entry.hasSeparator)
        throw std::runtime_error("the record has no recipient list");
    if (entry.user < 1 || entry.user > Roster::MaxUsers)
        throw std::runtime_error("the entry names no user");

    if (!connectionReady())
        return false;

    QString localHost = QHostInfo::localHostName();
    if (localHost.isEmpty())
        localHost = QStringLiteral("localhost");

    const QString section = Roster::UserSection(entry.user);
    const QString server = p.settings.ReadSetting(section, QStringLiteral("SMTP"), QString());
    const QString sender = p.settings.ReadSetting(section, QStringLiteral("Email"), QString());
    // A hand-edited sender address must not smuggle commands of its own to the server.
    const QString senderProblem = SmtpWire::AddressProblem(sender);
    if (!senderProblem.isEmpty()) {
        emit warning(QStringLiteral("The sender e-mail address contains %1 and cannot be sent")
                         .arg(senderProblem));
        return false;
    }

    const RecipientEntries recipients = SplitRecipients(entry.recipientList);

    if (!freeSocket() || !connectToServer(server))
        return false;

    // Whether the server answered; silence and a closed connection are reported here.
    const auto answered = [&](Reply reply, const QString &silence) {
        switch (reply) {
        case Reply::TimedOut:
            emit warning(silence);
            return false;
        case Reply::Closed:
            emit warning(ServerClosed);
            return false;
        case Reply::Received:
            return true;
        }
        return false;
    };
    if (!answered(waitForReply(), NoGreeting) || p.SmtpReplyCode != ServiceReady)
        return false;

    // One command whose refusal ends the delivery.
    const auto step = [&](const QByteArray &line) {
        return answered(command(line), NoResponse) && p.SmtpReplyCode < FirstRefusal;
    };

    if (!step(commandLine(QStringLiteral("HELO ") + localHost)))
        return false;
    if (!step(commandLine(QStringLiteral("MAIL FROM: <") + sender + u'>')))
        return false;

    for (int i = 0; i <= LastRecipientEntry; ++i) {
        const QString &address = recipients[std::size_t(i)];
        // Only addresses that still belong to a user, and only ones that cannot break
        // the command line.
        if (address.isEmpty() || !SmtpWire::AddressProblem(address).isEmpty()
            || !Roster::PhoneAddressInUse(p.settings, address))
            continue;
        // A refused recipient does not stop the others, but a server that is closing
        // down will take none of them.
        if (!answered(
                command(commandLine(QStringLiteral("RCPT TO: <") + address + u'>')), NoResponse)
            || p.SmtpReplyCode == ServiceClosing)
            return false;
    }
    if (p.SmtpReplyCode >= FirstRefusal)
        return false;

    if (!step(commandLine(QStringLiteral("DATA"))))
        return false;
    if (!step(CodePage::encode(SmtpWire::MessageContent(entry.text))))
        return false;

    // The reply to QUIT does not matter; the server closing its side ends the wait.
    Winsock.write(commandLine(QStringLiteral("QUIT")));
    m_wait.waitUntil([&] { return serverGone(); }, m_replyTimeout);
    Winsock.abort();

    // An instant message exists in no file.
    if (!entry.isInstant()) {
        if (!QFileInfo::exists(MessageFilePath(p, entry.user)))
            return false;
        try {
            MarkMessageSent(p, entry.user, entry.record);
        } catch (const StoreError &error) {
            // The mail has gone out, so the message counts as sent (LastSent keeps it from
            // going out again in this run); but the file still calls it unsent, and only
            // the user can make room for the mark.
            emit warning(QStringLiteral("The message was sent, but it could not be marked as "
                                        "sent in the message file. ")
                + QString::fromUtf8(error.what()));
        }
    }
    return true;
}

bool SmtpDelivery::connectionReady()
{
    const int flags = m_connection.flags();
    if (!(flags & (ConnectionService::Configured | ConnectionService::Lan)))
        return false;
    if (flags & ConnectionService::Modem) {
        const QDateTime before = p.clock.now();
        const bool dialled = m_connection.autodial();
        const QDateTime after = p.clock.now();
        if (!dialled) {
            emit warning(UnableToConnect);
            return false;
        }
        if (before.secsTo(after) > RealDialSeconds)
            p.DialedUp = true;
    }
    return true;
}

bool SmtpDelivery::freeSocket()
{
    m_reader.clear();
    if (Winsock.state() != QAbstractSocket::UnconnectedState)
        Winsock.abort();
    const bool closed = m_wait.waitUntil(
        [&] { return Winsock.state() == QAbstractSocket::UnconnectedState; }, m_replyTimeout);
    if (!closed) {
        emit warning(UnableToClose);
        return false;
    }
    return true;
}

bool SmtpDelivery::connectToServer(const QString &setting)
{
    if (setting.trimmed().isEmpty())
        throw std::runtime_error("the user has no SMTP server");
    const auto server = SmtpWire::ParseServerAddress(setting);
    if (!server || server->host.isEmpty()) {
        emit warning(UnableToConnect);
        return false;
    }
    p.SmtpReplyCode = 0;
    Winsock.connectToHost(server->host, server->port);
    // A refused or unreachable server ends the wait at once; there is nothing to wait for.
    m_wait.waitUntil(
        [&] {
            const auto state = Winsock.state();
            return state == QAbstractSocket::ConnectedState
                || state == QAbstractSocket::UnconnectedState;
        },
        m_replyTimeout);
    if (Winsock.state() != QAbstractSocket::ConnectedState) {
        emit warning(UnableToConnect);
        return false;
    }
    return true;
}

SmtpDelivery::Reply SmtpDelivery::command(const QByteArray &line)
{
    p.SmtpReplyCode = 0;
    Winsock.write(line);
    return waitForReply();
}

SmtpDelivery::Reply SmtpDelivery::waitForReply()
{
    m_wait.waitUntil([&] { return p.SmtpReplyCode != 0 || serverGone(); }, m_replyTimeout);
    // A server that answers and closes at once: its last words are still to be read.
    if (p.SmtpReplyCode == 0 && Winsock.bytesAvailable() > 0)
        Winsock_DataArrival();
    if (p.SmtpReplyCode != 0)
        return Reply::Received;
    return serverGone() ? Reply::Closed : Reply::TimedOut;
}

bool SmtpDelivery::serverGone() const
{
    const auto state = Winsock.state();
    return state == QAbstractSocket::UnconnectedState || state == QAbstractSocket::ClosingState;
}

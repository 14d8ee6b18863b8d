#include "delivery/SmtpDelivery.h"

#include "app/ErrorTrap.h"
#include "app/MailServerOptions.h"
#include "app/PasswordOwner.h"
#include "app/Program.h"
#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "delivery/DeliveryEntry.h"
#include "delivery/SmtpWire.h"
#include "platform/Clock.h"
#include "platform/ConnectionService.h"
#include "platform/SecretStore.h"
#include "store/CodePage.h"
#include "store/MessageStore.h"
#include "store/StoreError.h"

#include <QFileInfo>
#include <QHostInfo>
#include <QNetworkProxy>
#include <optional>
#include <stdexcept>

namespace {

const QString UnableToConnect = QStringLiteral("Unable to connect to SMTP server");
const QString UnableToClose = QStringLiteral("Unable to close port");
const QString NoGreeting = QStringLiteral("SMTP server connected but did not respond");
const QString NoResponse = QStringLiteral("No response from SMTP server: timeout");
const QString ServerClosed = QStringLiteral("SMTP server closed the connection");
const QString ServerResponded = QStringLiteral("SMTP Server responded: ");
const QString UnknownSecurity
    = QStringLiteral("The SMTP security setting is not one Tolvane knows (None, STARTTLS or TLS)");
const QString LoginNeedsTls = QStringLiteral("The SMTP login is only sent over an encrypted "
                                             "connection: choose STARTTLS or TLS for this server");
const QString NoPassword = QStringLiteral(
    "No SMTP password is stored for this user: enter it under Advanced... in the Email settings");
const QString KeyringFailed
    = QStringLiteral("The SMTP password could not be read from the desktop's keyring: ");
const QString NoStartTls = QStringLiteral("The SMTP server does not offer STARTTLS; the message "
                                          "was not sent over an unencrypted connection");
const QString StartTlsRefused = QStringLiteral("The SMTP server refused STARTTLS: ");
const QString TlsFailed = QStringLiteral("Secure connection to the SMTP server failed: ");
const QString NoLoginMethod
    = QStringLiteral("The SMTP server offers no login method Tolvane can use (PLAIN or LOGIN)");
const QString LoginFailed = QStringLiteral("SMTP login failed: ");
const QString NoServer = QStringLiteral("No SMTP server is set for the sender of this message: "
                                        "enter one under Change User Email Settings");
const QString Unsolicited
    = QStringLiteral("The SMTP server sent a reply that no command asked for: ");
const QString MisfitReply
    = QStringLiteral("The SMTP server's reply does not fit the command it answers: ");
const QString MarkedNowhere = QStringLiteral(
    "The message was sent, but its message file %1 is gone, so it could not be marked as sent");

constexpr int ServiceReady = 220;
constexpr int GoAheadWithContent = 354;
constexpr int LoggedIn = 235;
constexpr int GoOnWithLogin = 334;
constexpr int FirstRefusal = 400;
constexpr int ServiceClosing = 421;
constexpr int LastRecipientEntry = 9; // entry 10 of the recipient list is never sent to
constexpr qint64 RealDialSeconds = 5; // a quicker dial found a line already up

// A reply as a warning shows it: without the line end that closes it.
QString shown(QString reply)
{
    while (reply.endsWith(u'\n') || reply.endsWith(u'\r'))
        reply.chop(1);
    return reply;
}

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
    connect(&Winsock, &QAbstractSocket::connected, this, [this] {
        m_tcpConnected = true;
        m_wait.wake();
    });
    connect(&Winsock, &QSslSocket::encrypted, &m_wait, &EventWait::wake);
    // Errors that are not ignored make the socket drop the connection: a certificate that
    // does not check out is refused, never accepted quietly.
    connect(&Winsock, &QSslSocket::sslErrors, this, [this](const QList<QSslError> &errors) {
        m_tlsErrors += errors;
        m_wait.wake();
    });
}

void SmtpDelivery::Winsock_DataArrival()
{
    TrapLater(p, "frmTimer.Winsock_DataArrival", [&] {
        const QByteArray bytes = Winsock.readAll();
        for (const QByteArray &reply : m_reader.append(bytes)) {
            // One reply for each command: one more would put every later reply against
            // the wrong command, and a refusal of the content could pass for acceptance.
            if (!m_awaitingReply) {
                if (!m_unsolicited.isEmpty())
                    continue;
                m_unsolicited = CodePage::decode(reply);
                // A server may say at any moment that it is closing down; that is shown
                // as the refusal it is.
                m_unsolicitedShown
                    = SmtpWire::ReplyCode(SmtpWire::FinalLine(m_unsolicited)) == ServiceClosing;
                if (m_unsolicitedShown)
                    AnalyzeSMTP(m_unsolicited);
                continue;
            }
            m_awaitingReply = false;
            AnalyzeSMTP(CodePage::decode(reply));
        }
    });
    m_wait.wake();
}

void SmtpDelivery::AnalyzeSMTP(const QString &reply)
{
    TrapLater(p, "mod1.AnalyzeSMTP", [&] {
        // A multi-line reply carries its code on every line; the final line is the one
        // that says the reply is complete.
        const int code = SmtpWire::ReplyCode(SmtpWire::FinalLine(reply));
        p.SmtpReplyCode = code;
        m_lastReply = reply;
        if (code == 251)
            emit warning(QStringLiteral("SMTP Server responded: User not local; will forward to"));
        else if (code == 252)
            emit warning(QStringLiteral("SMTP Server responded: Cannot verify user, but will "
                                        "accept message and attempt delivery"));
        if (code > FirstRefusal && !m_quietRefusals)
            emit warning(ServerResponded + reply);
    });
}

void SmtpDelivery::ProcessMessage(const QString &entryText)
{
    const DeliveryEntry entry(entryText);
    TrapLater(p, "mod1.ProcessMessage - Big Surprise!", [&] {
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
    if (server.trimmed().isEmpty()) {
        emit warning(NoServer);
        return false;
    }
    const QString sender = p.settings.ReadSetting(section, QStringLiteral("Email"), QString());
    // A hand-edited sender address must not smuggle commands of its own to the server.
    const QString senderProblem = SmtpWire::AddressProblem(sender);
    if (!senderProblem.isEmpty()) {
        emit warning(QStringLiteral("The sender e-mail address contains %1 and cannot be sent")
                         .arg(senderProblem));
        return false;
    }

    const RecipientEntries recipients = SplitRecipients(entry.recipientList);

    const MailServerOptions options = MailServerOptions::read(p.settings, section);
    QString password;
    if (options.chosen() && !prepareLogin(options, section, password))
        return false;

    if (!freeSocket() || !connectToServer(server, options))
        return false;

    if (!answered(waitForReply(), NoGreeting) || p.SmtpReplyCode != ServiceReady)
        return false;

    // One command whose refusal ends the delivery.
    const auto step = [&](const QByteArray &line) {
        return answered(command(line), NoResponse) && p.SmtpReplyCode < FirstRefusal;
    };

    if (options.chosen()) {
        if (!secureAndLogIn(options, localHost, password))
            return false;
    } else if (!step(commandLine(QStringLiteral("HELO ") + localHost))) {
        return false;
    }
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

    // The content goes only after the go-ahead, and counts as taken only when accepted.
    if (!step(commandLine(QStringLiteral("DATA"))) || !fits(GoAheadWithContent / 100))
        return false;
    if (!step(CodePage::encode(SmtpWire::MessageContent(entry.text))) || !fits(2))
        return false;

    // The reply to QUIT does not matter; it, or the server closing its side, ends the wait,
    // and the connection is closed from here: a server that lingers costs nothing.
    command(commandLine(QStringLiteral("QUIT")));
    Winsock.abort();

    // An instant message exists in no file.
    if (!entry.isInstant()) {
        MessageStore store(p.ProgramDir, p.clock);
        const QString file = store.filePath(entry.user);
        if (!QFileInfo::exists(file)) {
            emit warning(MarkedNowhere.arg(file));
            return false;
        }
        try {
            store.markSent(entry.user, MessageRecord::parse(CodePage::encode(entry.record)));
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

bool SmtpDelivery::fits(int replyClass)
{
    if (p.SmtpReplyCode / 100 == replyClass)
        return true;
    // A refusal has been shown as it came; anything else that is not the answer expected
    // is shown here.
    if (p.SmtpReplyCode < FirstRefusal)
        emit warning(MisfitReply + shown(m_lastReply));
    return false;
}

bool SmtpDelivery::answered(Reply reply, const QString &silence)
{
    if (!m_unsolicited.isEmpty()) {
        if (!m_unsolicitedShown)
            emit warning(Unsolicited + shown(m_unsolicited));
        return false;
    }
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
}

bool SmtpDelivery::prepareLogin(
    const MailServerOptions &options, const QString &section, QString &password)
{
    using Security = MailServerOptions::Security;
    if (options.security == Security::Unknown) {
        emit warning(UnknownSecurity);
        return false;
    }
    if (options.login.isEmpty())
        return true;
    if (options.security == Security::None) {
        emit warning(LoginNeedsTls);
        return false;
    }
    std::optional<SecretStore::Result> answer;
    QObject keyring;
    p.secrets->readPassword(section, &keyring, [&](const SecretStore::Result &result) {
        answer = result;
        m_wait.wake();
    });
    m_wait.waitUntil([&] { return answer.has_value(); });
    const SecretStore::Result stored = *answer;
    if (stored.notFound) {
        emit warning(NoPassword);
        return false;
    }
    if (!stored.ok) {
        emit warning(KeyringFailed + stored.error);
        return false;
    }
    // A password typed for another login (a user before in this slot, or this user's
    // login before it changed) is not sent.
    if (!PasswordOwner::BelongsTo(p.settings, section, options.login)) {
        emit warning(NoPassword);
        return false;
    }
    password = stored.password;
    return true;
}

bool SmtpDelivery::secureAndLogIn(
    const MailServerOptions &options, const QString &localHost, const QString &password)
{
    QString ehloReply;
    if (!greet(localHost, ehloReply))
        return false;

    if (options.security == MailServerOptions::Security::StartTls) {
        if (!SmtpWire::Offers(ehloReply, u"STARTTLS")) {
            emit warning(NoStartTls);
            return false;
        }
        if (!answered(command(commandLine(QStringLiteral("STARTTLS"))), NoResponse))
            return false;
        if (p.SmtpReplyCode != ServiceReady) {
            emit warning(StartTlsRefused + shown(m_lastReply));
            return false;
        }
        // Whatever came in clear text after the go-ahead could have been put there by
        // someone on the way; only what comes over TLS counts.
        m_reader.clear();
        Winsock.readAll();
        Winsock.startClientEncryption();
        if (!waitForEncryption())
            return false;
        // The capabilities told in clear text may have been tampered with: ask again.
        if (!greet(localHost, ehloReply))
            return false;
    }

    if (options.login.isEmpty())
        return true;
    return logIn(options.login, password, ehloReply);
}

bool SmtpDelivery::greet(const QString &localHost, QString &ehloReply)
{
    ehloReply.clear();
    m_quietRefusals = true;
    const Reply reply = command(commandLine(QStringLiteral("EHLO ") + localHost));
    m_quietRefusals = false;
    if (!answered(reply, NoResponse))
        return false;
    if (p.SmtpReplyCode < FirstRefusal) {
        ehloReply = m_lastReply;
        return true;
    }
    // A server that is closing down is not asked again.
    if (p.SmtpReplyCode == ServiceClosing) {
        emit warning(ServerResponded + m_lastReply);
        return false;
    }
    return answered(command(commandLine(QStringLiteral("HELO ") + localHost)), NoResponse)
        && p.SmtpReplyCode < FirstRefusal;
}

bool SmtpDelivery::waitForEncryption()
{
    m_wait.waitUntil([&] { return Winsock.isEncrypted() || serverGone(); }, m_replyTimeout);
    if (Winsock.isEncrypted())
        return true;
    QStringList reasons;
    for (const QSslError &error : std::as_const(m_tlsErrors))
        reasons.append(error.errorString());
    if (reasons.isEmpty())
        reasons.append(serverGone() ? Winsock.errorString()
                                    : QStringLiteral("the server did not answer in time"));
    emit warning(TlsFailed + reasons.join(QStringLiteral("; ")));
    return false;
}

bool SmtpDelivery::logIn(const QString &login, const QString &password, const QString &ehloReply)
{
    // Only here, after TLS, do the login and the password go on the wire.
    if (!Winsock.isEncrypted())
        return false;
    const QStringList methods = SmtpWire::AuthMethods(ehloReply);
    const auto send
        = [&](const QByteArray &line) { return answered(command(line + "\r\n"), NoResponse); };
    bool sent = false;
    if (methods.contains(QLatin1String("PLAIN"))) {
        const QByteArray credentials
            = (QByteArray(1, '\0') + login.toUtf8() + QByteArray(1, '\0') + password.toUtf8())
                  .toBase64();
        sent = send("AUTH PLAIN " + credentials);
        // A server that wants the credentials on a line of their own asks with 334.
        if (sent && p.SmtpReplyCode == GoOnWithLogin)
            sent = send(credentials);
    } else if (methods.contains(QLatin1String("LOGIN"))) {
        // Each step goes on only while the server asks for the next part.
        sent = send("AUTH LOGIN");
        if (sent && p.SmtpReplyCode == GoOnWithLogin)
            sent = send(login.toUtf8().toBase64());
        if (sent && p.SmtpReplyCode == GoOnWithLogin)
            sent = send(password.toUtf8().toBase64());
    } else {
        emit warning(NoLoginMethod);
        return false;
    }
    if (!sent) // silence or a closed connection, already told
        return false;
    if (p.SmtpReplyCode != LoggedIn) {
        emit warning(LoginFailed + shown(m_lastReply));
        return false;
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
    m_awaitingReply = false;
    m_unsolicited.clear();
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

bool SmtpDelivery::connectToServer(const QString &setting, const MailServerOptions &options)
{
    const auto server = SmtpWire::ConnectionAddress(
        setting, options.port, MailServerOptions::usualPort(options.security));
    if (!server) {
        emit warning(UnableToConnect);
        return false;
    }
    p.SmtpReplyCode = 0;
    m_tcpConnected = false;
    m_tlsErrors.clear();
    // The greeting is the first reply asked for.
    m_awaitingReply = true;
    if (options.security == MailServerOptions::Security::Tls) {
        // The host name as written is the name the certificate must carry. Reaching the
        // server and the handshake each have their own time and their own warning.
        Winsock.connectToHostEncrypted(server->host, server->port);
        m_wait.waitUntil([&] { return m_tcpConnected || serverGone(); }, m_replyTimeout);
        if (m_tcpConnected)
            return waitForEncryption();
        if (Winsock.state() != QAbstractSocket::UnconnectedState)
            Winsock.abort();
        emit warning(UnableToConnect);
        return false;
    }
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
    m_awaitingReply = true;
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

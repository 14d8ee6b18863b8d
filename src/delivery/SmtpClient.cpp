// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "delivery/SmtpClient.h"

#include "delivery/SmtpWire.h"
#include "store/CodePage.h"

#include <QCoreApplication>
#include <QHostInfo>
#include <QNetworkProxy>
#include <QRandomGenerator>

namespace {

const char *const UnableToConnect
    = QT_TRANSLATE_NOOP("SmtpClient", "Unable to connect to SMTP server");
const char *const NoGreeting
    = QT_TRANSLATE_NOOP("SmtpClient", "SMTP server connected but did not respond");
const char *const NoResponse
    = QT_TRANSLATE_NOOP("SmtpClient", "No response from SMTP server: timeout");
const char *const ServerClosed
    = QT_TRANSLATE_NOOP("SmtpClient", "SMTP server closed the connection");
const char *const ServerResponded = QT_TRANSLATE_NOOP("SmtpClient", "SMTP Server responded: ");
const char *const NoServer = QT_TRANSLATE_NOOP("SmtpClient",
    "No SMTP server is set for the sender of this message: "
    "enter one under Change User Email Settings");
const char *const UnfitSender
    = QT_TRANSLATE_NOOP("SmtpClient", "The sender e-mail address contains %1 and cannot be sent");
const char *const UnknownSecurity = QT_TRANSLATE_NOOP(
    "SmtpClient", "The SMTP security setting is not one Tolvane knows (None, STARTTLS or TLS)");
const char *const LoginNeedsTls = QT_TRANSLATE_NOOP("SmtpClient",
    "The SMTP login is only sent over an encrypted "
    "connection: choose STARTTLS or TLS for this server");
const char *const NoStartTls = QT_TRANSLATE_NOOP("SmtpClient",
    "The SMTP server does not offer STARTTLS; the message "
    "was not sent over an unencrypted connection");
const char *const StartTlsRefused
    = QT_TRANSLATE_NOOP("SmtpClient", "The SMTP server refused STARTTLS: ");
const char *const TlsFailed
    = QT_TRANSLATE_NOOP("SmtpClient", "Secure connection to the SMTP server failed: ");
const char *const HandshakeTooSlow
    = QT_TRANSLATE_NOOP("SmtpClient", "the server did not answer in time");
const char *const NoLoginMethod = QT_TRANSLATE_NOOP(
    "SmtpClient", "The SMTP server offers no login method Tolvane can use (PLAIN or LOGIN)");
const char *const LoginFailed = QT_TRANSLATE_NOOP("SmtpClient", "SMTP login failed: ");
const char *const Unsolicited
    = QT_TRANSLATE_NOOP("SmtpClient", "The SMTP server sent a reply that no command asked for: ");
const char *const MisfitReply = QT_TRANSLATE_NOOP(
    "SmtpClient", "The SMTP server's reply does not fit the command it answers: ");

// The constants above in the user's language.
QString said(const char *text)
{
    return QCoreApplication::translate("SmtpClient", text);
}

constexpr int ServiceReady = 220;
constexpr int LoggedIn = 235;
constexpr int GoOnWithLogin = 334;
constexpr int FirstRefusal = 400;
constexpr int ServiceClosing = 421;
constexpr qsizetype MaxRecipients = 10; // entries beyond the tenth are never sent to

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

SmtpClient::SmtpClient(QObject *parent)
    : QObject(parent)
{
    // Mail goes straight to the user's server, never through a web proxy.
    m_socket.setProxy(QNetworkProxy::NoProxy);
    m_deadline.setSingleShot(true);
    m_deadline.setTimerType(Qt::PreciseTimer);
    connect(&m_deadline, &QTimer::timeout, this, &SmtpClient::deadlinePassed);
    connect(&m_socket, &QAbstractSocket::connected, this, &SmtpClient::socketConnected);
    connect(&m_socket, &QSslSocket::encrypted, this, &SmtpClient::socketEncrypted);
    connect(&m_socket, &QIODevice::readyRead, this, &SmtpClient::socketReadyRead);
    connect(&m_socket, &QAbstractSocket::errorOccurred, this, &SmtpClient::socketError);
    connect(&m_socket, &QAbstractSocket::disconnected, this, &SmtpClient::serverGone);
    // Errors that are not ignored make the socket drop the connection: a certificate that
    // does not check out is refused, never accepted quietly.
    connect(&m_socket, &QSslSocket::sslErrors, this,
        [this](const QList<QSslError> &errors) { m_tlsErrors += errors; });
}

SmtpClient::~SmtpClient()
{
    // The socket must not report its closing to a client that is half gone.
    stop();
}

QString SmtpClient::mailProblem(const Mail &mail)
{
    using Security = MailServerOptions::Security;
    if (mail.serverSetting.trimmed().isEmpty())
        return said(NoServer);
    // A hand-edited sender address must not smuggle commands of its own to the server.
    const QString senderProblem = SmtpWire::addressProblem(mail.sender);
    if (!senderProblem.isEmpty())
        return said(UnfitSender).arg(senderProblem);
    if (mail.options.security == Security::Unknown)
        return said(UnknownSecurity);
    if (!mail.options.login.isEmpty() && mail.options.security == Security::None)
        return said(LoginNeedsTls);
    return {};
}

void SmtpClient::start(const Mail &mail)
{
    stop();
    m_mail = mail;
    m_reply.clear();
    m_mayPass = false;
    // Even a mail that cannot go is told from the event loop, so that whoever called
    // start() is never re-entered from inside it.
    m_step = Step::Starting;
    m_deadline.start(0);
}

void SmtpClient::abort()
{
    stop();
}

void SmtpClient::stop()
{
    // Idle first: closing the socket below reports the disconnection at once.
    m_step = Step::Idle;
    m_deadline.stop();
    m_awaitingReply = false;
    if (m_socket.state() != QAbstractSocket::UnconnectedState)
        m_socket.abort();
}

void SmtpClient::begin()
{
    const QString problem = mailProblem(m_mail);
    if (!problem.isEmpty())
        return fail(problem);
    const auto server = SmtpWire::connectionAddress(m_mail.serverSetting, m_mail.options.port,
        MailServerOptions::usualPort(m_mail.options.security));
    if (!server)
        return fail(said(UnableToConnect));

    m_localHost = QHostInfo::localHostName();
    if (m_localHost.isEmpty())
        m_localHost = QStringLiteral("localhost");
    m_reader.clear();
    m_code = 0;
    m_lastReply.clear();
    m_unsolicited.clear();
    m_unsolicitedShown = false;
    m_ehloReply.clear();
    m_credentials.clear();
    m_recipient = 0;
    m_accepted.clear();
    m_eightBit = false;
    m_tlsErrors.clear();
    m_contentReply.clear();
    // The greeting is the first reply asked for.
    m_awaitingReply = true;

    m_step = Step::Connecting;
    m_deadline.start(m_replyTimeout);
    if (m_mail.options.security == MailServerOptions::Security::Tls) {
        // The host name as written is the name the certificate must carry.
        m_socket.connectToHostEncrypted(server->host, server->port);
    } else {
        m_socket.connectToHost(server->host, server->port);
    }
}

void SmtpClient::socketConnected()
{
    if (m_step != Step::Connecting)
        return;
    if (m_mail.options.security == MailServerOptions::Security::Tls) {
        // Reaching the server and the handshake each have their own time and their own
        // warning.
        m_step = Step::Handshake;
        m_deadline.start(m_replyTimeout);
        return;
    }
    waitForGreeting();
}

void SmtpClient::socketEncrypted()
{
    if (m_step != Step::Handshake)
        return;
    if (m_mail.options.security == MailServerOptions::Security::Tls)
        return waitForGreeting();
    // The capabilities told in clear text may have been tampered with: ask again.
    greet();
}

void SmtpClient::waitForGreeting()
{
    m_step = Step::Greeting;
    m_deadline.start(m_replyTimeout);
    if (m_code != 0)
        replyArrived();
}

void SmtpClient::socketReadyRead()
{
    if (m_step == Step::Idle)
        return;
    readReplies();
    if (waitingForReply() && m_code != 0)
        replyArrived();
}

void SmtpClient::readReplies()
{
    for (const QByteArray &reply : m_reader.append(m_socket.readAll())) {
        // A warning's receiver may have ended the conversation.
        if (m_step == Step::Idle)
            return;
        // One reply for each command: one more would put every later reply against the
        // wrong command, and a refusal of the content could pass for acceptance.
        if (!m_awaitingReply) {
            if (!m_unsolicited.isEmpty())
                continue;
            m_unsolicited = CodePage::decode(reply);
            // A server may say at any moment that it is closing down; that is shown as
            // the refusal it is.
            m_unsolicitedShown
                = SmtpWire::replyCode(SmtpWire::finalLine(m_unsolicited)) == ServiceClosing;
            if (m_unsolicitedShown)
                judge(m_unsolicited);
            continue;
        }
        m_awaitingReply = false;
        judge(CodePage::decode(reply));
    }
}

void SmtpClient::judge(const QString &reply)
{
    // A multi-line reply carries its code on every line; the final line is the one that
    // says the reply is complete.
    m_code = SmtpWire::replyCode(SmtpWire::finalLine(reply));
    m_lastReply = reply;
    if (m_code == 251)
        emit warning(tr("SMTP Server responded: User not local; will forward to"));
    else if (m_code == 252)
        emit warning(tr("SMTP Server responded: Cannot verify user, but will accept message and "
                        "attempt delivery"));
    // A refused EHLO is answered by HELO, not shown.
    if (m_code > FirstRefusal && m_step != Step::Ehlo)
        emit warning(said(ServerResponded) + reply);
}

void SmtpClient::replyArrived()
{
    // The reply to QUIT does not matter; it ends the conversation, and the connection is
    // closed from here: a server that lingers costs nothing.
    if (m_step == Step::Quit)
        return finish(true);
    if (!m_unsolicited.isEmpty())
        return unanswered({});

    switch (m_step) {
    case Step::Greeting:
        if (m_code != ServiceReady)
            return fail();
        if (m_mail.options.chosen())
            return greet();
        return send(Step::Helo, commandLine(QStringLiteral("HELO ") + m_localHost));
    case Step::Ehlo:
        if (m_code < FirstRefusal) {
            m_ehloReply = m_lastReply;
            return greeted();
        }
        // A server that is closing down is not asked again.
        if (m_code == ServiceClosing)
            return fail(said(ServerResponded) + m_lastReply);
        return send(Step::Helo, commandLine(QStringLiteral("HELO ") + m_localHost));
    case Step::Helo:
        if (m_code >= FirstRefusal)
            return fail();
        return greeted();
    case Step::StartTls:
        if (m_code != ServiceReady)
            return fail(said(StartTlsRefused) + shown(m_lastReply));
        // Whatever came in clear text after the go-ahead could have been put there by
        // someone on the way; only what comes over TLS counts.
        m_reader.clear();
        m_socket.readAll();
        m_step = Step::Handshake;
        m_deadline.start(m_replyTimeout);
        m_socket.startClientEncryption();
        return;
    case Step::Auth:
        // Each part goes only while the server asks for the next.
        if (m_code == GoOnWithLogin && !m_credentials.isEmpty())
            return send(Step::Auth, m_credentials.takeFirst() + "\r\n");
        if (m_code != LoggedIn)
            return fail(said(LoginFailed) + shown(m_lastReply));
        return mailFrom();
    case Step::MailFrom:
        if (m_code >= FirstRefusal)
            return fail();
        return nextRecipient();
    case Step::RcptTo:
        // A refused recipient does not stop the others, but a server that is closing down
        // will take none of them.
        if (m_code == ServiceClosing)
            return fail();
        if (m_code / 100 == 2)
            m_accepted.append(m_mail.recipients.at(m_recipient - 1));
        return nextRecipient();
    case Step::Data:
        // The content goes only after the go-ahead, and counts as taken only when accepted.
        if (expected(3))
            send(Step::Content, content());
        return;
    case Step::Content:
        m_contentReply = m_lastReply;
        if (expected(2))
            send(Step::Quit, commandLine(QStringLiteral("QUIT")));
        return;
    case Step::Idle:
    case Step::Starting:
    case Step::Connecting:
    case Step::Handshake:
    case Step::Quit:
        return;
    }
}

void SmtpClient::greet()
{
    m_ehloReply.clear();
    send(Step::Ehlo, commandLine(QStringLiteral("EHLO ") + m_localHost));
}

void SmtpClient::greeted()
{
    if (m_mail.options.security == MailServerOptions::Security::StartTls
        && !m_socket.isEncrypted()) {
        if (!SmtpWire::offers(m_ehloReply, u"STARTTLS"))
            return fail(said(NoStartTls));
        return send(Step::StartTls, commandLine(QStringLiteral("STARTTLS")));
    }
    if (!m_mail.options.login.isEmpty())
        return logIn();
    mailFrom();
}

void SmtpClient::logIn()
{
    // Only here, after TLS, do the login and the password go on the wire.
    if (!m_socket.isEncrypted())
        return fail();
    const QStringList methods = SmtpWire::authMethods(m_ehloReply);
    const QByteArray login = m_mail.options.login.toUtf8();
    const QByteArray password = m_mail.password.toUtf8();
    if (methods.contains(QLatin1String("PLAIN"))) {
        const QByteArray credentials
            = (QByteArray(1, '\0') + login + QByteArray(1, '\0') + password).toBase64();
        // A server that wants the credentials on a line of their own asks with 334.
        m_credentials = { credentials };
        return send(Step::Auth, "AUTH PLAIN " + credentials + "\r\n");
    }
    if (methods.contains(QLatin1String("LOGIN"))) {
        m_credentials = { login.toBase64(), password.toBase64() };
        return send(Step::Auth, "AUTH LOGIN\r\n");
    }
    fail(said(NoLoginMethod));
}

void SmtpClient::mailFrom()
{
    // Only a server that said it takes 8-bit text gets it, and then it is told so; any
    // other gets quoted-printable, which survives every server on the way.
    m_eightBit = SmtpWire::offers(m_ehloReply, u"8BITMIME") && SmtpWire::fitsEightBit(m_mail.text);
    const QString line = QStringLiteral("MAIL FROM: <") + m_mail.sender + u'>';
    send(Step::MailFrom, commandLine(m_eightBit ? line + QStringLiteral(" BODY=8BITMIME") : line));
}

QByteArray SmtpClient::content() const
{
    // A caller without a clock of its own still sends a dated mail.
    const QDateTime date = m_mail.date.isValid() ? m_mail.date : QDateTime::currentDateTime();
    return SmtpWire::messageContent({ m_mail.sender, m_accepted, date,
        SmtpWire::messageId(m_mail.sender, date, QRandomGenerator::system()->generate64()),
        m_mail.text, m_eightBit });
}

void SmtpClient::nextRecipient()
{
    const qsizetype entries = qMin(m_mail.recipients.size(), MaxRecipients);
    while (m_recipient < entries) {
        const QString &address = m_mail.recipients.at(m_recipient++);
        // Only addresses that cannot break the command line.
        if (address.isEmpty() || !SmtpWire::addressProblem(address).isEmpty())
            continue;
        return send(Step::RcptTo, commandLine(QStringLiteral("RCPT TO: <") + address + u'>'));
    }
    // The last recipient's answer decides (MAIL FROM's when there was none to ask for).
    if (m_code >= FirstRefusal)
        return fail();
    send(Step::Data, commandLine(QStringLiteral("DATA")));
}

bool SmtpClient::expected(int replyClass)
{
    if (m_code / 100 == replyClass)
        return true;
    // A refusal has been shown as it came; anything else that is not the answer expected
    // is shown here.
    fail(m_code < FirstRefusal ? said(MisfitReply) + shown(m_lastReply) : QString());
    return false;
}

void SmtpClient::send(Step step, const QByteArray &line)
{
    m_step = step;
    m_code = 0;
    m_awaitingReply = true;
    m_socket.write(line);
    m_deadline.start(m_replyTimeout);
}

bool SmtpClient::socketGone() const
{
    const auto state = m_socket.state();
    return state == QAbstractSocket::UnconnectedState || state == QAbstractSocket::ClosingState;
}

void SmtpClient::socketError()
{
    // An error while connected is followed by the disconnection, which tells it; one that
    // leaves the socket unconnected (a server that cannot be reached) is all there is.
    if (socketGone())
        serverGone();
}

void SmtpClient::serverGone()
{
    // A server that answers and closes at once: its last words are still to be read, and
    // they may move the conversation on to a command that now goes nowhere.
    if (waitingForReply() && m_socket.bytesAvailable() > 0)
        socketReadyRead();
    switch (m_step) {
    case Step::Idle:
    case Step::Starting:
        return;
    case Step::Connecting:
        return failForNow(said(UnableToConnect));
    case Step::Handshake:
        return handshakeFailed();
    case Step::Quit:
        return finish(true);
    default:
        m_mayPass = true;
        return unanswered(said(ServerClosed));
    }
}

void SmtpClient::deadlinePassed()
{
    switch (m_step) {
    case Step::Idle:
        return;
    case Step::Starting:
        return begin();
    case Step::Connecting:
        return failForNow(said(UnableToConnect));
    case Step::Handshake:
        return handshakeFailed();
    case Step::Quit:
        return finish(true);
    default:
        m_mayPass = true;
        return unanswered(said(m_step == Step::Greeting ? NoGreeting : NoResponse));
    }
}

void SmtpClient::unanswered(const QString &why)
{
    if (!m_unsolicited.isEmpty())
        return fail(m_unsolicitedShown ? QString() : said(Unsolicited) + shown(m_unsolicited));
    fail(why);
}

void SmtpClient::handshakeFailed()
{
    QStringList reasons;
    for (const QSslError &error : std::as_const(m_tlsErrors))
        reasons.append(error.errorString());
    // A certificate refused stays refused; a handshake cut off or too slow may pass.
    m_mayPass = reasons.isEmpty();
    if (reasons.isEmpty())
        reasons.append(socketGone() ? m_socket.errorString() : said(HandshakeTooSlow));
    fail(said(TlsFailed) + reasons.join(QStringLiteral("; ")));
}

void SmtpClient::failForNow(const QString &text)
{
    m_mayPass = true;
    fail(text);
}

void SmtpClient::fail(const QString &text)
{
    // A refusal for now (4xx) may pass; one for good (5xx) stays.
    m_mayPass |= m_code / 100 == 4;
    m_reply = text.isEmpty() ? shown(SmtpWire::finalLine(m_lastReply).toString()) : text;
    // Over before anyone hears of it: a receiver may start the next conversation at once.
    stop();
    if (!text.isEmpty())
        emit warning(text);
    emit finished(false);
}

void SmtpClient::finish(bool sent)
{
    m_reply = shown(SmtpWire::finalLine(m_contentReply).toString());
    stop();
    emit finished(sent);
}

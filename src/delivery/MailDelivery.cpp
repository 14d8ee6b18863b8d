// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "delivery/MailDelivery.h"

#include "app/AppContext.h"
#include "app/MailServerOptions.h"
#include "app/PasswordOwner.h"
#include "app/PhoneAddress.h"
#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "platform/Clock.h"
#include "platform/ConnectionService.h"
#include "platform/UserFacingError.h"
#include "store/CodePage.h"
#include "store/MessageStore.h"
#include "store/StoreError.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <stdexcept>

namespace {

const char *const Surprise = "mod1.ProcessMessage - Big Surprise!";
const char *const UnableToConnect
    = QT_TRANSLATE_NOOP("MailDelivery", "Unable to connect to SMTP server");
const char *const NoPassword = QT_TRANSLATE_NOOP("MailDelivery",
    "No SMTP password is stored for this user: enter it under Advanced... in the Email settings");
const char *const KeyringFailed = QT_TRANSLATE_NOOP(
    "MailDelivery", "The SMTP password could not be read from the desktop's keyring: ");
const char *const MarkedNowhere = QT_TRANSLATE_NOOP("MailDelivery",
    "The message was sent, but its message file %1 is gone, so it could not be marked as sent");
const char *const NotMarked = QT_TRANSLATE_NOOP("MailDelivery",
    "The message was sent, but it could not be marked as sent in the message file. ");
const char *const NoConnection = QT_TRANSLATE_NOOP("MailDelivery", "No network connection");

// The constants above in the user's language.
QString said(const char *text)
{
    return QCoreApplication::translate("MailDelivery", text);
}

constexpr qsizetype RecipientEntries = 11; // a twelfth address is a record nobody wrote
constexpr qsizetype SentToEntries = 10; // the eleventh entry is never sent to
constexpr qint64 RealDialSeconds = 5; // a quicker dial found a line already up

} // namespace

MailDelivery::MailDelivery(
    AppContext &context, MessageStore &store, ConnectionService &connection, QObject *parent)
    : Deliverer(parent)
    , m_context(context)
    , m_store(store)
    , m_connection(connection)
{
    m_begin.setSingleShot(true);
    connect(&m_begin, &QTimer::timeout, this, [this] { guarded([this] { begin(); }); });
    connect(&m_client, &SmtpClient::warning, this, &Deliverer::warning);
    connect(&m_client, &SmtpClient::finished, this, [this](bool sent) {
        guarded([this, sent] {
            m_mailReply = m_client.reply();
            m_mailMayPass = m_client.failureMayPass();
            mailEnded(sent);
        });
    });
    connect(&m_notifications, &NotificationDelivery::finished, this,
        [this](const QStringList &failures) {
            guarded([this, &failures] { notificationsEnded(failures); });
        });
}

void MailDelivery::start(int user, const MessageRecord &record, bool instant)
{
    abort();
    m_underWay = true;
    m_user = user;
    m_record = record;
    m_instant = instant;
    m_dialledUp = false;
    m_mail = {};
    m_mailUnderWay = false;
    m_notificationsUnderWay = false;
    m_everyChannelTookIt = true;
    m_result = {};
    m_mailTried = false;
    m_mailTaken = false;
    m_notified = false;
    m_mailMayPass = true;
    m_mailReply.clear();
    m_begin.start(0);
}

void MailDelivery::abort()
{
    m_underWay = false;
    m_begin.stop();
    m_keyring.reset();
    m_client.abort();
    m_notifications.abort();
}

template<class Step> void MailDelivery::guarded(Step &&step)
{
    if (!m_underWay)
        return;
    try {
        step();
    } catch (const UserFacingError &error) {
        m_client.abort();
        m_notifications.abort();
        m_result.reply = QString::fromUtf8(error.what());
        finish(false, QString::fromLatin1(Surprise), m_result.reply);
    } catch (const std::exception &error) {
        // A record that cannot be sent as it is: trying again cannot change that.
        m_client.abort();
        m_notifications.abort();
        m_result.reply = QString::fromUtf8(error.what());
        finish(false, QString::fromLatin1(Surprise));
    } catch (...) {
        m_client.abort();
        m_notifications.abort();
        finish(false, QString::fromLatin1(Surprise));
    }
}

void MailDelivery::begin()
{
    if (!m_record.hasRecipientList)
        throw std::runtime_error("the record has no recipient list");
    if (m_user < 1 || m_user > Roster::MaxUsers)
        throw std::runtime_error("the message names no user");
    const Recipients recipients = vettedRecipients();
    for (const QString &address : recipients.mail) {
        if (!address.isEmpty())
            m_result.recipients.append({ address, DeliveryAttempt::Channel::Mail });
    }
    for (const NotificationDelivery::Recipient &url : recipients.urls)
        m_result.recipients.append({ url.url, DeliveryAttempt::Channel::Notification });
    if (!connectionReady()) {
        // The connection may come back; the scheduler tries again if the user lets it.
        m_result.mayPass = true;
        if (m_result.reply.isEmpty())
            m_result.reply = said(NoConnection);
        return finish(false);
    }

    const QString section = Roster::userSection(m_user);
    m_mail.serverSetting
        = m_context.settings.readSetting(section, QStringLiteral("SMTP"), QString());
    m_mail.sender = m_context.settings.readSetting(section, QStringLiteral("Email"), QString());
    m_mail.text = m_record.text;
    m_mail.date = m_context.clock.now();
    // A message only for notification URLs needs no mail server: the sender's settings
    // are asked about only when a mail goes out. A record whose entries all left the
    // roster still goes to the server as it always did, which refuses it.
    m_mailUnderWay = recipients.anyMail() || recipients.urls.isEmpty();
    // The order the user has always been told things in: a missing server or an unfit
    // sender (the options are not read yet, so nothing else is asked about here), then a
    // recipient list nobody wrote, then the security choices, and only then whatever the
    // keyring has to say.
    if (m_mailUnderWay) {
        if (const QString problem = SmtpClient::mailProblem(m_mail); !problem.isEmpty()) {
            emit warning(problem);
            m_mailTried = true;
            m_mailReply = problem;
            m_mailMayPass = false;
            // A warning's receiver may have ended the delivery already.
            if (recipients.urls.isEmpty() || !m_underWay) {
                m_result.reply = problem;
                return finish(false);
            }
            m_mailUnderWay = false;
            m_everyChannelTookIt = false;
        }
    }
    if (recipients.tooMany)
        throw std::runtime_error("more than 11 recipient addresses");
    m_mail.recipients = recipients.mail;
    if (!recipients.urls.isEmpty()) {
        m_notificationsUnderWay = m_notified = true;
        m_notifications.start(recipients.urls, m_record.text);
    }
    if (m_mailUnderWay)
        sendMail();
}

void MailDelivery::sendMail()
{
    const QString section = Roster::userSection(m_user);
    m_mail.options = MailServerOptions::read(m_context.settings, section);
    if (const QString problem = SmtpClient::mailProblem(m_mail); !problem.isEmpty()) {
        emit warning(problem);
        return mailFailed(problem, false);
    }
    if (m_mail.options.login.isEmpty())
        return m_client.start(m_mail);
    m_keyring = std::make_unique<QObject>();
    m_context.secrets->readPassword(section, m_keyring.get(),
        [this](const SecretStore::Result &stored) { guarded([&] { passwordRead(stored); }); });
}

bool MailDelivery::connectionReady()
{
    const int flags = m_connection.flags();
    if (!(flags & (ConnectionService::Configured | ConnectionService::Lan)))
        return false;
    if (flags & ConnectionService::Modem) {
        const QDateTime before = m_context.clock.now();
        const bool dialled = m_connection.autodial();
        const QDateTime after = m_context.clock.now();
        if (!dialled) {
            m_result.reply = said(UnableToConnect);
            emit warning(m_result.reply);
            return false;
        }
        if (before.secsTo(after) > RealDialSeconds)
            m_dialledUp = true;
    }
    return true;
}

bool MailDelivery::Recipients::anyMail() const
{
    return std::any_of(mail.begin(), mail.end(), [](const QString &a) { return !a.isEmpty(); });
}

MailDelivery::Recipients MailDelivery::vettedRecipients() const
{
    // The list as the line holds it, cut at every ",": a piece after the last "," is an
    // address too, as it always was.
    const QString rest = CodePage::decode(m_record.line).mid(MessageRecord::TextPos);
    Recipients recipients;
    QStringList &entries = recipients.mail;
    entries = rest.mid(rest.indexOf(u'|') + 1).split(u',');
    for (qsizetype i = RecipientEntries; i < entries.size(); ++i)
        recipients.tooMany |= !entries.at(i).isEmpty();
    entries.resize(qMin(entries.size(), SentToEntries));
    // Only addresses that still belong to a user; an emptied entry keeps its place.
    for (QString &address : entries) {
        if (address.isEmpty())
            continue;
        const int user = Roster::phoneAddressUser(m_context.settings, address);
        if (user != 0 && PhoneAddress::isNotificationUrl(address)) {
            const QString name = m_context.settings.readSetting(
                Roster::userSection(user), QStringLiteral("Name"), QString());
            recipients.urls.append({ name, address });
        }
        if (user == 0 || PhoneAddress::isNotificationUrl(address))
            address.clear();
    }
    return recipients;
}

void MailDelivery::passwordRead(const SecretStore::Result &stored)
{
    m_keyring.reset();
    const QString section = Roster::userSection(m_user);
    if (stored.notFound) {
        emit warning(said(NoPassword));
        return mailFailed(said(NoPassword), false);
    }
    // A keyring that did not answer may answer the next time.
    if (!stored.ok) {
        emit warning(said(KeyringFailed) + stored.error);
        return mailFailed(said(KeyringFailed) + stored.error, true);
    }
    // A password typed for another login (a user before in this slot, or this user's
    // login before it changed) is not sent.
    if (!PasswordOwner::belongsTo(m_context.settings, section, m_mail.options.login)) {
        emit warning(said(NoPassword));
        return mailFailed(said(NoPassword), false);
    }
    m_mail.password = stored.password;
    m_client.start(m_mail);
}

void MailDelivery::mailFailed(const QString &reply, bool mayPass)
{
    m_mailReply = reply;
    m_mailMayPass = mayPass;
    mailEnded(false);
}

void MailDelivery::mailEnded(bool sent)
{
    m_mailTried = true;
    m_mailTaken = sent;
    m_mailUnderWay = false;
    m_everyChannelTookIt &= sent;
    channelsEnded();
}

void MailDelivery::notificationsEnded(const QStringList &failures)
{
    m_notificationsUnderWay = false;
    if (!failures.isEmpty()) {
        m_everyChannelTookIt = false;
        emit warning(
            tr("The message did not reach every recipient:") + u'\n' + failures.join(u'\n'));
    }
    channelsEnded();
}

void MailDelivery::channelsEnded()
{
    // A warning's receiver may have ended the delivery already.
    if (!m_underWay || m_mailUnderWay || m_notificationsUnderWay)
        return;
    const bool sent = m_everyChannelTookIt;
    // Once any channel took the content the record has gone out, and going again would
    // send it twice to those who have it: only a failure in every channel may be tried
    // again, and only when each of them may pass.
    m_result.taken = m_mailTaken || (m_notified && m_notifications.anyTaken());
    m_result.mayPass = !m_result.taken && (!m_mailTried || m_mailMayPass)
        && (!m_notified || m_notifications.failuresMayPass());
    // The reply that tells most: the failed channel's, the mail's before the notifications'.
    const bool mailFirst = m_mailTried && (!m_mailTaken || sent || !m_notified);
    m_result.reply = mailFirst ? m_mailReply : m_notifications.reply();
    if (m_result.taken && !m_instant) {
        emit taken(m_user, m_record);
        if (!m_underWay)
            return;
    }
    // An instant message exists in no file.
    if (!sent || m_instant)
        return finish(sent);
    const QString file = m_store.filePath(m_user);
    if (!QFileInfo::exists(file)) {
        emit warning(said(MarkedNowhere).arg(file));
        return finish(false);
    }
    try {
        m_store.markSent(m_user, m_record);
        m_result.marked = true;
    } catch (const StoreError &error) {
        // The message has gone out, so it counts as sent (the scheduler hands a
        // record over once in a run); but the file still calls it unsent, and only the user
        // can make room for the mark.
        emit warning(said(NotMarked) + QString::fromUtf8(error.what()));
    }
    finish(true);
}

void MailDelivery::finish(bool sent, const QString &failureWhere, const QString &failureText)
{
    // A warning's receiver may have ended the delivery already.
    if (!m_underWay)
        return;
    m_underWay = false;
    m_begin.stop();
    m_keyring.reset();
    m_result.sent = sent;
    m_result.dialledUp = m_dialledUp;
    m_result.failureWhere = failureWhere;
    m_result.failureText = failureText;
    emit finished(m_result);
}

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "delivery/NotificationDelivery.h"

#include <QStandardPaths>

NotificationDelivery::~NotificationDelivery()
{
    abort();
}

void NotificationDelivery::start(const QList<Recipient> &recipients, const QString &text)
{
    abort();
    m_recipients = recipients;
    m_reasons = QStringList(recipients.size());
    m_lastLines = QStringList(recipients.size());
    m_anyTaken = false;
    m_mayPass = true;
    m_reply.clear();
    m_running = recipients.size();
    const QString program = QStandardPaths::findExecutable(QStringLiteral("apprise"));
    for (qsizetype i = 0; i < recipients.size(); ++i) {
        auto &sender = m_senders.emplace_back(std::make_unique<AppriseSender>());
        sender->setTimeLimit(m_timeLimit);
        connect(sender.get(), &AppriseSender::finished, this,
            [this, index = std::size_t(i), sender = sender.get()](
                bool sent, const QString &reason) {
                m_lastLines[qsizetype(index)] = sent ? sender->lastLine() : reason;
                m_mayPass &= sent || sender->failureMayPass();
                senderEnded(index, sent, reason);
            });
        sender->start(program, recipients.at(i).url, text);
    }
}

void NotificationDelivery::abort()
{
    m_running = 0;
    // Each sender kills its process as it goes.
    m_senders.clear();
}

void NotificationDelivery::senderEnded(std::size_t index, bool sent, const QString &reason)
{
    if (m_running == 0)
        return;
    m_anyTaken |= sent;
    if (!sent)
        m_reasons[qsizetype(index)] = reason.isEmpty() ? tr("not accepted") : reason;
    if (--m_running > 0)
        return;
    m_reply = m_lastLines.isEmpty() ? QString() : m_lastLines.last();
    QStringList failures;
    for (qsizetype i = 0; i < m_recipients.size(); ++i) {
        if (!m_reasons.at(i).isEmpty())
            m_reply = m_reasons.at(i);
        if (!m_reasons.at(i).isEmpty())
            failures.append(m_recipients.at(i).name + QStringLiteral(": ") + m_reasons.at(i));
    }
    // The senders are done; they go once this signal's handling is over, since this runs
    // inside the last one's own signal.
    for (auto &sender : m_senders)
        sender.release()->deleteLater();
    m_senders.clear();
    emit finished(failures);
}

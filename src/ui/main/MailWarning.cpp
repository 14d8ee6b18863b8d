// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/main/MailWarning.h"

#include <QLabel>
#include <QPushButton>

namespace {

constexpr int TwipsPerInch = 1440;

} // namespace

MailWarning::MailWarning(QWidget *parent)
    : QWidget(parent, Qt::Dialog)
    , m_message(new QLabel(this))
    , m_okButton(new QPushButton(tr("&OK"), this))
    , m_historyButton(new QPushButton(tr("&Delivery History"), this))
{
    setObjectName(QStringLiteral("mailWarning"));
    setWindowTitle(tr("Tolvane Warning"));
    setWindowModality(Qt::NonModal);

    m_message->setObjectName(QStringLiteral("messageLabel"));
    m_message->setFont(QFont(QStringLiteral("Arial")));
    // Server replies are shown as they came; none of their text is markup.
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_message->setGeometry(twipsRect(120, 120, 5295, 855));

    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setGeometry(twipsRect(2160, 1080, 1215, 375));
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QWidget::hide);
    // Beside OK, which stays where it always was.
    m_historyButton->setObjectName(QStringLiteral("historyButton"));
    m_historyButton->setGeometry(twipsRect(3495, 1080, 1875, 375));
    connect(m_historyButton, &QPushButton::clicked, this, &MailWarning::historyRequested);

    setFixedSize(twipsRect(0, 0, 5490, 1560).size());
}

QRect MailWarning::twipsRect(int left, int top, int width, int height) const
{
    const auto x = [&](int twips) { return twips * logicalDpiX() / TwipsPerInch; };
    const auto y = [&](int twips) { return twips * logicalDpiY() / TwipsPerInch; };
    return QRect(x(left), y(top), x(width), y(height));
}

void MailWarning::showWarning(const QString &text)
{
    m_message->setText(text);
    m_attempt.reset();
    m_awaitingAttempt = true;
    show();
}

void MailWarning::attemptEnded(const DeliveryHistory::Entry &attempt)
{
    if (std::exchange(m_awaitingAttempt, false))
        m_attempt = attempt;
}

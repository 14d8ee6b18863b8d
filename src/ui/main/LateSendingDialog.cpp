// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/main/LateSendingDialog.h"

#include "app/Roster.h"
#include "app/SettingsStore.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

const QString Options = QStringLiteral("Options");
const QString LateMinutes = QStringLiteral("LateMinutes");

} // namespace

LateSendingDialog::LateSendingDialog(SettingsStore &settings, QWidget *parent)
    : QDialog(parent)
    , m_settings(settings)
{
    setObjectName(QStringLiteral("lateSendingDialog"));
    setWindowTitle(tr("Send Late Messages"));
    auto *before = new QLabel(tr("Send a message that could not go out at its minute (computer "
                                 "asleep or switched off, no network, server busy) &up to"));
    before->setWordWrap(true);
    m_choice = new QComboBox;
    m_choice->setObjectName(QStringLiteral("lateChoice"));
    m_choice->addItems({ tr("Never"), tr("15 minutes"), tr("1 hour"), tr("6 hours"), tr("1 day") });
    m_choice->setAccessibleName(tr("How late a message may still be sent"));
    before->setBuddy(m_choice);
    auto *after = new QLabel(tr("late"));

    // A hand-edited value between the choices shows as the longest choice within it.
    const int minutes = Roster::leadingNumber(
        m_settings.readSetting(Options, LateMinutes, QString()), Choices[std::size(Choices) - 1]);
    for (std::size_t i = 0; i < std::size(Choices); ++i) {
        if (Choices[i] <= minutes)
            m_shown = int(i);
    }
    m_choice->setCurrentIndex(m_shown);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *row = new QHBoxLayout;
    row->addWidget(m_choice);
    row->addWidget(after);
    row->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(before);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

void LateSendingDialog::accept()
{
    // An unchanged choice leaves the settings as they were, a hand-edited value too.
    if (m_choice->currentIndex() != m_shown)
        m_settings.writeSetting(
            Options, LateMinutes, QString::number(Choices[m_choice->currentIndex()]));
    QDialog::accept();
}

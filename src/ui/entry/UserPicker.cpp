// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/entry/UserPicker.h"

#include "app/AppContext.h"
#include "app/ErrorTrap.h"
#include "app/Roster.h"
#include "platform/MessageBoxes.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Names are listed as a person reads them, regardless of letter case; names that differ
// only in case ("Desk" before "desk") and equal names (by user number) keep a fixed
// order, so that the boxes never swap places between two openings.
bool listedBefore(const Roster::User &a, const Roster::User &b)
{
    if (const int c = a.name.compare(b.name, Qt::CaseInsensitive); c != 0)
        return c < 0;
    if (const int c = a.name.compare(b.name, Qt::CaseSensitive); c != 0)
        return c < 0;
    return a.number < b.number;
}

} // namespace

UserPicker::UserPicker(AppContext &context, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("userPicker"));
    setWindowTitle(tr("Tolvane - Select Users"));
    setModal(true);

    auto *frame = new QGroupBox(tr("User Selection"), this);
    m_prompt = new QLabel(tr("Please select users:"), frame);
    m_prompt->setObjectName(QStringLiteral("promptLabel"));

    auto *boxes = new QVBoxLayout(frame);
    boxes->addWidget(m_prompt);
    for (int i = 0; i < BoxCount; ++i) {
        m_boxes[i] = new QCheckBox(frame);
        m_boxes[i]->setObjectName(QStringLiteral("userBox%1").arg(i));
        m_boxes[i]->hide();
        boxes->addWidget(m_boxes[i]);
        connect(m_boxes[i], &QCheckBox::toggled, this, [this, i] { tick(i); });
    }

    m_selectAll = new QPushButton(tr("Select All"), frame);
    m_selectAll->setObjectName(QStringLiteral("selectAllButton"));
    m_clearAll = new QPushButton(tr("Clear All"), frame);
    m_clearAll->setObjectName(QStringLiteral("clearAllButton"));
    auto *bulk = new QHBoxLayout;
    bulk->addWidget(m_selectAll);
    bulk->addWidget(m_clearAll);
    bulk->addStretch();
    boxes->addSpacing(6);
    boxes->addLayout(bulk);

    auto *apply = new QPushButton(tr("&Apply"), this);
    apply->setObjectName(QStringLiteral("applyButton"));
    apply->setDefault(true);
    auto *cancel = new QPushButton(tr("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(apply);
    buttons->addWidget(cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    // The picker takes the size of the boxes it shows, so it shrinks for a short roster.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    frame->setMinimumWidth(240);

    connect(apply, &QPushButton::clicked, this, &UserPicker::apply);
    connect(cancel, &QPushButton::clicked, this, &UserPicker::cancel);
    connect(m_selectAll, &QPushButton::clicked, this,
        [this] { trap(m_context, "frmUserSelect.cmdSelectAll_Click", [&] { tickAll(true); }); });
    connect(m_clearAll, &QPushButton::clicked, this,
        [this] { trap(m_context, "frmUserSelect.cmdClearAll_Click", [&] { tickAll(false); }); });
}

void UserPicker::begin(const Mode &mode)
{
    m_mode = mode;
    m_chosen.clear();
    trap(m_context, "frmUserSelect.Form_Load", [&] {
        m_prompt->setText(mode.several ? tr("Please select users:") : tr("Please select user:"));
        m_selectAll->setVisible(mode.several);
        m_clearAll->setVisible(mode.several);

        for (int i = 0; i < BoxCount; ++i) {
            m_boxes[i]->setChecked(false);
            m_boxes[i]->hide();
            m_users[i] = 0;
        }

        // A slot is offered when its section holds a name, the same test the rest of the
        // roster uses, so that every user who can be added can also be chosen here.
        QList<Roster::User> offered = Roster::configuredUsers(m_context.settings);
        if (!mode.offerCurrentUser)
            offered.removeIf(
                [&](const Roster::User &user) { return user.number == m_context.currentUser; });
        // Each box keeps the number of its own user, so that two users of the same name
        // get two boxes rather than one user twice.
        std::stable_sort(offered.begin(), offered.end(), listedBefore);

        for (int i = 0; i < offered.size() && i < BoxCount; ++i) {
            m_boxes[i]->setText(offered[i].name);
            m_boxes[i]->show();
            m_users[i] = offered[i].number;
            if (offered[i].number == m_context.currentUser)
                m_boxes[i]->setChecked(true);
        }
    });
}

QList<int> UserPicker::pick(const Mode &mode)
{
    begin(mode);
    exec();
    return m_chosen;
}

void UserPicker::tick(int box)
{
    trap(m_context, "frmUserSelect.chkUser_Click", [&] {
        if (m_mode.several || !m_boxes.at(box)->isChecked())
            return;
        for (int i = 0; i < BoxCount; ++i) {
            if (i != box)
                m_boxes[i]->setChecked(false);
        }
    });
}

void UserPicker::apply()
{
    trap(m_context, "frmUserSelect.cmdNext_Click", [&] {
        if (refusedEmpty())
            return;
        // In the order of the boxes, that is in alphabetical order of the names.
        m_chosen.clear();
        for (int i = 0; i < BoxCount; ++i) {
            if (m_boxes[i]->isChecked() && m_users[i] != 0)
                m_chosen.append(m_users[i]);
        }
        done(QDialog::Accepted);
    });
}

void UserPicker::cancel()
{
    trap(m_context, "frmUserSelect.cmdCancel_Click", [&] {
        if (refusedEmpty())
            return;
        m_chosen.clear();
        done(QDialog::Rejected);
    });
}

void UserPicker::reject()
{
    cancel();
}

void UserPicker::tickAll(bool ticked)
{
    for (QCheckBox *box : m_boxes) {
        if (!ticked || !box->isHidden())
            box->setChecked(ticked);
    }
}

bool UserPicker::refusedEmpty()
{
    const bool anyTicked = std::any_of(m_boxes.begin(), m_boxes.end(),
        [](const QCheckBox *box) { return !box->isHidden() && box->isChecked(); });
    if (!m_mode.required || anyTicked)
        return false;
    m_context.boxes.show(tr("User Selection"), tr("You must select a user."),
        MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok, this);
    return true;
}

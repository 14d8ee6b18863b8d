#include "ui/entry/FrmUserSelect.h"

#include "app/ErrorTrap.h"
#include "app/Program.h"
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

FrmUserSelect::FrmUserSelect(Program &program, QWidget *parent)
    : QDialog(parent)
    , p(program)
{
    setObjectName(QStringLiteral("frmUserSelect"));
    setWindowTitle(QStringLiteral("Tolvane - Select Users"));
    setModal(true);

    fraUsers = new QGroupBox(QStringLiteral("User Selection"), this);
    fraUsers->setObjectName(QStringLiteral("fraUsers"));
    lblInfo = new QLabel(QStringLiteral("Please select users:"), fraUsers);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));

    auto *boxes = new QVBoxLayout(fraUsers);
    boxes->addWidget(lblInfo);
    for (int i = 0; i < BoxCount; ++i) {
        chkUser[i] = new QCheckBox(QStringLiteral("User Name"), fraUsers);
        chkUser[i]->setObjectName(QStringLiteral("chkUser%1").arg(i));
        boxes->addWidget(chkUser[i]);
        connect(chkUser[i], &QCheckBox::toggled, this, [this, i] { chkUser_Click(i); });
    }

    cmdSelectAll = new QPushButton(QStringLiteral("Select All"), fraUsers);
    cmdSelectAll->setObjectName(QStringLiteral("cmdSelectAll"));
    cmdClearAll = new QPushButton(QStringLiteral("Clear All"), fraUsers);
    cmdClearAll->setObjectName(QStringLiteral("cmdClearAll"));
    auto *bulk = new QHBoxLayout;
    bulk->addWidget(cmdSelectAll);
    bulk->addWidget(cmdClearAll);
    bulk->addStretch();
    boxes->addSpacing(6);
    boxes->addLayout(bulk);

    cmdNext = new QPushButton(QStringLiteral("&Apply"), this);
    cmdNext->setObjectName(QStringLiteral("cmdNext"));
    cmdNext->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdNext);
    buttons->addWidget(cmdCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(fraUsers);
    layout->addLayout(buttons);
    // The form takes the size of the boxes it shows, so it shrinks for a short roster.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    fraUsers->setMinimumWidth(240);

    connect(cmdNext, &QPushButton::clicked, this, &FrmUserSelect::cmdNext_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmUserSelect::cmdCancel_Click);
    connect(cmdSelectAll, &QPushButton::clicked, this, &FrmUserSelect::cmdSelectAll_Click);
    connect(cmdClearAll, &QPushButton::clicked, this, &FrmUserSelect::cmdClearAll_Click);

    tmrRefresh.setObjectName(QStringLiteral("tmrRefresh"));
    tmrRefresh.setInterval(1);
    connect(&tmrRefresh, &QTimer::timeout, this, &FrmUserSelect::tmrRefresh_Timer);

    Form_Load();
}

int FrmUserSelect::showModal()
{
    tmrRefresh.start();
    return exec();
}

void FrmUserSelect::Form_Load()
{
    Trap(p, "frmUserSelect.Form_Load", [&] {
        const bool single = p.SingleSelect;
        lblInfo->setText(single ? QStringLiteral("Please select user:")
                                : QStringLiteral("Please select users:"));
        cmdSelectAll->setHidden(single);
        cmdClearAll->setHidden(single);

        for (int i = 0; i < BoxCount; ++i) {
            chkUser[i]->setChecked(false);
            chkUser[i]->hide();
            m_numbers[i] = 0;
        }
        clearRecipients();

        // A slot is offered when its section holds a name, the same test the rest of the
        // roster uses, so that every user who can be added can also be chosen here.
        QList<Roster::User> offered;
        for (const Roster::User &user : Roster::ConfiguredUsers(p.settings)) {
            if (!p.IncludeCurrentUser && user.number == p.CurrentUser)
                continue;
            offered.append(user);
        }
        // Each box keeps the number of its own user, so that two users of the same name
        // get two boxes rather than one user twice.
        std::stable_sort(offered.begin(), offered.end(), listedBefore);

        for (int i = 0; i < offered.size() && i < BoxCount; ++i) {
            chkUser[i]->setText(offered[i].name);
            chkUser[i]->show();
            m_numbers[i] = offered[i].number;
            if (offered[i].number == p.CurrentUser)
                chkUser[i]->setChecked(true);
        }
        clearRecipients(); // ticking the current user's box above must not count as a choice
    });
}

void FrmUserSelect::tmrRefresh_Timer()
{
    Trap(p, "frmUserSelect.tmrRefresh_Timer", [&] {
        tmrRefresh.stop();
        Form_Load();
    });
}

void FrmUserSelect::chkUser_Click(int box)
{
    Trap(p, "frmUserSelect.chkUser_Click", [&] {
        if (p.SingleSelect && chkUser.at(box)->isChecked()) {
            for (int i = 0; i < BoxCount; ++i) {
                if (i != box)
                    chkUser[i]->setChecked(false);
            }
        }
        clearRecipients();
    });
}

void FrmUserSelect::cmdNext_Click()
{
    Trap(p, "frmUserSelect.cmdNext_Click", [&] {
        if (p.RequireSelection && !anyTicked()) {
            refuseEmptySelection();
            return;
        }
        // In the order of the boxes, that is in alphabetical order of the names.
        clearRecipients();
        int k = 0;
        for (int i = 0; i < BoxCount; ++i) {
            if (chkUser[i]->isChecked() && m_numbers[i] != 0)
                p.Recipients[k++] = m_numbers[i];
        }
        done(QDialog::Accepted);
    });
}

void FrmUserSelect::cmdCancel_Click()
{
    Trap(p, "frmUserSelect.cmdCancel_Click", [&] {
        if (p.RequireSelection && !anyTicked()) {
            refuseEmptySelection();
            return;
        }
        // Entry 0 = 0 is how every caller learns that nothing was chosen.
        clearRecipients();
        done(QDialog::Rejected);
    });
}

void FrmUserSelect::cmdSelectAll_Click()
{
    Trap(p, "frmUserSelect.cmdSelectAll_Click", [&] {
        for (QCheckBox *box : chkUser) {
            if (!box->isHidden())
                box->setChecked(true);
        }
    });
}

void FrmUserSelect::cmdClearAll_Click()
{
    Trap(p, "frmUserSelect.cmdClearAll_Click", [&] {
        for (QCheckBox *box : chkUser)
            box->setChecked(false);
    });
}

void FrmUserSelect::reject()
{
    cmdCancel_Click();
}

bool FrmUserSelect::anyTicked() const
{
    return std::any_of(chkUser.begin(), chkUser.end(),
        [](const QCheckBox *box) { return !box->isHidden() && box->isChecked(); });
}

void FrmUserSelect::refuseEmptySelection()
{
    p.boxes.show(QStringLiteral("User Selection"), QStringLiteral("You must select a user."),
        MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok, this);
}

void FrmUserSelect::clearRecipients()
{
    p.Recipients.fill(0);
}

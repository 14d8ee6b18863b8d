#include "ui/setup/SetupPage.h"

#include "app/ErrorTrap.h"
#include "app/Program.h"
#include "platform/EventWait.h"
#include "platform/HelpPage.h"
#include "platform/MessageBoxes.h"
#include "ui/setup/SetupWizard.h"
#include "ui/setup/TolvaneIcon.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int SelectionLength = 100;

} // namespace

SetupPage::SetupPage(
    Program &program, SetupWizard &wizard, const QString &formName, bool hasBack, QWidget *parent)
    : QDialog(parent)
    , p(program)
    , wizard(wizard)
    , m_formName(formName)
{
    setObjectName(formName);
    setWindowIcon(TolvaneIcon());
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(DesignWidth, DesignHeight);

    fraSetup = new QGroupBox(QStringLiteral("Tolvane Setup"), this);
    fraSetup->setObjectName(QStringLiteral("fraSetup"));
    picture = new QLabel(fraSetup);
    picture->setObjectName(QStringLiteral("picture"));
    picture->setPixmap(TolvaneIcon().pixmap(64, 64));
    picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    content = new QVBoxLayout;
    content->setSpacing(8);
    footer = new QVBoxLayout;
    auto *frameLayout = new QGridLayout(fraSetup);
    frameLayout->setHorizontalSpacing(12);
    frameLayout->addWidget(picture, 0, 0);
    frameLayout->addLayout(content, 0, 1);
    frameLayout->addLayout(footer, 1, 0, 1, 2);
    frameLayout->setColumnStretch(1, 1);
    frameLayout->setRowStretch(1, 1);

    cmdHelp = new QPushButton(QStringLiteral("?"), this);
    cmdHelp->setObjectName(QStringLiteral("cmdHelp"));
    cmdHelp->setFixedWidth(32);
    cmdHelp->setAutoDefault(false);
    if (hasBack) {
        cmdBack = new QPushButton(QStringLiteral("&Back"), this);
        cmdBack->setObjectName(QStringLiteral("cmdBack"));
        cmdBack->setAutoDefault(false);
    }
    cmdNext = new QPushButton(QStringLiteral("&Next"), this);
    cmdNext->setObjectName(QStringLiteral("cmdNext"));
    cmdNext->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdHelp);
    buttons->addStretch(1);
    if (cmdBack)
        buttons->addWidget(cmdBack);
    buttons->addWidget(cmdNext);
    buttons->addSpacing(8);
    buttons->addWidget(cmdCancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(fraSetup, 1);
    layout->addLayout(buttons);

    tmrRefresh.setInterval(1);
    connect(&tmrRefresh, &QTimer::timeout, this, &SetupPage::tmrRefresh_Timer);
    connect(cmdNext, &QPushButton::clicked, this, [this] { cmdNext_Click(); });
    if (cmdBack)
        connect(cmdBack, &QPushButton::clicked, this, [this] { cmdBack_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, &SetupPage::cmdCancel_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &SetupPage::cmdHelp_Click);
}

QLabel *SetupPage::addLabel(int index, const QString &text)
{
    auto *label = new QLabel(text, fraSetup);
    label->setObjectName(QStringLiteral("lblInfo_%1").arg(index));
    label->setWordWrap(true);
    lblInfo.insert(index, label);
    return label;
}

QLineEdit *SetupPage::addBox()
{
    auto *box = new QLineEdit(fraSetup);
    const int index = int(txtData.size());
    box->setObjectName(QStringLiteral("txtData_%1").arg(index));
    box->installEventFilter(this);
    txtData.append(box);
    return box;
}

void SetupPage::finishTabOrder()
{
    // The boxes come first, although the buttons were made before them.
    QList<QWidget *> chain(txtData.begin(), txtData.end());
    chain << cmdNext << cmdCancel;
    if (cmdBack)
        chain << cmdBack;
    chain << cmdHelp;
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain.at(i - 1), chain.at(i));
    focusFirstBox();
}

void SetupPage::setNextCaption(const QString &caption)
{
    cmdNext->setText(caption);
}

void SetupPage::setInstructionLine(QLabel *line)
{
    // The caption without its accelerator mark: "&Next" reads "Next".
    const QString word = cmdNext->text().mid(1);
    line->setText(QStringLiteral("If this is correct, click the ") + word
        + QStringLiteral(" button below.  Otherwise, make any necessary changes and click the ")
        + word + QStringLiteral(" button."));
}

bool SetupPage::wizardMode() const
{
    return p.FirstRun || p.AddingUser;
}

void SetupPage::focusFirstBox()
{
    txtData.first()->setFocus();
}

void SetupPage::trap(const char *procedure, const std::function<void()> &body)
{
    const QByteArray where = m_formName.toLatin1() + '.' + procedure;
    Trap(p, where.constData(), body);
}

void SetupPage::ShowModal()
{
    show();
    activateWindow();
    EventWait wait;
    connect(this, &SetupPage::hidden, &wait, &EventWait::wake);
    wait.waitUntil([this] { return !isVisible(); });
}

void SetupPage::tmrRefresh_Timer()
{
    trap("tmrRefresh_Timer", [&] {
        tmrRefresh.stop();
        Form_Load();
    });
}

void SetupPage::cmdCancel_Click()
{
    trap("cmdCancel_Click", [&] {
        if (p.FirstRun) {
            const auto answer = p.boxes.show(QStringLiteral("Abort Tolvane Setup?"),
                QStringLiteral("Canceling Tolvane Setup will end the program.  Are you sure you "
                               "wish to cancel Tolvane Setup?"),
                MessageBoxes::Icon::None, MessageBoxes::Buttons::YesNo, this);
            if (answer != MessageBoxes::Answer::Yes)
                return;
            // Ends the program; nothing after this runs in the program itself.
            wizard.EndProgram();
            hide();
            return;
        }
        p.PendingName.clear();
        p.PendingEmail.clear();
        p.PendingSMTP.clear();
        p.PendingServer.reset();
        p.PendingPassword.reset();
        focusFirstBox();
        hide();
    });
}

void SetupPage::cmdHelp_Click()
{
    trap("cmdHelp_Click", [&] { OpenHelpPage(); });
}

void SetupPage::txtData_DblClick(int index)
{
    trap("txtData_DblClick", [&] {
        QLineEdit *box = txtData.at(index);
        box->setSelection(0, qMin<int>(SelectionLength, int(box->text().size())));
    });
}

void SetupPage::reject()
{
    cmdCancel_Click();
}

void SetupPage::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    emit hidden();
}

bool SetupPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonDblClick) {
        const qsizetype index = txtData.indexOf(qobject_cast<QLineEdit *>(watched));
        if (index >= 0) {
            txtData_DblClick(int(index));
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

#include "ui/setup/FrmSplash.h"

#include "app/ErrorTrap.h"
#include "app/Program.h"
#include "ui/setup/DialogPlacement.h"
#include "ui/setup/SetupWizard.h"
#include "ui/setup/TolvaneIcon.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

const QString FrmSplash::NoticeLine
    = QStringLiteral("Your messages go out on time while Tolvane waits in the system tray.");

FrmSplash::FrmSplash(Program &program, SetupWizard &wizard, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , p(program)
    , m_wizard(wizard)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Tolvane"));
    setWindowIcon(TolvaneIcon());
    setFixedSize(DesignWidth, DesignHeight);

    picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("picture"));
    picture->setPixmap(TolvaneIcon().pixmap(128, 128));
    picture->setAlignment(Qt::AlignCenter);

    picture2 = new QLabel(QStringLiteral("Tolvane"), this);
    picture2->setObjectName(QStringLiteral("picture2"));
    QFont title = picture2->font();
    title.setPointSizeF(title.pointSizeF() * 2.6);
    title.setBold(true);
    picture2->setFont(title);
    picture2->setStyleSheet(QStringLiteral("color: #1c3d66;"));

    auto *tagline
        = new QLabel(QStringLiteral("Text messages for your phone, sent on the minute."), this);
    tagline->setWordWrap(true);
    tagline->setStyleSheet(QStringLiteral("color: #3a4a5c;"));

    for (int i = 0; i < 2; ++i) {
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("lblInfo_%1").arg(i));
        label->setWordWrap(true);
        lblInfo.append(label);
    }
    lblInfo[0]->setText(QStringLiteral("Version 1.0"));
    QFont version = lblInfo[0]->font();
    version.setBold(true);
    lblInfo[0]->setFont(version);
    lblInfo[1]->setStyleSheet(QStringLiteral("color: #3a4a5c;"));

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdOK->hide();

    auto *words = new QVBoxLayout;
    words->addStretch(1);
    words->addWidget(picture2);
    words->addWidget(tagline);
    words->addSpacing(18);
    words->addWidget(lblInfo[0]);
    words->addStretch(1);
    auto *top = new QHBoxLayout;
    top->addWidget(picture);
    top->addSpacing(12);
    top->addLayout(words, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lblInfo[1], 1);
    bottom->addWidget(cmdOK, 0, Qt::AlignBottom);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);

    tmrSplash1.setInterval(2000);
    tmrSplash1.setSingleShot(true);
    tmrRefresh.setInterval(1);
    connect(&tmrSplash1, &QTimer::timeout, this, &FrmSplash::tmrSplash1_Timer);
    connect(&tmrRefresh, &QTimer::timeout, this, &FrmSplash::tmrRefresh_Timer);
    connect(cmdOK, &QPushButton::clicked, this, &FrmSplash::cmdOK_Click);
}

void FrmSplash::Form_Load()
{
    Trap(p, "frmSplash.Form_Load", [&] {
        lblInfo[1]->setText(NoticeLine);
        if (p.AboutMode) {
            cmdOK->setText(QStringLiteral("&OK"));
            cmdOK->show();
            cmdOK->setFocus();
            return;
        }
        placeDialogs();
        tmrSplash1.start();
        cmdOK->hide();
    });
}

void FrmSplash::placeDialogs()
{
    QList<QWidget *> forms { &m_wizard };
    if (m_hooks.dialogForms)
        forms += m_hooks.dialogForms();
    for (QWidget *form : std::as_const(forms))
        if (form)
            PlaceDialog(*form);
}

void FrmSplash::tmrSplash1_Timer()
{
    Trap(p, "frmSplash.tmrSplash1_Timer", [&] {
        tmrSplash1.stop();
        if (p.FirstRun)
            FirstTimeSetup();
        else
            handOver();
    });
}

void FrmSplash::FirstTimeSetup()
{
    Trap(p, "frmSplash.FirstTimeSetup", [&] {
        m_wizard.begin(SetupWizard::Mode::FirstRun, 1);
        connect(&m_wizard, &QDialog::finished, this, &FrmSplash::firstTimeSetupEnded,
            Qt::SingleShotConnection);
        m_wizard.show();
        m_wizard.raise();
        m_wizard.activateWindow();
    });
}

void FrmSplash::firstTimeSetupEnded(int outcome)
{
    Trap(p, "frmSplash.FirstTimeSetup", [&] {
        if (outcome == SetupWizard::Abandoned) {
            // Nothing was set up, so nothing may be shown as if it had been. The splash goes
            // first: quitting closes every window, and the splash refuses to close at start.
            hide();
            QCoreApplication::quit();
            return;
        }
        p.FirstRun = false;
        p.ShowFirstTimeMessages = true;
        handOver();
    });
}

void FrmSplash::handOver()
{
    if (!p.StartSmall && m_hooks.showMainWindow)
        m_hooks.showMainWindow();
    p.SplashDone = true;
    hide();
}

void FrmSplash::tmrRefresh_Timer()
{
    Trap(p, "frmSplash.trmRefresh_Timer", [&] {
        tmrRefresh.stop();
        Form_Load();
    });
}

void FrmSplash::cmdOK_Click()
{
    Trap(p, "frmSplash.cmdOK_Click", [&] {
        p.AboutMode = false;
        hide();
    });
}

void FrmSplash::ShowAbout()
{
    p.AboutMode = true;
    tmrRefresh.start();
    show();
    raise();
    activateWindow();
}

void FrmSplash::reject()
{
    if (p.AboutMode)
        cmdOK_Click();
}

void FrmSplash::paintEvent(QPaintEvent *)
{
    // The decorative shape: a soft sky behind everything and a rounded frame.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(0xf7, 0xfb, 0xff));
    sky.setColorAt(1, QColor(0xd9, 0xe8, 0xf7));
    painter.fillRect(rect(), sky);
    painter.setPen(QPen(QColor(0x1c, 0x3d, 0x66), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(4, 4, -4, -4), 10, 10);
    painter.setPen(QPen(QColor(0xf2, 0x8c, 0x18), 3));
    painter.drawLine(QPointF(24, height() - 62), QPointF(width() - 24, height() - 62));
}

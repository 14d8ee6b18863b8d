// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/setup/SplashScreen.h"

#include "app/AppContext.h"
#include "app/ErrorTrap.h"
#include "ui/common/DialogPlacement.h"
#include "ui/common/TolvaneIcon.h"
#include "ui/setup/SetupWizard.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

SplashScreen::SplashScreen(AppContext &context, SetupWizard &wizard, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , m_context(context)
    , m_wizard(wizard)
{
    setObjectName(QStringLiteral("splashScreen"));
    setWindowTitle(QStringLiteral("Tolvane"));
    setWindowIcon(tolvaneIcon());
    // On a first run the wizard stands over the splash and hides it whole.
    setFixedSize(SetupWizard::DesignWidth, SetupWizard::DesignHeight);

    auto *picture = new QLabel(this);
    picture->setPixmap(tolvaneIcon().pixmap(128, 128));
    picture->setAlignment(Qt::AlignCenter);

    auto *name = new QLabel(QStringLiteral("Tolvane"), this);
    QFont title = name->font();
    title.setPointSizeF(title.pointSizeF() * 2.6);
    title.setBold(true);
    name->setFont(title);
    name->setStyleSheet(QStringLiteral("color: #1c3d66;"));

    auto *tagline = new QLabel(tr("Text messages for your phone, sent on the minute."), this);
    tagline->setWordWrap(true);
    tagline->setStyleSheet(QStringLiteral("color: #3a4a5c;"));

    auto *version = new QLabel(tr("Version 1.0"), this);
    version->setObjectName(QStringLiteral("versionLabel"));
    QFont bold = version->font();
    bold.setBold(true);
    version->setFont(bold);

    // Only the About box names the copyright holder, the licence and the home page; the
    // splash at start stays as it is.
    m_licence = new QLabel(tr("Copyright © 2026 The Tolvane developers\n"
                              "Free software under the GNU General Public License, "
                              "version 3 or later, with no warranty.\n"
                              "https://github.com/tolvane/tolvane"),
        this);
    m_licence->setObjectName(QStringLiteral("licenceLabel"));
    m_licence->setWordWrap(true);
    m_licence->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_licence->setStyleSheet(QStringLiteral("color: #3a4a5c;"));
    QFont small = m_licence->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_licence->setFont(small);
    m_licence->hide();

    auto *notice = new QLabel(
        tr("Your messages go out on time while Tolvane waits in the system tray."), this);
    notice->setWordWrap(true);
    notice->setStyleSheet(QStringLiteral("color: #3a4a5c;"));

    m_okButton = new QPushButton(tr("&OK"), this);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setDefault(true);
    m_okButton->hide();

    auto *words = new QVBoxLayout;
    words->addStretch(1);
    words->addWidget(name);
    words->addWidget(tagline);
    words->addSpacing(18);
    words->addWidget(version);
    words->addWidget(m_licence);
    words->addStretch(1);
    auto *top = new QHBoxLayout;
    top->addWidget(picture);
    top->addSpacing(12);
    top->addLayout(words, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(notice, 1);
    bottom->addWidget(m_okButton, 0, Qt::AlignBottom);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->addLayout(top, 1);
    layout->addLayout(bottom);

    m_standing.setInterval(2000);
    m_standing.setSingleShot(true);
    connect(&m_standing, &QTimer::timeout, this, &SplashScreen::handOver);
    connect(m_okButton, &QPushButton::clicked, this, &SplashScreen::closeAbout);
}

void SplashScreen::start()
{
    placeDialog(*this);
    trap(m_context, "frmSplash.Form_Load", [&] {
        placeDialogs();
        m_standing.start();
    });
    show();
}

void SplashScreen::placeDialogs()
{
    QList<QWidget *> dialogs { &m_wizard };
    if (m_hooks.dialogs)
        dialogs += m_hooks.dialogs();
    for (QWidget *dialog : std::as_const(dialogs))
        if (dialog)
            placeDialog(*dialog);
}

void SplashScreen::handOver()
{
    trap(m_context, "frmSplash.tmrSplash1_Timer", [&] {
        m_standing.stop();
        if (m_context.firstRun)
            runFirstTimeSetup();
        else
            showProgram();
    });
}

void SplashScreen::runFirstTimeSetup()
{
    trap(m_context, "frmSplash.FirstTimeSetup", [&] {
        m_wizard.begin(SetupWizard::Mode::FirstRun, 1);
        connect(&m_wizard, &QDialog::finished, this, &SplashScreen::firstTimeSetupEnded,
            Qt::SingleShotConnection);
        m_wizard.show();
        m_wizard.raise();
        m_wizard.activateWindow();
    });
}

void SplashScreen::firstTimeSetupEnded(int outcome)
{
    trap(m_context, "frmSplash.FirstTimeSetup", [&] {
        if (outcome == SetupWizard::Abandoned) {
            // Nothing was set up, so nothing may be shown as if it had been. The splash goes
            // first: quitting closes every window, and the splash refuses to close at start.
            hide();
            QCoreApplication::quit();
            return;
        }
        m_context.firstRun = false;
        emit firstRunSetUp();
        showProgram();
    });
}

void SplashScreen::showProgram()
{
    if (!m_context.startSmall && m_hooks.showMainWindow)
        m_hooks.showMainWindow();
    m_done = true;
    hide();
}

void SplashScreen::closeAbout()
{
    trap(m_context, "frmSplash.cmdOK_Click", [&] {
        m_about = false;
        m_licence->hide();
        hide();
    });
}

void SplashScreen::showAbout()
{
    m_about = true;
    m_okButton->show();
    m_licence->show();
    show();
    raise();
    activateWindow();
    m_okButton->setFocus();
}

void SplashScreen::reject()
{
    if (m_about)
        closeAbout();
}

void SplashScreen::paintEvent(QPaintEvent *)
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

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/main/MainWindow.h"

#include "app/AppContext.h"
#include "app/ErrorTrap.h"
#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "platform/AutoStart.h"
#include "platform/MessageBoxes.h"
#include "ui/main/DayGrid.h"
#include "ui/main/MarkedCalendar.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <limits>

namespace {

const QString Options = QStringLiteral("Options");

// Settings hold numbers as text; a text that does not begin with a number reads as 0.
// Places and sizes in twips pass 32767 right of about 2,180 pixels: they are read whole.
int readNumber(const SettingsStore &settings, const char *key, const char *defaultValue)
{
    return Roster::leadingNumber(
        settings.readSetting(Options, QString::fromLatin1(key), QString::fromLatin1(defaultValue)),
        std::numeric_limits<int>::max());
}

// A whole number without leading zeros; zero has no digits at all.
QString wholeNumber(int value)
{
    return value == 0 ? QString() : QString::number(value);
}

} // namespace

MainWindow::MainWindow(AppContext &context, QWidget *parent)
    : QMainWindow(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Tolvane"));
    createMenus();
    connectCommands();
    createControls();
    createTray();
    connectUserCommands();
    m_daySettleTimer.setSingleShot(true);
    m_daySettleTimer.setInterval(650);
    connect(&m_daySettleTimer, &QTimer::timeout, this, [this] {
        trap(m_context, "frmMain.tmrDateStay_Timer", [&] { loadDay(m_calendar->selectedDate()); });
    });
}

MainWindow::~MainWindow() = default;

void MainWindow::createMenus()
{
    // Captions carry their access keys ("&"); the usual shortcuts where one fits.
    auto item = [](QMenu *menu, const char *name, const QString &caption,
                    QKeySequence::StandardKey shortcut = QKeySequence::UnknownKey) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcuts(shortcut);
        return action;
    };
    auto menu = [this](const char *name, const QString &caption) {
        QMenu *m = menuBar()->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        return m;
    };

    QMenu *fileMenu = menu("fileMenu", tr("&File"));
    m_exitAction = item(fileMenu, "exitAction", tr("E&xit"), QKeySequence::Close);
    m_shutdownAction
        = item(fileMenu, "shutdownAction", tr("&Shutdown Tolvane"), QKeySequence::Quit);

    QMenu *instantMenu = menu("instantMessageMenu", tr("&Instant Message"));
    m_instantMessageAction = item(
        instantMenu, "instantMessageAction", tr("&Send an Instant Message"), QKeySequence::New);
    m_historyAction = item(instantMenu, "historyAction", tr("&Delivery History"));

    QMenu *userMenu = menu("userMenu", tr("&User Settings"));
    QMenu *currentUserMenu = userMenu->addMenu(tr("&Edit Current User"));
    m_changeNameAction = item(currentUserMenu, "changeNameAction", tr("Change User &Name"));
    m_userMailAction = item(currentUserMenu, "userMailAction", tr("Change User &Email Settings"));
    m_phoneAddressAction
        = item(currentUserMenu, "phoneAddressAction", tr("Change &Cellular Phone Email"));
    m_differentUserAction = item(userMenu, "differentUserAction", tr("&Log In as Different User"));
    m_addUserAction = item(userMenu, "addUserAction", tr("&Add New User"));
    m_removeUserAction = item(userMenu, "removeUserAction", tr("&Remove User"));

    QMenu *optionsMenu = menu("optionsMenu", tr("&Options"));
    m_defaultsAction = item(optionsMenu, "defaultsAction", tr("Change &Default Email Settings"));
    m_networkSettingsAction = item(optionsMenu, "networkSettingsAction", tr("&Internet Options"));
    m_lateSendingAction = item(optionsMenu, "lateSendingAction", tr("Send Late &Messages..."));
    m_autoStartAction = item(optionsMenu, "autoStartAction", tr("Auto &Load Tolvane"));
    m_autoStartAction->setCheckable(true);
    m_startSmallAction = item(optionsMenu, "startSmallAction", tr("&Start Tolvane in System Tray"));
    m_startSmallAction->setCheckable(true);

    QMenu *helpMenu = menu("helpMenu", tr("&Help"));
    m_helpAction = item(helpMenu, "helpAction", tr("&Help Topics"), QKeySequence::HelpContents);
    m_websiteAction = item(helpMenu, "websiteAction", tr("&Quillmark Website"));
    m_aboutAction = item(helpMenu, "aboutAction", tr("&About Tolvane"));

    m_trayMenu = new QMenu(this); // a popup: no title to show or translate
    m_trayMenu->setObjectName(QStringLiteral("trayMenu"));
    m_restoreAction = item(m_trayMenu, "restoreAction", tr("Show Tolvane"));
    m_trayShutdownAction = item(m_trayMenu, "trayShutdownAction", tr("Shutdown Tolvane"));

    connect(m_exitAction, &QAction::triggered, this, &MainWindow::exitToTray);
    connect(m_shutdownAction, &QAction::triggered, this, &MainWindow::requestShutdown);
    connect(m_trayShutdownAction, &QAction::triggered, this, &MainWindow::requestShutdownFromTray);
}

void MainWindow::load()
{
    trap(m_context, "frmMain.Form_Load", [&] {
        m_loaded = true;
        // The dialog forms place themselves on the screen when they are created.
        const SettingsStore &settings = m_context.settings;
        const int top = readNumber(settings, "Top", "500");
        const int left = readNumber(settings, "Left", "500");
        int width = readNumber(settings, "Width", "0");
        int height = readNumber(settings, "Height", "0");
        // A size that is no number, or none a window can have, is no size at all.
        if (width <= 0)
            width = MainLayout::NaturalWidth;
        if (height <= 0)
            height = MainLayout::NaturalHeight;
        setWindowState(Qt::WindowNoState);
        move(static_cast<int>(std::lround(left / twipsPerPixelX())),
            static_cast<int>(std::lround(top / twipsPerPixelY())));
        setSizeTwips(width, height);
        keepOnScreen();
        switch (readNumber(settings, "WindowState", "0")) {
        case 1:
            setWindowState(Qt::WindowMinimized);
            break;
        case 2:
            setWindowState(Qt::WindowMaximized);
            break;
        default:
            break;
        }

        setUpCalendarFonts();
        placeControls();
        m_context.showErrors
            = settings.readSetting(Options, QStringLiteral("Error"), QStringLiteral("0"))
            == QStringLiteral("1");
        setUpGrid();
        m_autoStartAction->setChecked(AutoStart::exists());
        const bool small
            = settings.readSetting(Options, QStringLiteral("StartSmall"), QStringLiteral("0"))
            != QStringLiteral("0");
        m_startSmallAction->setChecked(small);
        if (small)
            m_context.startSmall = true;
        readCurrentUser();
        goToToday();
    });
}

void MainWindow::showMainWindow()
{
    if (!m_loaded)
        load();
    if (windowState() & Qt::WindowMaximized)
        showMaximized();
    else if (windowState() & Qt::WindowMinimized)
        showMinimized();
    else
        show();
}

void MainWindow::unload()
{
    close();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Unloading never cancels: the window goes, the program and its delivery stay.
    m_closedByUser = isVisible();
    trap(m_context, "frmMain.Form_Unload", [&] {
        saveWindowPlace();
        showClosingMessages();
    });
    m_loaded = false;
    event->accept();
}

void MainWindow::saveWindowPlace()
{
    trap(m_context, "mod1.SaveScreen", [&] {
        if (!isVisible())
            return;
        int state = 0;
        if (windowState() & Qt::WindowMinimized)
            state = 1;
        else if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
            state = 2;
        SettingsStore &settings = m_context.settings;
        if (state == 0) {
            const QSize size = sizeTwips();
            settings.writeSetting(Options, QStringLiteral("Top"),
                wholeNumber(static_cast<int>(std::lround(pos().y() * twipsPerPixelY()))));
            settings.writeSetting(Options, QStringLiteral("Left"),
                wholeNumber(static_cast<int>(std::lround(pos().x() * twipsPerPixelX()))));
            settings.writeSetting(Options, QStringLiteral("Width"), wholeNumber(size.width()));
            settings.writeSetting(Options, QStringLiteral("Height"), wholeNumber(size.height()));
        }
        settings.writeSetting(Options, QStringLiteral("WindowState"), QString::number(state));
    });
}

void MainWindow::readCurrentUser()
{
    trap(m_context, "frmMain.GetUserInfo", [&] {
        Roster::UserInfo info = Roster::getUserInfo(m_context.settings);
        // A "Current User" that names nobody (edited by hand, or the user was removed
        // behind the program's back) would have messages saved for a user whose file no
        // one ever sends: the lowest configured user is logged in instead.
        if (info.currentUser < 1 || info.currentUser > Roster::MaxUsers
            || !Roster::isConfigured(m_context.settings, info.currentUser)) {
            const QList<Roster::User> users = Roster::configuredUsers(m_context.settings);
            if (!users.isEmpty()) {
                info.currentUser = users.first().number;
                info.caption = Roster::caption(users.first().name);
            }
        }
        m_context.currentUser = info.currentUser;
        setWindowTitle(info.caption);
    });
}

void MainWindow::exitToTray()
{
    trap(m_context, "frmMain.mnuExit_Click", [&] { unload(); });
}

void MainWindow::requestShutdown()
{
    trap(m_context, "frmMain.mnuShutdown2_Click", [&] { m_shutdownRequested = true; });
}

void MainWindow::requestShutdownFromTray()
{
    trap(m_context, "frmMain.mnuShutdown_Click", [&] {
        removeIconFromTray();
        m_shutdownRequested = true;
    });
}

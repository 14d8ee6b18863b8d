// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's life in the notification area: the icon, its two mouse events and
// its menu, the two start options, and the first-time explanation of all this.

#include "app/AppContext.h"
#include "app/ErrorTrap.h"
#include "app/SettingsStore.h"
#include "platform/AutoStart.h"
#include "platform/MessageBoxes.h"
#include "ui/common/TolvaneIcon.h"
#include "ui/main/MainWindow.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <utility>

namespace {

const QString Options = QStringLiteral("Options");
const QString NoTrayExplained = QStringLiteral("NoTrayExplained");
const QString StartSmall = QStringLiteral("StartSmall");
const QString Tip = QStringLiteral("Tolvane");

} // namespace

void MainWindow::createTray()
{
    m_trayIcon = new QSystemTrayIcon(tolvaneIcon(), this);
    m_trayIcon->setObjectName(QStringLiteral("trayIcon"));
    m_trayIcon->setToolTip(Tip);
    trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };

    m_reappearTimer.setSingleShot(true);
    m_reappearTimer.setInterval(100);
    connect(&m_reappearTimer, &QTimer::timeout, this, [this] {
        trap(m_context, "mod1.WindowProc", [&] {
            m_trayDoubleClick = true;
            handleTrayMouseEvent();
        });
    });

    connect(m_restoreAction, &QAction::triggered, this, &MainWindow::restoreFromTray);
    // A checkable item ticks or unticks itself before it reports the click; the handlers
    // decide from the tick as it was, so that state is put back first.
    connect(m_autoStartAction, &QAction::triggered, this, [this](bool checked) {
        m_autoStartAction->setChecked(!checked);
        toggleAutoStart();
    });
    connect(m_startSmallAction, &QAction::triggered, this, [this](bool checked) {
        m_startSmallAction->setChecked(!checked);
        toggleStartSmall();
    });
}

void MainWindow::moveIntoTray()
{
    trap(m_context, "frmMain.MoveIntoTray", [&] {
        if (!trayAvailable()) {
            // Hidden with nowhere to show an icon, the program could never be reached
            // again: it stays on the task bar instead.
            if (!m_loaded)
                load();
            showMinimized();
            // Told once in the life of the installation, when the user first closes the
            // window and sees it stay: never at a start, which would greet every login.
            const bool told
                = m_context.settings.readSetting(Options, NoTrayExplained, QString()) == "1";
            if (std::exchange(m_closedByUser, false) && !told) {
                m_context.settings.writeSetting(Options, NoTrayExplained, QStringLiteral("1"));
                m_context.boxes.show(tr("No System Tray"),
                    tr("This desktop has no System Tray, so Tolvane stays minimized "
                       "on your task bar instead.  All scheduled Emails will still "
                       "take place while Tolvane is running."),
                    MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok);
            }
            return;
        }
        hook();
        addIconToTray();
        m_inTray = true;
    });
}

void MainWindow::addIconToTray()
{
    m_trayIcon->setToolTip(Tip);
    m_trayIcon->show();
}

void MainWindow::removeIconFromTray()
{
    m_trayIcon->hide();
}

void MainWindow::leaveDesktop()
{
    unhook();
    removeIconFromTray();
    m_inTray = false;
    hide();
}

void MainWindow::hook()
{
    if (m_hooked)
        return;
    // Queued: restoring the window removes the icon, and the icon's own window must not
    // be taken down inside the mouse event that it is still handling.
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &MainWindow::trayActivated,
        Qt::QueuedConnection);
    m_trayIcon->setContextMenu(m_trayMenu);
    m_hooked = true;
}

void MainWindow::unhook()
{
    if (!m_hooked)
        return;
    disconnect(m_trayIcon, &QSystemTrayIcon::activated, this, &MainWindow::trayActivated);
    m_trayIcon->setContextMenu(nullptr);
    m_hooked = false;
}

void MainWindow::trayActivated(QSystemTrayIcon::ActivationReason reason)
{
    trap(m_context, "mod1.WindowProc", [&] {
        if (reason == QSystemTrayIcon::DoubleClick) {
            // The window comes back when the pause is over; a second double-click while the
            // first one waits changes nothing.
            if (!m_reappearTimer.isActive())
                m_reappearTimer.start();
        } else if (reason == QSystemTrayIcon::Context) {
            handleTrayMouseEvent();
        }
    });
}

void MainWindow::handleTrayMouseEvent()
{
    trap(m_context, "frmMain.SysTrayMouseEventHandler", [&] {
        if (m_trayDoubleClick) {
            m_trayDoubleClick = false;
            restoreFromTray();
            return;
        }
        // Where the desktop opens the icon's menu itself it is already on screen.
        if (!m_trayMenu->isVisible())
            m_trayMenu->popup(QCursor::pos());
    });
}

void MainWindow::restoreFromTray()
{
    trap(m_context, "frmMain.mnuRestore_Click", [&] {
        unhook();
        showMainWindow();
        raise();
        activateWindow();
        removeIconFromTray();
        m_inTray = false;
    });
}

void MainWindow::toggleStartSmall()
{
    // Counts from the next start; the running program keeps its StartSmall.
    trap(m_context, "frmMain.mnuSysTray_Click", [&] {
        const bool ticked = m_startSmallAction->isChecked();
        // The tick follows only a choice that was stored.
        m_context.settings.writeSetting(
            Options, StartSmall, ticked ? QStringLiteral("0") : QStringLiteral("1"));
        m_startSmallAction->setChecked(!ticked);
    });
}

void MainWindow::toggleAutoStart()
{
    trap(m_context, "frmMain.mnuAutoLoad_Click", [&] {
        if (m_autoStartAction->isChecked())
            AutoStart::remove();
        else
            AutoStart::write(m_context.programPath);
        // The tick tells the truth: an entry that could not be written is not ticked.
        m_autoStartAction->setChecked(AutoStart::exists());
    });
}

void MainWindow::showClosingMessages()
{
    trap(m_context, "frmMain.FirstTimeMessages", [&] {
        QWidget *parent = isVisible() ? this : nullptr;
        if (m_shutdownRequested) {
            const auto answer = m_context.boxes.show(tr("Shutting Down?"),
                tr("Shutting Down Tolvane will prevent scheduled Emails to be sent.  "
                   "Exiting Tolvane would be a better choice if you have Email events "
                   "scheduled.  Are you sure you wish to Shut Down Tolvane?"),
                MessageBoxes::Icon::None, MessageBoxes::Buttons::YesNo, parent);
            if (answer == MessageBoxes::Answer::No) {
                m_shutdownRequested = false;
                unhook();
                m_inTray = false;
            }
        }
        if (m_firstTimeMessagesDue) {
            m_firstTimeMessagesDue = false;
            if (!m_shutdownRequested) {
                m_context.boxes.show(tr("Look how nice I am!"),
                    tr("Tolvane will continue to run in the System Tray.  All "
                       "scheduled Emails will still take place while Tolvane is "
                       "running.  This keeps you happy by keeping your Desktop "
                       "clean!"),
                    MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok, parent);
            }
            m_context.boxes.show(tr("Auto Start / System Tray"),
                tr("Tolvane will configure itself to automatically start in the "
                   "System Tray the next time you boot.  You can change these "
                   "settings in Options."),
                MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok, parent);
            if (!m_autoStartAction->isChecked())
                toggleAutoStart();
            if (!m_startSmallAction->isChecked())
                toggleStartSmall();
        }
    });
}

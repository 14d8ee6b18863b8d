// The main window's life in the notification area: the icon, its two mouse events and
// its menu, the two start options, and the first-time explanation of all this.

#include "app/ErrorTrap.h"
#include "app/Program.h"
#include "app/SettingsStore.h"
#include "platform/AutoStart.h"
#include "platform/MessageBoxes.h"
#include "ui/common/TolvaneIcon.h"
#include "ui/main/FrmMain.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

namespace {

const QString Options = QStringLiteral("Options");
const QString StartSmall = QStringLiteral("StartSmall");
const QString Tip = QStringLiteral("Tolvane");

} // namespace

void FrmMain::createTray()
{
    trayIcon = new QSystemTrayIcon(TolvaneIcon(), this);
    trayIcon->setToolTip(Tip);
    trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };

    tmrReappear.setSingleShot(true);
    tmrReappear.setInterval(100);
    connect(&tmrReappear, &QTimer::timeout, this, [this] {
        Trap(p, "mod1.WindowProc", [&] {
            p.TrayDoubleClick = true;
            SysTrayMouseEventHandler();
        });
    });

    for (QAction *action : { mnuRestore, mnuAutoLoad, mnuSysTray })
        action->setEnabled(true);
    connect(mnuRestore, &QAction::triggered, this, &FrmMain::mnuRestore_Click);
    // A checkable item ticks or unticks itself before it reports the click; the handlers
    // decide from the tick as it was, so that state is put back first.
    connect(mnuAutoLoad, &QAction::triggered, this, [this](bool checked) {
        mnuAutoLoad->setChecked(!checked);
        mnuAutoLoad_Click();
    });
    connect(mnuSysTray, &QAction::triggered, this, [this](bool checked) {
        mnuSysTray->setChecked(!checked);
        mnuSysTray_Click();
    });
}

void FrmMain::MoveIntoTray()
{
    Trap(p, "frmMain.MoveIntoTray", [&] {
        if (!trayAvailable()) {
            // Hidden with nowhere to show an icon, the program could never be reached
            // again: it stays on the task bar instead.
            if (!m_loaded)
                Form_Load();
            showMinimized();
            if (!m_saidNoTray) {
                m_saidNoTray = true;
                p.boxes.show(QStringLiteral("No System Tray"),
                    QStringLiteral("This desktop has no System Tray, so Tolvane stays minimized "
                                   "on your task bar instead.  All scheduled Emails will still "
                                   "take place while Tolvane is running."),
                    MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok);
            }
            return;
        }
        Hook();
        AddIconToTray();
        p.InTray = true;
    });
}

void FrmMain::AddIconToTray()
{
    trayIcon->setToolTip(Tip);
    trayIcon->show();
}

void FrmMain::RemoveIconFromTray()
{
    trayIcon->hide();
}

void FrmMain::Hook()
{
    if (p.Hooked)
        return;
    // Queued: restoring the window removes the icon, and the icon's own window must not
    // be taken down inside the mouse event that it is still handling.
    connect(
        trayIcon, &QSystemTrayIcon::activated, this, &FrmMain::WindowProc, Qt::QueuedConnection);
    trayIcon->setContextMenu(RCPopup);
    p.Hooked = true;
}

void FrmMain::Unhook()
{
    if (!p.Hooked)
        return;
    disconnect(trayIcon, &QSystemTrayIcon::activated, this, &FrmMain::WindowProc);
    trayIcon->setContextMenu(nullptr);
    p.Hooked = false;
}

void FrmMain::WindowProc(QSystemTrayIcon::ActivationReason reason)
{
    Trap(p, "mod1.WindowProc", [&] {
        if (reason == QSystemTrayIcon::DoubleClick) {
            // The window comes back when the pause is over; a second double-click while the
            // first one waits changes nothing.
            if (!tmrReappear.isActive())
                tmrReappear.start();
        } else if (reason == QSystemTrayIcon::Context) {
            SysTrayMouseEventHandler();
        }
    });
}

void FrmMain::SysTrayMouseEventHandler()
{
    Trap(p, "frmMain.SysTrayMouseEventHandler", [&] {
        if (p.TrayDoubleClick) {
            p.TrayDoubleClick = false;
            mnuRestore_Click();
            return;
        }
        // Where the desktop opens the icon's menu itself it is already on screen.
        if (!RCPopup->isVisible())
            RCPopup->popup(QCursor::pos());
    });
}

void FrmMain::mnuRestore_Click()
{
    Trap(p, "frmMain.mnuRestore_Click", [&] {
        Unhook();
        showMainWindow();
        raise();
        activateWindow();
        RemoveIconFromTray();
        p.InTray = false;
    });
}

void FrmMain::mnuSysTray_Click()
{
    // Counts from the next start; the running program keeps its StartSmall.
    Trap(p, "frmMain.mnuSysTray_Click", [&] {
        const bool ticked = mnuSysTray->isChecked();
        // The tick follows only a choice that was stored.
        p.settings.WriteSetting(
            Options, StartSmall, ticked ? QStringLiteral("0") : QStringLiteral("1"));
        mnuSysTray->setChecked(!ticked);
    });
}

void FrmMain::mnuAutoLoad_Click()
{
    Trap(p, "frmMain.mnuAutoLoad_Click", [&] {
        if (mnuAutoLoad->isChecked())
            AutoStart::Remove();
        else
            AutoStart::Write(p.ProgramPath);
        // The tick tells the truth: an entry that could not be written is not ticked.
        mnuAutoLoad->setChecked(AutoStart::Exists());
    });
}

void FrmMain::FirstTimeMessages()
{
    Trap(p, "frmMain.FirstTimeMessages", [&] {
        QWidget *parent = isVisible() ? this : nullptr;
        if (p.ShutdownRequested) {
            const auto answer = p.boxes.show(QStringLiteral("Shutting Down?"),
                QStringLiteral("Shutting Down Tolvane will prevent scheduled Emails to be sent.  "
                               "Exiting Tolvane would be a better choice if you have Email events "
                               "scheduled.  Are you sure you wish to Shut Down Tolvane?"),
                MessageBoxes::Icon::None, MessageBoxes::Buttons::YesNo, parent);
            if (answer == MessageBoxes::Answer::No) {
                p.ShutdownRequested = false;
                Unhook();
                p.InTray = false;
            }
        }
        if (p.ShowFirstTimeMessages) {
            p.ShowFirstTimeMessages = false;
            if (!p.ShutdownRequested) {
                p.boxes.show(QStringLiteral("Look how nice I am!"),
                    QStringLiteral("Tolvane will continue to run in the System Tray.  All "
                                   "scheduled Emails will still take place while Tolvane is "
                                   "running.  This keeps you happy by keeping your Desktop "
                                   "clean!"),
                    MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok, parent);
            }
            p.boxes.show(QStringLiteral("Auto Start / System Tray"),
                QStringLiteral("Tolvane will configure itself to automatically start in the "
                               "System Tray the next time you boot.  You can change these "
                               "settings in Options."),
                MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok, parent);
            if (!mnuAutoLoad->isChecked())
                mnuAutoLoad_Click();
            if (!mnuSysTray->isChecked())
                mnuSysTray_Click();
        }
    });
}

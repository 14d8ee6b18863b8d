#include "ui/main/FrmMain.h"

#include "app/ErrorTrap.h"
#include "app/Program.h"
#include "app/Roster.h"
#include "app/SettingsStore.h"
#include "platform/AutoStart.h"
#include "platform/MessageBoxes.h"
#include "ui/main/FlexGrid.h"
#include "ui/main/MarkedCalendar.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <limits>

namespace {

const QString Options = QStringLiteral("Options");
constexpr int DefaultWidth = 7160;
constexpr int DefaultHeight = 7860;

// Settings hold numbers as text; a text that does not begin with a number reads as 0.
// Places and sizes in twips pass 32767 right of about 2,180 pixels: they are read whole.
int readNumber(const SettingsStore &settings, const char *key, const char *defaultValue)
{
    return Roster::LeadingNumber(
        settings.ReadSetting(Options, QString::fromLatin1(key), QString::fromLatin1(defaultValue)),
        std::numeric_limits<int>::max());
}

// A whole number without leading zeros; zero has no digits at all.
QString wholeNumber(int value)
{
    return value == 0 ? QString() : QString::number(value);
}

} // namespace

FrmMain::FrmMain(Program &program, QWidget *parent)
    : QMainWindow(parent)
    , p(program)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tolvane"));
    createMenus();
    connectCommands();
    createControls();
    createTray();
    connectUserCommands();
    tmrDateStay.setInterval(650);
    connect(&tmrDateStay, &QTimer::timeout, this, &FrmMain::tmrDateStay_Timer);
}

FrmMain::~FrmMain() = default;

void FrmMain::createMenus()
{
    auto item = [this](QMenu *menu, const char *caption) {
        QAction *action = menu->addAction(QString::fromLatin1(caption));
        // Commands handled elsewhere stay disabled until their handlers are connected.
        action->setEnabled(false);
        return action;
    };

    mnuFile = menuBar()->addMenu(QStringLiteral("File"));
    mnuExit = item(mnuFile, "Exit");
    mnuShutdown2 = item(mnuFile, "Shutdown Tolvane");

    mnuIM = menuBar()->addMenu(QStringLiteral("Instant Message"));
    mnuInstantMessage = item(mnuIM, "Send an Instant Message");

    mnuUser = menuBar()->addMenu(QStringLiteral("User Settings"));
    mnuEditCurrent = mnuUser->addMenu(QStringLiteral("Edit Current User"));
    mnuChangeName = item(mnuEditCurrent, "Change User Name");
    mnuUserEmail = item(mnuEditCurrent, "Change User Email Settings");
    mnuCellEmail = item(mnuEditCurrent, "Change Cellular Phone Email");
    mnuDifferentUser = item(mnuUser, "Log In as Different User");
    mnuAddUser = item(mnuUser, "Add New User");
    mnuRemoveUser = item(mnuUser, "Remove User");

    mnuOptions = menuBar()->addMenu(QStringLiteral("Options"));
    mnuChangeDefault = item(mnuOptions, "Change Default Email Settings");
    mnuInternetOptions = item(mnuOptions, "Internet Options");
    mnuAutoLoad = item(mnuOptions, "Auto Load Tolvane");
    mnuAutoLoad->setCheckable(true);
    mnuSysTray = item(mnuOptions, "Start Tolvane in System Tray");
    mnuSysTray->setCheckable(true);

    mnuHelp = menuBar()->addMenu(QStringLiteral("Help"));
    mnuHelpMe = item(mnuHelp, "Help Topics");
    mnuWebsite = item(mnuHelp, "Quillmark Website");
    mnuAbout = item(mnuHelp, "About Tolvane");

    RCPopup = new QMenu(QStringLiteral("RCPopup"), this);
    mnuRestore = item(RCPopup, "Show Tolvane");
    mnuShutdown = item(RCPopup, "Shutdown Tolvane");

    for (QAction *action : { mnuExit, mnuShutdown2, mnuShutdown })
        action->setEnabled(true);
    connect(mnuExit, &QAction::triggered, this, &FrmMain::mnuExit_Click);
    connect(mnuShutdown2, &QAction::triggered, this, &FrmMain::mnuShutdown2_Click);
    connect(mnuShutdown, &QAction::triggered, this, &FrmMain::mnuShutdown_Click);
}

void FrmMain::Form_Load()
{
    Trap(p, "frmMain.Form_Load", [&] {
        m_loaded = true;
        // The dialog forms place themselves on the screen when they are created.
        const SettingsStore &settings = p.settings;
        const int top = readNumber(settings, "Top", "500");
        const int left = readNumber(settings, "Left", "500");
        int width = readNumber(settings, "Width", "7160");
        int height = readNumber(settings, "Height", "7860");
        // A size that is no number, or none a window can have, is no size at all.
        if (width <= 0)
            width = DefaultWidth;
        if (height <= 0)
            height = DefaultHeight;
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
        Form_Resize();
        p.ShowErrors = settings.ReadSetting(Options, QStringLiteral("Error"), QStringLiteral("0"))
            == QStringLiteral("1");
        setUpGrid();
        mnuAutoLoad->setChecked(AutoStart::Exists());
        const bool small
            = settings.ReadSetting(Options, QStringLiteral("StartSmall"), QStringLiteral("0"))
            != QStringLiteral("0");
        mnuSysTray->setChecked(small);
        if (small)
            p.StartSmall = true;
        GetUserInfo();
        cmdToday_Click();
    });
}

void FrmMain::showMainWindow()
{
    if (!m_loaded)
        Form_Load();
    if (windowState() & Qt::WindowMaximized)
        showMaximized();
    else if (windowState() & Qt::WindowMinimized)
        showMinimized();
    else
        show();
}

void FrmMain::Form_Unload()
{
    Trap(p, "frmMain.Form_Unload", [&] {
        SaveScreen();
        FirstTimeMessages();
    });
    m_loaded = false;
}

void FrmMain::Unload()
{
    close();
}

void FrmMain::closeEvent(QCloseEvent *event)
{
    // Unloading never cancels: the window goes, the program and its delivery stay.
    Form_Unload();
    event->accept();
}

void FrmMain::SaveScreen()
{
    Trap(p, "mod1.SaveScreen", [&] {
        if (!isVisible())
            return;
        int state = 0;
        if (windowState() & Qt::WindowMinimized)
            state = 1;
        else if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
            state = 2;
        SettingsStore &settings = p.settings;
        if (state == 0) {
            const QSize size = sizeTwips();
            settings.WriteSetting(Options, QStringLiteral("Top"),
                wholeNumber(static_cast<int>(std::lround(pos().y() * twipsPerPixelY()))));
            settings.WriteSetting(Options, QStringLiteral("Left"),
                wholeNumber(static_cast<int>(std::lround(pos().x() * twipsPerPixelX()))));
            settings.WriteSetting(Options, QStringLiteral("Width"), wholeNumber(size.width()));
            settings.WriteSetting(Options, QStringLiteral("Height"), wholeNumber(size.height()));
        }
        settings.WriteSetting(Options, QStringLiteral("WindowState"), QString::number(state));
    });
}

void FrmMain::GetUserInfo()
{
    Trap(p, "frmMain.GetUserInfo", [&] {
        Roster::UserInfo info = Roster::GetUserInfo(p.settings);
        // A "Current User" that names nobody (edited by hand, or the user was removed
        // behind the program's back) would have messages saved for a user whose file no
        // one ever sends: the lowest configured user is logged in instead.
        if (info.currentUser < 1 || info.currentUser > Roster::MaxUsers
            || !Roster::IsConfigured(p.settings, info.currentUser)) {
            const QList<Roster::User> users = Roster::ConfiguredUsers(p.settings);
            if (!users.isEmpty()) {
                info.currentUser = users.first().number;
                info.caption = QStringLiteral("Tolvane - ") + users.first().name;
            }
        }
        p.CurrentUser = info.currentUser;
        setWindowTitle(info.caption);
    });
}

void FrmMain::mnuExit_Click()
{
    Trap(p, "frmMain.mnuExit_Click", [&] { Unload(); });
}

void FrmMain::mnuShutdown2_Click()
{
    Trap(p, "frmMain.mnuShutdown2_Click", [&] { p.ShutdownRequested = true; });
}

void FrmMain::mnuShutdown_Click()
{
    Trap(p, "frmMain.mnuShutdown_Click", [&] {
        RemoveIconFromTray();
        p.ShutdownRequested = true;
    });
}

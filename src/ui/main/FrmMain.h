#pragma once

#include "store/MessageRecord.h"
#include "ui/entry/UserPicker.h"
#include "ui/main/MainLayout.h"
#include "ui/setup/SetupWizard.h"

#include <QMainWindow>
#include <QRectF>
#include <QSystemTrayIcon>
#include <QTimer>
#include <array>
#include <functional>
#include <optional>

class FlexGrid;
class MarkedCalendar;
class Program;
class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QScrollBar;

// The main window: the month calendar with its day marks above, the quarter-hour day
// grid of the selected day below, the buttons that move the calendar, and the menus.
// Closing it only unloads it (saves its place and hides it); delivery goes on.
class FrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit FrmMain(Program &program, QWidget *parent = nullptr);
    ~FrmMain() override;

    // Filled by the start-up: show the entry dialog modally for the logged-in user's
    // message at a slot; show it for an instant message and return the message to send
    // (none when nothing is to be sent); hand an instant message on to the scheduler; and
    // refill the scheduler's next-message slots.
    std::function<void(const QDateTime &slot)> editSlot;
    std::function<std::optional<MessageRecord>()> composeInstantMessage;
    std::function<void(int user, const MessageRecord &)> sendInstantMessage;
    std::function<void()> loadNextMessage;

    // Load and unload. The window is loaded by Form_Load and unloaded (hidden, its place
    // saved) by Unload, "Exit" or the close box.
    void Form_Load();
    void Form_Unload();
    bool isLoaded() const { return m_loaded; }
    void Unload();
    // Loads the window when it is not loaded, then shows it in its restored state.
    void showMainWindow();

    // The shutdown confirmation, and once after the first-run set-up the explanation of
    // the notification area, which also switches on both start options.
    void FirstTimeMessages();
    void SaveScreen();

    // Notification area and auto-start. A double-click on the icon restores the window
    // after a pause of 100 ms.
    QTimer tmrReappear;
    // Whether the desktop has a notification area to put the icon in.
    std::function<bool()> trayAvailable;
    QSystemTrayIcon *trayIcon = nullptr;
    void MoveIntoTray();
    void AddIconToTray();
    void RemoveIconFromTray();
    void Hook();
    void Unhook();
    void WindowProc(QSystemTrayIcon::ActivationReason reason);
    void SysTrayMouseEventHandler();
    void mnuRestore_Click();
    void mnuAutoLoad_Click();
    void mnuSysTray_Click();

    // User management. Filled by the start-up: run the set-up wizard modally for a mode and
    // user, and the user picker in a mode, which returns the users chosen.
    std::function<SetupWizard::Outcome(SetupWizard::Mode, int)> openSetupWizard;
    std::function<QList<int>(const UserPicker::Mode &)> pickUsers;
    void mnuChangeName_Click();
    void mnuUserEmail_Click();
    void mnuCellEmail_Click();
    void mnuChangeDefault_Click();
    void mnuAddUser_Click();
    void mnuDifferentUser_Click();
    void mnuRemoveUser_Click();

    // Calendar and day grid.
    void LoadScreenData(const QString &DateSent);
    void StartCountDown();
    QDate DayDetermine(const QString &date);
    void tmrDateStay_Timer();
    void Calendar1_Click();
    void cmdNext_Click();
    void cmdPrevious_Click();
    void cmdNextYear_Click();
    void cmdPreviousYear_Click();
    void cmdToday_Click();
    void picCheck_Click(int index);
    void flxApp_Click();
    void GetUserInfo();

    // Layout and scrolling.
    void Form_Resize();
    void pScrollForm();
    void wScrollForm();
    // The window's size as the layout formulas see it (content area plus the frame
    // allowance), in twips; and the other way round.
    QSize sizeTwips() const;
    void setSizeTwips(int width, int height);
    double twipsPerPixelX() const;
    double twipsPerPixelY() const;
    // Where a control stands, in twips, relative to the window's content area.
    QRectF placeOf(const QWidget *control) const;

    // Menus.
    void mnuExit_Click();
    void mnuShutdown2_Click();
    void mnuShutdown_Click();

    // Commands of the window itself: the typed commands "show errors" and "no errors",
    // the instant message, the About box, help, the website and the network settings.
    void Form_KeyPress(QChar KeyAscii);
    void mnuInstantMessage_Click();
    void mnuInternetOptions_Click();
    void mnuHelpMe_Click();
    void mnuWebsite_Click();
    void mnuAbout_Click();
    // Filled by the start-up: shows the splash as the About box, not modal.
    std::function<void()> showAbout;
    // The characters typed so far that may still become a typed command.
    QString TypedKeys;

    // Controls, by the program's names.
    MarkedCalendar *Calendar1 = nullptr;
    FlexGrid *flxApp = nullptr;
    QPushButton *cmdToday = nullptr;
    QPushButton *cmdPrevious = nullptr;
    QPushButton *cmdNext = nullptr;
    QPushButton *cmdPreviousYear = nullptr;
    QPushButton *cmdNextYear = nullptr;
    std::array<QLabel *, MainLayout::LabelCount> lblInfo {};
    QScrollBar *VScroll1 = nullptr;
    QScrollBar *HScroll1 = nullptr;
    QTimer tmrDateStay;

    QMenu *mnuFile = nullptr;
    QAction *mnuExit = nullptr;
    QAction *mnuShutdown2 = nullptr;
    QMenu *mnuIM = nullptr;
    QAction *mnuInstantMessage = nullptr;
    QMenu *mnuUser = nullptr;
    QMenu *mnuEditCurrent = nullptr;
    QAction *mnuChangeName = nullptr;
    QAction *mnuUserEmail = nullptr;
    QAction *mnuCellEmail = nullptr;
    QAction *mnuDifferentUser = nullptr;
    QAction *mnuAddUser = nullptr;
    QAction *mnuRemoveUser = nullptr;
    QMenu *mnuOptions = nullptr;
    QAction *mnuChangeDefault = nullptr;
    QAction *mnuInternetOptions = nullptr;
    QAction *mnuAutoLoad = nullptr;
    QAction *mnuSysTray = nullptr;
    QMenu *mnuHelp = nullptr;
    QAction *mnuHelpMe = nullptr;
    QAction *mnuWebsite = nullptr;
    QAction *mnuAbout = nullptr;
    QMenu *RCPopup = nullptr; // the tray icon's menu, not in the menu bar
    QAction *mnuRestore = nullptr;
    QAction *mnuShutdown = nullptr;

    int LastVScrollValue = 0;
    int LastHScrollValue = 0;

public slots:
    // The scheduler reports a message as sent (grey) or failed (red). Only the logged-in
    // user's row of the day on show changes: the row of the record's time, when it holds
    // the record's text.
    void colourRow(int user, const QDateTime &due, const QString &text, bool sent);

signals:
    // A LoadScreenData has read the message file for that day.
    void screenLoaded(const QDate &day);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createMenus();
    void connectCommands();
    void createControls();
    void setUpCalendarFonts();
    void setUpGrid();
    void applyPlace(QWidget *control);
    void keepOnScreen();
    void moveControls(double dx, double dy);
    void syncPageToSelection();
    QList<QWidget *> scrolledControls() const;

    Program &p;
    QWidget *m_content = nullptr;
    QHash<const QWidget *, QRectF> m_place;
    bool m_loaded = false;
    bool m_placing = false;
    void createTray();
    void connectUserCommands();
    bool m_saidNoTray = false;
};

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

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

class DayGrid;
class MarkedCalendar;
class AppContext;
class QAction;
class QTableWidgetItem;
class QLabel;
class QMenu;
class QPushButton;
class QScrollBar;

// The main window: the month calendar with its day marks above, the quarter-hour day
// grid of the selected day below, the buttons that move the calendar, and the menus.
// Closing it only unloads it (saves its place and hides it); delivery goes on.
//
// Its controls and actions carry object names ("calendar", "dayGrid", "todayButton",
// "exitAction", ...) by which the start-up's tests reach them as a user would.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(AppContext &context, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Filled by the start-up: show the entry dialog modally for the logged-in user's
    // message at a slot; show it for an instant message and return the message to send
    // (none when nothing is to be sent); hand an instant message on to the scheduler;
    // refill the scheduler's next-message slots; run the set-up wizard modally for a mode
    // and user; run the user picker in a mode, returning the users chosen; show the splash
    // as the About box, not modal.
    std::function<void(const QDateTime &slot)> editSlot;
    std::function<std::optional<MessageRecord>()> composeInstantMessage;
    std::function<void(int user, const MessageRecord &)> sendInstantMessage;
    std::function<void()> reloadScheduler;
    // A user was removed: whatever else keeps things of theirs forgets them.
    std::function<void(int user)> userRemoved;
    std::function<SetupWizard::Outcome(SetupWizard::Mode, int)> openSetupWizard;
    std::function<QList<int>(const UserPicker::Mode &)> pickUsers;
    std::function<void()> showAbout;
    // Shows the delivery history window, not modal.
    std::function<void()> showDeliveryHistory;
    // Whether the desktop has a notification area to put the icon in.
    std::function<bool()> trayAvailable;

    // The window is loaded (its place, options and user read, today on show) by load()
    // and unloaded (hidden, its place saved) by unload(), "Exit" or the close box.
    void load();
    bool isLoaded() const { return m_loaded; }
    void unload();
    // Loads the window when it is not loaded, then shows it in its restored state.
    void showMainWindow();
    void saveWindowPlace();
    // The shutdown question when a shutdown is pending, and once after the first-run
    // set-up the explanation of the notification area, which also switches on both
    // start options.
    void showClosingMessages();

    // The notification area. A double-click on the icon restores the window after a
    // pause of 100 ms.
    bool isInTray() const { return m_inTray; }
    // The user chose Shut Down (and has not answered No to the question since).
    bool isShutdownRequested() const { return m_shutdownRequested; }
    // After the first run's set-up: the next close explains the notification area and
    // switches on both start options.
    void setFirstTimeMessagesDue() { m_firstTimeMessagesDue = true; }
    void moveIntoTray();
    void removeIconFromTray();
    // The icon and the window go without a question and without saving the place: the
    // program is ending, and the shutdown has been answered already.
    void leaveDesktop();

    // Selects a day and shows its messages at once, without the calendar's settle time.
    void showDay(const QDate &day);

    // The window's size as the layout formulas see it (content area plus the frame
    // allowance), in twips; and the other way round.
    QSize sizeTwips() const;
    void setSizeTwips(int width, int height);
    double twipsPerPixelX() const;
    double twipsPerPixelY() const;
    // Where a control stands, in twips, relative to the window's content area.
    QRectF placeOf(const QWidget *control) const;

public slots:
    // The scheduler reports a message as sent (grey) or failed (red). Only the logged-in
    // user's row of the day on show changes: the row of the record's time, when it holds
    // the record's text.
    void colourRow(int user, const QDateTime &due, const QString &text, bool sent);
    // The scheduler tries the message again at nextTry: the row says why it has not gone
    // yet, in its tooltip and to a screen reader, until it is sent or fails for good.
    void showRetry(int user, const QDateTime &due, const QString &text, const QString &reason,
        const QDateTime &nextTry);
    void goToToday();

signals:
    // The message file has been read for the day on show.
    void dayLoaded(const QDate &day);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // MainWindow.cpp: menus, load and unload, the user's caption, ending commands.
    void createMenus();
    void readCurrentUser();
    void exitToTray();
    void requestShutdown();
    void requestShutdownFromTray();

    // MainWindowTray.cpp
    void createTray();
    void addIconToTray();
    void hook();
    void unhook();
    void trayActivated(QSystemTrayIcon::ActivationReason reason);
    void handleTrayMouseEvent();
    void restoreFromTray();
    void toggleAutoStart();
    void toggleStartSmall();

    // MainWindowUsers.cpp
    void connectUserCommands();
    void changeUserName();
    void changeUserMailServer();
    void changePhoneAddress();
    void changeDefaults();
    void addUser();
    void logInAsDifferentUser();
    void removeUser();

    // MainWindowCalendar.cpp
    void setUpCalendarFonts();
    void setUpGrid();
    void startSettling();
    void loadDay(const QDate &day);
    // Moves the calendar's selection by whole months; where names the command for the
    // error trap.
    void moveCalendar(const char *where, int months);
    void showNextMonth();
    void showPreviousMonth();
    void showNextYear();
    void showPreviousYear();
    void selectDay();
    void selectMarkedDay(int index);
    void syncPageToSelection();
    void openSlot();
    // The message cell of the grid's row showing that user's record, while it shows it.
    QTableWidgetItem *shownMessageCell(int user, const QDateTime &due, const QString &text);

    // MainWindowCommands.cpp
    void connectCommands();
    void keyTyped(QChar key);
    void sendInstantMessageNow();
    void openDeliveryHistory();
    void openNetworkSettings();
    void openLateSending();
    void openHelp();
    void openWebsite();
    void openAbout();

    // MainWindowLayout.cpp
    void createControls();
    void applyPlace(QWidget *control);
    QMargins frameAllowance() const;
    void keepOnScreen();
    void placeControls();
    void moveControls(double dx, double dy);
    void scrollVertically();
    void scrollHorizontally();
    QList<QWidget *> scrolledControls() const;

    AppContext &m_context;
    bool m_loaded = false;

    MarkedCalendar *m_calendar = nullptr;
    DayGrid *m_grid = nullptr;
    QPushButton *m_todayButton = nullptr;
    QPushButton *m_previousMonthButton = nullptr;
    QPushButton *m_nextMonthButton = nullptr;
    QPushButton *m_previousYearButton = nullptr;
    QPushButton *m_nextYearButton = nullptr;
    std::array<QLabel *, MainLayout::LabelCount> m_infoLabels {};
    QScrollBar *m_verticalScroll = nullptr;
    QScrollBar *m_horizontalScroll = nullptr;
    // A day is read only once the calendar has stood still for a moment, so that quick
    // clicks through the months read the file once.
    QTimer m_daySettleTimer;
    // After an edit from the grid the next load scrolls back to the row then at the top.
    std::optional<int> m_topRowToRestore;

    QAction *m_exitAction = nullptr;
    QAction *m_shutdownAction = nullptr;
    QAction *m_instantMessageAction = nullptr;
    QAction *m_historyAction = nullptr;
    QAction *m_changeNameAction = nullptr;
    QAction *m_userMailAction = nullptr;
    QAction *m_phoneAddressAction = nullptr;
    QAction *m_differentUserAction = nullptr;
    QAction *m_addUserAction = nullptr;
    QAction *m_removeUserAction = nullptr;
    QAction *m_defaultsAction = nullptr;
    QAction *m_networkSettingsAction = nullptr;
    QAction *m_lateSendingAction = nullptr;
    QAction *m_autoStartAction = nullptr;
    QAction *m_startSmallAction = nullptr;
    QAction *m_helpAction = nullptr;
    QAction *m_websiteAction = nullptr;
    QAction *m_aboutAction = nullptr;

    // The notification area: the icon, its menu (not in the menu bar), whether the window
    // is in the tray, whether the icon's events reach the window, and whether the icon
    // event being handled is a double-click.
    QSystemTrayIcon *m_trayIcon = nullptr;
    QMenu *m_trayMenu = nullptr;
    QAction *m_restoreAction = nullptr;
    QAction *m_trayShutdownAction = nullptr;
    QTimer m_reappearTimer;
    bool m_inTray = false;
    bool m_shutdownRequested = false;
    bool m_firstTimeMessagesDue = false;
    bool m_hooked = false;
    bool m_trayDoubleClick = false;
    // The user closed the window; without a notification area it comes back minimised.
    bool m_closedByUser = false;

    // The rows waiting for another try, by user and minute: what their tooltip says.
    QHash<std::pair<int, qint64>, QString> m_retryNotes;

    // The characters typed so far that may still become a typed command.
    QString m_typedKeys;

    QWidget *m_content = nullptr;
    QHash<const QWidget *, QRectF> m_place;
    bool m_placing = false;
    int m_lastVerticalValue = 0;
    int m_lastHorizontalValue = 0;
};

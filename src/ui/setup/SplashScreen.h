// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDialog>
#include <QList>
#include <QTimer>
#include <functional>

class AppContext;
class QLabel;
class QPushButton;
class SetupWizard;

// The splash: the first window at start, and later the About box.
//
// At start it stands for two seconds, then hands over: it shows the main window unless the
// program starts small, and goes. On a first run the set-up wizard comes first, over the
// splash, and the hand-over waits for it to end; a set-up given up shows nothing more and
// ends the program through QCoreApplication::quit(). While it starts it places the dialogs
// on the screen.
//
// The About box (Help menu): showAbout() shows it with "&OK", the copyright and the
// licence, without waiting; "&OK" or Esc hides it again.
class SplashScreen : public QDialog {
    Q_OBJECT
public:
    struct Hooks {
        // The dialogs of the other layers, created on first use; the set-up wizard is
        // placed without asking.
        std::function<QList<QWidget *>()> dialogs;
        // Shows the main window, not modal.
        std::function<void()> showMainWindow;
    };

    SplashScreen(AppContext &context, SetupWizard &wizard, QWidget *parent = nullptr);

    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }
    // How long the splash stands at start before it hands over (two seconds).
    void setStandingTime(int ms) { m_standing.setInterval(ms); }

    // Places itself and the dialogs, shows itself and starts its two seconds.
    void start();
    // The hand-over has happened: the main window is the program's face from now on.
    bool isDone() const { return m_done; }
    // Shown as the About box.
    bool isAbout() const { return m_about; }

    void showAbout();
    // Esc closes the About box; at start the splash cannot be sent away.
    void reject() override;

public slots:
    // The end of the two seconds: the set-up wizard on a first run, else the main window.
    void handOver();

protected:
    void paintEvent(QPaintEvent *event) override;

signals:
    // The first run's set-up is done: the main window explains the notification area at
    // its next close.
    void firstRunSetUp();

private:
    void placeDialogs();
    // Opens the set-up wizard for user 1 and returns; the hand-over follows its end.
    void runFirstTimeSetup();
    void firstTimeSetupEnded(int outcome);
    // The main window unless the program starts small; the splash goes.
    void showProgram();
    void closeAbout();

    AppContext &m_context;
    SetupWizard &m_wizard;
    Hooks m_hooks;
    QPushButton *m_okButton = nullptr;
    QLabel *m_licence = nullptr;
    QTimer m_standing;
    bool m_done = false;
    bool m_about = false;
};

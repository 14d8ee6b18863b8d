#pragma once

#include <QDialog>
#include <QList>
#include <QTimer>
#include <functional>

class Program;
class QLabel;
class QPushButton;
class SetupWizard;

// The splash: the first window at start, and later the About box.
//
// At start it shows for two seconds, then hands over: it shows the main window unless the
// program starts small, sets SplashDone and hides. On a first run the set-up wizard comes
// first, over the splash, and the hand-over waits for it to end; a set-up given up shows
// nothing more and ends the program through QCoreApplication::quit(). While it loads it
// places the dialog forms on the screen.
//
// What the start-up does, in this order:
//     app.setWindowIcon(TolvaneIcon());         // ui/setup/TolvaneIcon.h
//     SetupWizard wizard(program);              // one for the whole run
//     FrmSplash frmSplash(program, wizard);
//     frmSplash.setHooks({
//         [&] { return QList<QWidget *> { &entryDialog.picker(), &entryDialog }; },
//         [&] { frmMain.show(); },             // not modal
//     });
//     PlaceDialog(frmSplash);                   // ui/setup/DialogPlacement.h
//     frmSplash.Form_Load();                    // places the dialogs, starts tmrSplash1
//     ... NetworkCheck ...
//     frmSplash.show();                         // not modal; the event loop does the rest
// with FirstRun and StartSmall set beforehand, the wizard, the splash and the forms living
// until the event loop returns.
//
// The About box (Help menu): ShowAbout(), which sets AboutMode, enables tmrRefresh and
// shows the splash without waiting; "&OK" hides it again.
class FrmSplash : public QDialog {
    Q_OBJECT
public:
    static constexpr int DesignWidth = 406;
    static constexpr int DesignHeight = 305;
    static const QString NoticeLine;

    struct Hooks {
        // The dialog forms of the other layers, created on first use; the set-up wizard
        // is placed without asking.
        std::function<QList<QWidget *>()> dialogForms;
        // Shows the main window, not modal.
        std::function<void()> showMainWindow;
    };

    FrmSplash(Program &program, SetupWizard &wizard, QWidget *parent = nullptr);

    void setHooks(Hooks hooks) { m_hooks = std::move(hooks); }

    QLabel *picture = nullptr; // the icon
    QLabel *picture2 = nullptr; // the name
    QList<QLabel *> lblInfo; // 0 "Version 1.0", 1 the notice line
    QPushButton *cmdOK = nullptr;
    QTimer tmrSplash1; // 2000 ms, once per start-up
    QTimer tmrRefresh; // 1 ms, the About box's one-shot refresh

    void Form_Load();
    void tmrSplash1_Timer();
    // Opens the set-up wizard for user 1 and returns; the hand-over follows its end.
    void FirstTimeSetup();
    void tmrRefresh_Timer();
    void cmdOK_Click();
    void ShowAbout();

    // Esc closes the About box; at start-up the splash cannot be sent away.
    void reject() override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void placeDialogs();
    void firstTimeSetupEnded(int outcome);
    // The main window unless the program starts small; the splash goes.
    void handOver();

    Program &p;
    SetupWizard &m_wizard;
    Hooks m_hooks;
};

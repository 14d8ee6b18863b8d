// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/CodePage.h"
#include "ui/main/StartedProgram.h"
#include "ui/setup/SetupWizard.h"

#include <QDesktopServices>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>

namespace {

using L = QStringList;
const QString ErrorsOn = "Tolvane will now display all errors that may occur in the program.  If "
                         "you wish to turn this feature off, type: \"no errors\"";
const QString ErrorsOff = "Tolvane will no longer display every type of error that may occur in "
                          "the program.  If you wish to turn this feature back on, type: \"show "
                          "errors\"";

// Stands in for the desktop's browser: records every address it is asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Users Ada, Bob, Cy, ... each with one message; Ada logged in, the window loaded. The
// set-up wizard and the user picker answer through the window's hooks. The log holds the
// boxes, the wizard's runs and each write of the current user with the caption then.
struct Users : StartedProgram {
    L log;
    QList<int> picked;
    QString composed; // the instant message's text, none when empty

    explicit Users(int users)
    {
        const L names { "Ada", "Bob", "Cy", "Dot", "Eve", "Fay", "Gus", "Hal", "Ida", "Jo" };
        for (int n = 1; n <= users; ++n) {
            env.addUser(n, names.at(n - 1), names.at(n - 1).toLower() + "@sms.example");
            env.writeMessageFile(n, { "2026/03/14 11:00 AMNfrom " + names.at(n - 1) + '|' });
        }
        w().load();
        scheduler.reload();
        w().openSetupWizard = [this](SetupWizard::Mode mode, int user) {
            const L modes { "FirstRun", "AddUser", "EditName", "EditMailServer", "EditPhoneAddress",
                "EditDefaults" };
            log << QStringLiteral("wizard %1 %2").arg(modes.at(int(mode))).arg(user);
            if (mode == SetupWizard::Mode::EditName)
                env.settings.writeSetting("User1", "Name", "Bob");
            return SetupWizard::Completed;
        };
        w().pickUsers = [this](const UserPicker::Mode &) { return picked; };
        w().composeInstantMessage = [this]() -> std::optional<MessageRecord> {
            if (composed.isEmpty())
                return std::nullopt;
            return MessageRecord::compose(at(10, 7), composed, { AdaCell });
        };
        env.settings.written = [this](const QString &, const QString &key) {
            if (key == "Current User")
                log << "Current User=" + setting("Options/Current User") + " under "
                        + w().windowTitle();
        };
    }
};

} // namespace

class TestMainWindowCommands : public QObject {
    Q_OBJECT
private slots:
    // The boxes shown ("on", "off" for the two texts), then the stored switch; the switch
    // in use ends on when that is "1".
    void typedCommands_data()
    {
        Columns<QString, bool, QString>({ "keys", "startOn", "after" });
        Row("show errors", "show errors", false, "on > 1");
        Row("any case", "ShOW ERRors", false, "on > 1");
        Row("z drops the run, then known", "show errorzshow errors", false, "on > 1");
        Row("breaking key dropped", "noshow errors", false, "> <absent>");
        Row("backspace breaks the run", "show err\bors", false, "> <absent>");
        Row("on, then off", "show errorsno errors", true, "on off > 0");
    }
    void typedCommands()
    {
        QFETCH(QString, keys);
        QFETCH(bool, startOn);
        QFETCH(QString, after);
        TestEnvironment env;
        env.program.showErrors = startOn;
        MainWindow w(env.program);
        auto *box = new QLineEdit(w.centralWidget());
        w.show();
        box->setFocus();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // Typed into the window as the desktop delivers keys, whichever control has the focus.
        for (const QChar c : keys)
            QTest::keyClick(w.windowHandle(), c.toLatin1());
        QString shown;
        for (const auto &b : env.boxes.shown) {
            QVERIFY(b.title == "Tolvane" && b.icon == MessageBoxes::Icon::None
                && b.buttons == MessageBoxes::Buttons::Ok);
            shown += b.text == ErrorsOn ? "on " : b.text == ErrorsOff ? "off " : b.text + ' ';
        }
        QCOMPARE(shown + "> " + setting(env, "Options/Error"), after);
        QCOMPARE(env.program.showErrors, after.endsWith("> 1"));
        // Every key went on to the control with the focus, a backspace included.
        QCOMPARE(box->text(), QString(keys).remove(QRegularExpression(".\\x08")));
    }

    // The desktop's tool starts on its own; one that cannot start is refused with the one
    // box, also while every error is shown. Which tool is chosen: tst_desktoptools.
    void networkSettings_data()
    {
        Columns<bool>({ "broken" });
        Row("started", false);
        Row("cannot start", true);
    }
    void networkSettings()
    {
        QFETCH(bool, broken);
        TestEnvironment env;
        env.program.showErrors = true;
        QTemporaryDir bin;
        QFile tool(bin.filePath("nm-connection-editor")); // the one tool on any desktop
        QVERIFY(tool.open(QIODevice::WriteOnly));
        tool.write(broken ? "#!/nonexistent/interpreter\n" : "#!/bin/sh\n: > \"$0.started\"\n");
        tool.close();
        tool.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()));
        MainWindow w(env.program);
        w.findChild<QAction *>("networkSettingsAction")->trigger();
        qputenv("PATH", path);
        QCOMPARE(env.boxes.lines(),
            broken ? L { "Tolvane: Internet Options are not available from here.!" } : L());
        QTRY_COMPARE(QFile::exists(tool.fileName() + ".started"), !broken);
    }

    // Options > Send Late Messages...: the choice by keyboard alone from the box that has the
    // focus, kept as LateMinutes and read by the scheduler again; nothing written unless
    // changed (a hand-edited value shows as the longest choice within it).
    void lateMessages_data()
    {
        Columns<QString, QString, QString>({ "before", "keys", "after" });
        Row("never to an hour", "<absent>", "Down Down Return", "60");
        Row("a day to never", "1440", "Home Return", "0");
        Row("hand-edited, unchanged", "30", "Return", "30");
        Row("cancelled", "15", "End Escape", "15");
    }
    void lateMessages()
    {
        QFETCH(QString, before);
        QFETCH(QString, keys);
        StartedProgram f;
        if (before != "<absent>")
            f.env.settings.writeSetting("Options", "LateMinutes", before);
        int reloads = 0;
        f.w().reloadScheduler = [&] { ++reloads; };
        QString focus;
        QTimer::singleShot(50, [&] {
            QWidget *box = QApplication::focusWidget();
            focus = box ? box->accessibleName() : "";
            for (const QString &key : keys.split(' '))
                QTest::keyClick(box, QKeySequence(key)[0].key());
        });
        f.trigger("lateSendingAction");
        QCOMPARE(focus, "How late a message may still be sent");
        QTEST(f.setting("Options/LateMinutes"), "after");
        QCOMPARE(reloads, int(!keys.endsWith("Escape")));
    }

    // The build puts the help page where a program run from the build folder finds it; the
    // Help menu and the set-up pages' "?" open that page, as it stands in the source. The
    // About box is shown without waiting for it.
    void helpMenu()
    {
        StartedProgram f;
        UrlRecorder browser;
        QDesktopServices::setUrlHandler("file", &browser, "open");
        QDesktopServices::setUrlHandler("https", &browser, "open");
        SetupWizard wizard(f.p());
        f.trigger("helpAction");
        wizard.findChild<QPushButton *>("helpButton")->click();
        f.trigger("websiteAction");
        QDesktopServices::unsetUrlHandler("file");
        QDesktopServices::unsetUrlHandler("https");
        QCOMPARE(browser.opened.size(), 3);
        QCOMPARE(browser.opened.at(1), browser.opened.at(0));
        QVERIFY(browser.opened.at(2).scheme() == "https" && !browser.opened.at(2).host().isEmpty());
        const QString page = browser.opened.at(0).toLocalFile();
        QVERIFY(page.endsWith("/Tolvane.html") && !readAll(page).isEmpty());
        QCOMPARE(readAll(page),
            readAll(qEnvironmentVariable("TOLVANE_SOURCE_DIR") + "/packaging/Tolvane.html"));
        f.trigger("aboutAction");
        SplashScreen &splash = f.app.splashScreen();
        QVERIFY(splash.isAbout() && splash.isVisible() && !splash.isModal());
        QVERIFY(f.env.boxes.shown.isEmpty());
        // Where no program can show the page, a box says where it is.
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "/nonexistent");
        f.trigger("helpAction");
        qputenv("PATH", path);
        QCOMPARE(f.env.boxes.lines(),
            L { "Tolvane: No program to show the help page was found.  You can open it in any "
                "web browser:\n\n"
                + page });
    }

    // Steps: "pick:N" (the picker's choice, none without N), "no" (the next question is
    // answered No), "nofile:N", "stuck:N" (user N's file cannot be deleted), "?N" (logs user N:
    // the name, "-" when gone, " f" while the message file is there, " s" while the scheduler
    // holds the next message), "day" (logs the 11:00 AM row once the day is loaded), "say:TEXT"
    // (the instant message composed, none without TEXT), "instant" (logs the instant slot's
    // user and record), else an action. The log: the boxes, the fixture's log, the caption. A
    // removed user's slot is given out next; a new current user is written first.
    void userCommands_data()
    {
        Columns<int, QString, QString>({ "users", "steps", "log" });
        const QString ask = "User Removal: Are you sure you wish to delete all data for Bob?|";
        const QString removed = ask + "User Removed: User Removed|2 -|3 Cy f s|";
        Row("name", 3, "changeName", "wizard EditName 1|Tolvane - Bob");
        Row("mail", 3, "userMail", "wizard EditMailServer 1|Tolvane - Ada");
        Row("phone", 3, "phoneAddress", "wizard EditPhoneAddress 1|Tolvane - Ada");
        Row("defaults", 3, "defaults", "wizard EditDefaults 0|Tolvane - Ada");
        Row("eleventh user", 10, "addUser",
            "Maximum Users Assigned: You have reached the maximum 10 users for Tolvane.  You must "
            "remove a user in order to configure a new user.!|Tolvane - Ada");
        Row("removed", 3, "pick:2 removeUser ?2 ?3 addUser",
            removed + "wizard AddUser 2|Tolvane - Ada");
        Row("no message file", 3, "pick:2 nofile:2 removeUser ?2 ?3 addUser",
            removed + "wizard AddUser 2|Tolvane - Ada");
        // Not deleted: the command fails (no box while errors are hidden), yet the scheduler
        // lets go of the removed user's next message.
        Row("message file not deletable", 3, "pick:2 stuck:2 removeUser ?2 ?3",
            ask + "2 - f|3 Cy f s|Tolvane - Ada");
        Row("answered No", 3, "pick:2 no removeUser ?2 addUser",
            ask + "2 Bob f s|wizard AddUser 4|Tolvane - Ada");
        Row("nobody chosen", 3, "pick: removeUser ?2 addUser",
            "2 Bob f s|wizard AddUser 4|Tolvane - Ada");
        Row("log in as another", 3, "pick:3 differentUser day pick: differentUser",
            "Current User=3 under Tolvane - Ada|day: from Cy|Tolvane - Cy");
        Row("instant message", 3, "say:Now! instantMessage instant",
            "1 2026/03/14 10:07 AMNNow!" + ToAda + "|Tolvane - Ada");
        Row("instant message cancelled", 3, "say: instantMessage instant", "-|Tolvane - Ada");
    }
    void userCommands()
    {
        QFETCH(int, users);
        QFETCH(QString, steps);
        Users f(users);
        QSignalSpy loads(&f.w(), &MainWindow::dayLoaded);
        for (const QString &step : steps.split(' ')) {
            const QString arg = step.section(':', 1);
            if (step.startsWith("pick:"))
                f.picked = arg.isEmpty() ? QList<int>() : QList<int> { arg.toInt() };
            else if (step == "no")
                f.env.boxes.queueAnswer(MessageBoxes::Answer::No);
            else if (step.startsWith("nofile:"))
                QVERIFY(QFile::remove(f.env.userFile(arg.toInt())));
            else if (step.startsWith("stuck:")) // a folder in its place, which no one can unlink
                QVERIFY(QFile::remove(f.env.userFile(arg.toInt()))
                    && QDir().mkpath(f.env.userFile(arg.toInt()) + "/inside"));
            else if (step.startsWith("say:"))
                f.composed = arg;
            else if (step == "instant") {
                const auto &slot = f.scheduler.slot(0);
                f.log << (slot
                        ? QString::number(slot->user) + ' ' + CodePage::decode(slot->record.line)
                        : "-");
            } else if (step.startsWith('?')) {
                const int n = step.mid(1).toInt();
                const QString name = f.setting(QStringLiteral("User%1/Name").arg(n));
                f.log << QString::number(n) + ' ' + (name == "<absent>" ? "-" : name)
                        + (QFile::exists(f.env.userFile(n)) ? " f" : "")
                        + (f.scheduler.slot(n) ? " s" : "");
            } else if (step == "day") {
                QVERIFY(!loads.isEmpty() || loads.wait(3000));
                f.log << "day: " + f.cell(45)->text();
            } else
                f.trigger((step + "Action").toLatin1().constData());
        }
        QTEST((f.env.boxes.lines() + f.log + L { f.w().windowTitle() }).join('|'), "log");
    }
};

QTEST_MAIN(TestMainWindowCommands)
#include "tst_mainwindowcommands.moc"

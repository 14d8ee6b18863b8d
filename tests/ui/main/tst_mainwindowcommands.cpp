#include "platform/HelpPage.h"
#include "store/CodePage.h"
#include "ui/main/StartedProgram.h"
#include "ui/setup/SetupWizard.h"

#include <QDesktopServices>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <stdexcept>

namespace {

using L = QStringList;
using Mode = SetupWizard::Mode;
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

void writeFile(const QString &path, const QByteArray &content)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QString run(Mode mode, int user)
{
    return QStringLiteral("%1 %2").arg(int(mode)).arg(user);
}

// Users Ada, Bob, Cy, ... each with one message; Ada logged in, the window loaded. The
// set-up wizard and the user picker answer through the window's hooks.
struct Users : StartedProgram {
    L wizardRuns; // "mode user"
    QList<int> picked;

    explicit Users(int users = 3)
    {
        const L names { "Ada", "Bob", "Cy", "Dot", "Eve", "Fay", "Gus", "Hal", "Ida", "Jo" };
        for (int n = 1; n <= users; ++n) {
            env.addUser(n, names.at(n - 1), names.at(n - 1).toLower() + "@sms.example");
            env.writeMessageFile(n, { "2026/03/14 11:00 AMNfrom " + names.at(n - 1) + '|' });
        }
        w().load();
        w().openSetupWizard = [this](Mode mode, int user) {
            wizardRuns << run(mode, user);
            if (mode == Mode::EditName)
                env.settings.WriteSetting("User1", "Name", "Bob");
            return SetupWizard::Completed;
        };
        w().pickUsers = [this](const UserPicker::Mode &) { return picked; };
    }
    QString read(const QString &key)
    {
        return env.settings.ReadSetting(key.section('/', 0, 0), key.section('/', 1), "<absent>");
    }
};

} // namespace

class TestMainWindowCommands : public QObject {
    Q_OBJECT
private slots:
    void typedCommands_data()
    {
        Columns<QString, bool, L, bool, QString>({ "keys", "startOn", "boxes", "on", "setting" });
        QTest::newRow("show errors") << "show errors" << false << L { ErrorsOn } << true << "1";
        QTest::newRow("any case") << "ShOW ERRors" << false << L { ErrorsOn } << true << "1";
        QTest::newRow("z drops the run, then recognised")
            << "show errorzshow errors" << false << L { ErrorsOn } << true << "1";
        QTest::newRow("breaking key dropped with the run")
            << "noshow errors" << false << L() << false << "-";
        QTest::newRow("backspace breaks the run")
            << "show err\bors" << false << L() << false << "-";
        QTest::newRow("on, then off")
            << "show errorsno errors" << true << L { ErrorsOn, ErrorsOff } << false << "0";
    }
    void typedCommands()
    {
        QFETCH(QString, keys);
        QFETCH(bool, startOn);
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
        L shown;
        for (const auto &b : env.boxes.shown) {
            QVERIFY(b.title == "Tolvane" && b.icon == MessageBoxes::Icon::None
                && b.buttons == MessageBoxes::Buttons::Ok);
            shown << b.text;
        }
        QTEST(shown, "boxes");
        QTEST(env.program.showErrors, "on");
        QTEST(env.settings.ReadSetting("Options", "Error", "-"), "setting");
        // Every key went on to the control with the focus, a backspace included.
        QCOMPARE(box->text(), QString(keys).remove(QRegularExpression(".\\x08")));
    }

    // The message composed goes to the scheduler's instant slot, for the logged-in user.
    void instantMessage_data()
    {
        Columns<bool, QString>({ "composed", "slot" });
        QTest::newRow("sent") << true << "212026/03/14 10:07 AMNNow!" + ToAda;
        QTest::newRow("cancelled") << false << "";
    }
    void instantMessage()
    {
        QFETCH(bool, composed);
        StartedProgram f;
        f.w().load();
        f.w().composeInstantMessage = [&]() -> std::optional<MessageRecord> {
            if (!composed)
                return std::nullopt;
            return MessageRecord::compose(at(10, 7), "Now!", { AdaCell });
        };
        f.trigger("instantMessageAction");
        const auto &instant = f.scheduler.slot(0);
        QTEST(instant ? QString::number(instant->user + 20) + CodePage::decode(instant->record.line)
                      : QString(),
            "slot");
        QVERIFY(f.env.boxes.shown.isEmpty());
    }

    void networkSettings_data()
    {
        // "name!" cannot be started; nothing started: the refusal box instead
        Columns<QString, L, QString>({ "desktop", "installed", "started" });
        QTest::newRow("no tool") << "XFCE" << L() << "";
        QTest::newRow("connection editor anywhere")
            << "XFCE" << L { "nm-connection-editor" } << "nm-connection-editor";
        QTest::newRow("GNOME's own panel first")
            << "ubuntu:GNOME" << L { "nm-connection-editor", "gnome-control-center" }
            << "gnome-control-center network";
        QTest::newRow("tool that cannot start") << "XFCE" << L { "nm-connection-editor!" } << "";
    }
    void networkSettings()
    {
        QFETCH(L, installed);
        TestEnvironment env;
        env.program.showErrors = true; // the refusal is the one box all the same
        QTemporaryDir bin;
        for (QString tool : installed) {
            const bool broken = tool.endsWith('!');
            tool.chop(broken ? 1 : 0);
            writeFile(bin.filePath(tool),
                broken ? "#!/nonexistent/interpreter\n"
                       : "#!/bin/sh\necho \"${0##*/}\" \"$@\" > \"${0%/*}/started\"\n");
            QFile(bin.filePath(tool)).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        }
        const QByteArray oldPath = qgetenv("PATH"), oldDesktop = qgetenv("XDG_CURRENT_DESKTOP");
        qputenv("PATH", QFile::encodeName(bin.path()));
        QFETCH(QString, desktop);
        qputenv("XDG_CURRENT_DESKTOP", desktop.toUtf8());
        MainWindow w(env.program);
        w.findChild<QAction *>("networkSettingsAction")->trigger();
        qputenv("PATH", oldPath);
        qputenv("XDG_CURRENT_DESKTOP", oldDesktop);
        QFETCH(QString, started);
        L boxes;
        for (const auto &box : env.boxes.shown)
            boxes << box.title + ": " + box.text
                    + (box.icon == MessageBoxes::Icon::Critical ? "!" : "");
        QCOMPARE(boxes,
            started.isEmpty() ? L { "Tolvane: Internet Options are not available from here.!" }
                              : L());
        if (!started.isEmpty())
            QTRY_COMPARE(readAll(bin.filePath("started")).trimmed(), started);
    }

    void findHelpPage_data()
    {
        Columns<L, QString>({ "pages", "found" }); // under the root
        const QString beside = "share/tolvane/Tolvane.html", xdg = "xdg/tolvane/Tolvane.html";
        QTest::newRow("beside the program first") << L { beside, xdg } << beside;
        QTest::newRow("in the data folders") << L { xdg } << xdg;
        QTest::newRow("nowhere") << L() << "";
    }
    void findHelpPage()
    {
        QFETCH(L, pages);
        QFETCH(QString, found);
        QTemporaryDir root;
        for (const QString &page : pages)
            writeFile(root.filePath(page), {});
        QVERIFY(QDir(root.path()).mkpath("bin"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath("home")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(root.filePath("xdg")));
        QCOMPARE(
            FindHelpPage(root.filePath("bin")), found.isEmpty() ? QString() : root.filePath(found));
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
        const QString page = browser.opened.at(0).toLocalFile();
        QCOMPARE(QFileInfo(page).fileName(), "Tolvane.html");
        QVERIFY(!readAll(page).isEmpty());
        QCOMPARE(readAll(page),
            readAll(qEnvironmentVariable("TOLVANE_SOURCE_DIR") + "/packaging/Tolvane.html"));
        QCOMPARE(browser.opened.at(2).scheme(), "https");
        QVERIFY(!browser.opened.at(2).host().isEmpty());
        f.trigger("aboutAction");
        SplashScreen &splash = f.app.splashScreen();
        QVERIFY(splash.isAbout() && splash.isVisible() && !splash.isModal());
        QVERIFY(f.env.boxes.shown.isEmpty());
    }

    // The removed user's slot is the next one given out; nothing is removed unless a user
    // is chosen and the question answered Yes; a missing message file does not matter.
    void removeUser_data()
    {
        Columns<QList<int>, bool, bool, L>({ "picked", "answerNo", "withFile", "boxes" });
        const L removed { "User Removal: Are you sure you wish to delete all data for Bob?",
            "User Removed: User Removed" };
        QTest::newRow("removed") << QList<int> { 2 } << false << true << removed;
        QTest::newRow("answered No") << QList<int> { 2 } << true << true << removed.mid(0, 1);
        QTest::newRow("nobody chosen") << QList<int>() << false << true << L();
        QTest::newRow("no message file") << QList<int> { 2 } << false << false << removed;
    }
    void removeUser()
    {
        QFETCH(bool, withFile);
        QFETCH(L, boxes);
        Users f;
        QFETCH(QList<int>, picked);
        f.picked = picked;
        f.scheduler.reload();
        if (!withFile)
            QFile::remove(f.env.userFile(2));
        QFETCH(bool, answerNo);
        if (answerNo)
            f.env.boxes.queueAnswer(MessageBoxes::Answer::No);
        f.trigger("removeUserAction");
        QCOMPARE(f.boxes(true), boxes);
        const bool gone = boxes.size() == 2;
        QCOMPARE(f.read("User2/Name"), gone ? "<absent>" : "Bob");
        QCOMPARE(QFile::exists(f.env.userFile(2)), withFile && !gone);
        QCOMPARE(bool(f.scheduler.slot(2)), !gone); // no longer sent
        QVERIFY(f.scheduler.slot(3));
        f.trigger("addUserAction");
        QCOMPARE(f.wizardRuns, L { run(Mode::AddUser, gone ? 2 : 4) });
        QCOMPARE(f.w().windowTitle(), "Tolvane - Ada");
    }

    // The choice is written first (the caption still the old one), then the window shows
    // the new user and, once the calendar has stood still, their messages.
    void logInAsDifferentUser()
    {
        Users f;
        f.picked = { 3 };
        QString captionAtWrite;
        f.env.settings.written = [&](const QString &, const QString &key) {
            if (key == "Current User")
                captionAtWrite = f.w().windowTitle();
        };
        f.trigger("differentUserAction");
        QCOMPARE(captionAtWrite, "Tolvane - Ada");
        QCOMPARE(f.read("Options/Current User"), "3");
        QCOMPARE(f.p().currentUser, 3);
        QCOMPARE(f.w().windowTitle(), "Tolvane - Cy");
        QTRY_COMPARE(f.cell(45)->text(), "from Cy");
        f.picked = {};
        f.trigger("differentUserAction");
        QCOMPARE(f.read("Options/Current User"), "3");
    }

    // Each command opens its page for the logged-in user (the defaults for no user); a
    // changed name shows in the caption. Ten users refuse an eleventh.
    void editPages_data()
    {
        Columns<QString, int, QString, QString, L>(
            { "action", "users", "run", "caption", "boxes" });
        const auto row
            = [](const char *tag, const char *action, const QString &run,
                  const char *caption = "Tolvane - Ada", int users = 3, const L &boxes = {}) {
                  QTest::newRow(tag) << action << users << run << caption << boxes;
              };
        row("name", "changeNameAction", run(Mode::EditName, 1), "Tolvane - Bob");
        row("mail", "userMailAction", run(Mode::EditMailServer, 1));
        row("phone", "phoneAddressAction", run(Mode::EditPhoneAddress, 1));
        row("defaults", "defaultsAction", run(Mode::EditDefaults, 0));
        row("eleventh user", "addUserAction", {}, "Tolvane - Ada", 10,
            { "Maximum Users Assigned: You have reached the maximum 10 users for Tolvane.  You "
              "must remove a user in order to configure a new user." });
    }
    void editPages()
    {
        QFETCH(QString, action);
        QFETCH(int, users);
        QFETCH(QString, run);
        Users f(users);
        f.trigger(action.toLatin1().constData());
        QCOMPARE(f.wizardRuns, run.isEmpty() ? L() : L { run });
        QTEST(f.w().windowTitle(), "caption");
        QTEST(f.boxes(true), "boxes");
        for (const auto &box : f.env.boxes.shown)
            QCOMPARE(box.icon, MessageBoxes::Icon::Critical);
    }
};

QTEST_MAIN(TestMainWindowCommands)
#include "tst_mainwindowcommands.moc"

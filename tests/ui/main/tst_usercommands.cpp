#include "support/DataColumns.h"
#include "support/ModalSteps.h"
#include "ui/entry/DialogScript.h"
#include "ui/entry/EntryDialog.h"
#include "ui/entry/UserPicker.h"
#include "ui/main/StartedProgram.h"
#include "ui/setup/WizardControls.h"

#include <QFile>
#include <QTest>

namespace {

using L = QStringList;

// Users Ada, Bob, Cy, ... each with one message; Ada logged in.
struct Fixture : StartedProgram {
    ModalSteps steps;

    explicit Fixture(int users = 3)
    {
        const L names { "Ada", "Bob", "Cy", "Dot", "Eve", "Fay", "Gus", "Hal", "Ida", "Jo" };
        for (int n = 1; n <= users; ++n) {
            env.addUser(n, names.at(n - 1), names.at(n - 1).toLower() + "@sms.example");
            env.writeMessageFile(n, { "2026/03/20 10:00 AMNfrom " + names.at(n - 1) + '|' });
        }
        startup.wizard().accountName = [] { return QString(); };
        w().Form_Load();
    }
    UserPicker &picker() { return startup.entryDialog().picker(); }
    void withPicker(void (FrmMain::*command)(), const L &clicks)
    {
        steps.then(picker(), [this, clicks] { playDialog(picker(), clicks); });
        (w().*command)();
        QVERIFY2(steps.finished(), qPrintable(steps.failure));
    }
    QString read(const QString &key)
    {
        return env.settings.ReadSetting(key.section('/', 0, 0), key.section('/', 1), "<absent>");
    }
};

} // namespace

class TestUserCommands : public QObject {
    Q_OBJECT
private slots:
    // The removed slot is the next one given out, with none of its old messages.
    void removeThenAdd()
    {
        Fixture f;
        f.scheduler.reload();
        f.withPicker(&FrmMain::mnuRemoveUser_Click, { "Bob", "Apply" });
        QCOMPARE(f.boxes(true),
            L({ "User Removal: Are you sure you wish to delete all data for Bob?",
                "User Removed: User Removed" }));
        QCOMPARE(f.env.boxes.shown.last().icon, MessageBoxes::Icon::Information);
        QCOMPARE(f.read("User2/Name"), "<absent>");
        QVERIFY(!QFile::exists(f.env.userFile(2)) && QFile::exists(f.env.userFile(3)));
        QVERIFY(!f.scheduler.slot(2)); // no longer sent
        QVERIFY(f.scheduler.slot(3));

        SetupWizard &wizard = f.startup.wizard();
        f.steps.then(wizard, [&] {
            press(wizard, { "Dee" });
            press(wizard, { "dee@mail.example", "smtp.mail.example" });
            press(wizard, { "dee@sms.example" });
        });
        f.w().mnuAddUser->trigger();
        QVERIFY2(f.steps.finished() && !f.steps.leftOpen, qPrintable(f.steps.failure));
        QCOMPARE(L({ f.read("User2/Name"), f.read("User2/CellEmail") }),
            L({ "Dee", "dee@sms.example" }));
        QVERIFY(f.env.readMessageFile(2).isEmpty());
        QCOMPARE(f.w().windowTitle(), "Tolvane - Ada");
    }

    void removeLeftUndone_data()
    {
        Columns<L, bool, bool, int>({ "clicks", "answerNo", "withFile", "boxes" });
        QTest::newRow("answered No") << L { "Bob", "Apply" } << true << true << 1;
        QTest::newRow("picker cancelled") << L { "Bob", "Cancel" } << false << true << 0;
        QTest::newRow("no message file: removed all the same")
            << L { "Bob", "Apply" } << false << false << 2;
    }
    void removeLeftUndone()
    {
        QFETCH(bool, withFile);
        QFETCH(int, boxes);
        Fixture f;
        if (!withFile)
            QFile::remove(f.env.userFile(2));
        if (QTest::currentDataTag() == QLatin1String("answered No"))
            f.env.boxes.queueAnswer(MessageBoxes::Answer::No);
        QFETCH(L, clicks);
        f.withPicker(&FrmMain::mnuRemoveUser_Click, clicks);
        QCOMPARE(f.env.boxes.shown.size(), boxes);
        QCOMPARE(f.read("User2/Name"), boxes == 2 ? "<absent>" : "Bob");
        QCOMPARE(QFile::exists(f.env.userFile(2)), withFile && boxes < 2);
    }

    void tenUsersRefuseAnEleventh()
    {
        Fixture f(10);
        f.w().mnuAddUser->trigger();
        QCOMPARE(f.boxes(true),
            L { "Maximum Users Assigned: You have reached the maximum 10 users for Tolvane.  "
                "You must remove a user in order to configure a new user." });
        QCOMPARE(f.env.boxes.shown.first().icon, MessageBoxes::Icon::Critical);
        QVERIFY(!f.startup.wizard().isVisible());
    }

    void onlyTheLoggedInUser_data()
    {
        Columns<bool>({ "remove" });
        QTest::newRow("Log In as Different User") << false;
        QTest::newRow("Remove User") << true;
    }
    // The logged-in user is not offered: Apply chooses nobody, and nothing happens.
    void onlyTheLoggedInUser()
    {
        QFETCH(bool, remove);
        Fixture f(1);
        f.withPicker(
            remove ? &FrmMain::mnuRemoveUser_Click : &FrmMain::mnuDifferentUser_Click, { "Apply" });
        QVERIFY(f.boxes(true).isEmpty());
        QCOMPARE(L({ f.read("User1/Name"), f.read("Options/Current User") }), L({ "Ada", "1" }));
    }

    void logInAsDifferentUser()
    {
        Fixture f;
        QString captionAtWrite;
        f.env.settings.written = [&](const QString &, const QString &key) {
            if (key == "Current User")
                captionAtWrite = f.w().windowTitle();
        };
        f.withPicker(&FrmMain::mnuDifferentUser_Click, { "Cy", "Apply" });
        QCOMPARE(captionAtWrite, "Tolvane - Ada");
        QCOMPARE(f.read("Options/Current User"), "3");
        QCOMPARE(f.env.program.CurrentUser, 3);
        QCOMPARE(f.w().windowTitle(), "Tolvane - Cy");
        QVERIFY(f.w().tmrDateStay.isActive()); // the calendar reloads after the settle time
    }

    void editPages_data()
    {
        Columns<QString, QString, QString, QString>({ "command", "typed", "key", "caption" });
        auto row = [](const char *tag, const char *command, const char *typed, const char *key,
                       const char *caption) {
            QTest::newRow(tag) << QString(command) << QString(typed) << QString(key)
                               << QString(caption);
        };
        row("name", "name", "Bob", "User1/Name", "Tolvane - Bob");
        row("phone", "phone", "new@sms.example", "User1/CellEmail", "Tolvane - Ada");
        row("defaults", "defaults", "new@x.example", "Options/DefaultEmail", "Tolvane - Ada");
        row("defaults cancelled", "defaults", "", "Options/DefaultEmail", "Tolvane - Ada");
    }
    // Each command opens its page for the logged-in user; cancelled, it writes nothing.
    void editPages()
    {
        QFETCH(QString, command);
        QFETCH(QString, typed);
        QFETCH(QString, key);
        Fixture f;
        f.env.settings.WriteSetting("Options", "DefaultEmail", "old@x.example");
        SetupWizard &wizard = f.startup.wizard();
        f.steps.then(wizard,
            [&] { press(wizard, { typed }, typed.isEmpty() ? "cancelButton" : "nextButton"); });
        (command == "name"           ? f.w().mnuChangeName
                : command == "phone" ? f.w().mnuCellEmail
                                     : f.w().mnuChangeDefault)
            ->trigger();
        QVERIFY2(f.steps.finished() && !f.steps.leftOpen, qPrintable(f.steps.failure));
        QCOMPARE(f.read(key), typed.isEmpty() ? "old@x.example" : typed);
        QTEST(f.w().windowTitle(), "caption");
        QVERIFY(f.env.boxes.shown.isEmpty());
    }
};

QTEST_MAIN(TestUserCommands)
#include "tst_usercommands.moc"

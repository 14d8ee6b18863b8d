#include "delivery/FrmTimer.h"
#include "delivery/MessageProcessor.h"
#include "support/FakeConnectionService.h"
#include "support/TestEnvironment.h"
#include "ui/entry/FrmEntry.h"
#include "ui/entry/PickerScript.h"
#include "ui/main/FrmMain.h"
#include "ui/main/Startup.h"
#include "ui/setup/PageDriver.h"
#include "ui/setup/SetupWizard.h"

#include <QFile>
#include <QTest>
#include <QTimer>

namespace {

using L = QStringList;
using Answer = MessageBoxes::Answer;
const QString Options = QStringLiteral("Options");

PageDriver::Action typeAndPressNext(const QString &text)
{
    return [text](SetupPage &page) {
        type(page, 0, text);
        click(page, "cmdNext");
    };
}

class NoDelivery final : public MessageProcessor {
public:
    void ProcessMessage(const QString &) override { }
};

struct Fixture {
    TestEnvironment env;
    NoDelivery delivery;
    FakeConnectionService connection;
    FrmTimer frmTimer { env.program, delivery, connection };
    Startup startup { env.program, frmTimer };

    explicit Fixture(int users = 3)
    {
        const L names { "Ada", "Bob", "Cy", "Dot", "Eve", "Fay", "Gus", "Hal", "Ida", "Jo" };
        for (int n = 1; n <= users; ++n) {
            env.addUser(n, names.at(n - 1), names.at(n - 1).toLower() + "@sms.example");
            env.writeMessageFile(n, { "2026/03/20 10:00 AMNfrom " + names.at(n - 1) + '|' });
        }
        env.settings.WriteSetting(Options, QStringLiteral("Current User"), QStringLiteral("1"));
        startup.wizard().accountName = [] { return QString(); };
        w().Form_Load();
    }
    FrmMain &w() { return startup.frmMain(); }
    FrmUserSelect &picker() { return startup.frmEntry().userSelect(); }
    // Runs a command whose picker the user plays with the given steps.
    void withPicker(void (FrmMain::*command)(), const L &steps)
    {
        ModalDriver driver(picker(), picker().tmrRefresh, [&] { playPicker(picker(), steps); });
        (w().*command)();
        QVERIFY(driver.acted);
    }
    L titles() const
    {
        L out;
        for (const auto &box : env.boxes.shown)
            out << box.title;
        return out;
    }
    QString read(int user, const char *key)
    {
        return env.settings.ReadSetting(
            QStringLiteral("User%1").arg(user), QString::fromLatin1(key), "<absent>");
    }
};

} // namespace

class TestUserCommands : public QObject {
    Q_OBJECT
private slots:
    void removeThenAdd();
    void removeLeftUndone_data();
    void removeLeftUndone();
    void tenUsersRefuseAnEleventh();
    void onlyTheLoggedInUser_data();
    void onlyTheLoggedInUser();
    void logInAsDifferentUser();
    void editPages_data();
    void editPages();
};

// The removed slot is the next one given out, and its old messages are gone with it.
void TestUserCommands::removeThenAdd()
{
    Fixture f;
    f.frmTimer.LoadNextMessage();
    QVERIFY(!f.env.program.NextMessage[2].isEmpty());
    // A delivery holds the message files: the file is deleted only after it lets go.
    f.env.program.FileBusy.acquire();
    bool existedWhileBusy = false;
    QTimer::singleShot(50, [&] {
        existedWhileBusy = QFile::exists(f.env.userFile(2));
        f.env.program.FileBusy.release();
    });
    f.withPicker(&FrmMain::mnuRemoveUser_Click, { "Bob", "Apply" });
    QVERIFY(existedWhileBusy);
    QCOMPARE(f.titles(), L({ "User Removal", "User Removed" }));
    QCOMPARE(f.env.boxes.shown.first().text,
        QStringLiteral("Are you sure you wish to delete all data for Bob?"));
    QCOMPARE(f.env.boxes.shown.last().icon, MessageBoxes::Icon::Information);
    QCOMPARE(f.read(2, "Name"), "<absent>");
    QVERIFY(!QFile::exists(f.env.userFile(2)));
    QVERIFY(QFile::exists(f.env.userFile(1)) && QFile::exists(f.env.userFile(3)));
    QVERIFY(f.env.program.NextMessage[2].isEmpty()); // no longer sent
    QVERIFY(!f.env.program.NextMessage[3].isEmpty());

    PageDriver driver;
    SetupWizard &wizard = f.startup.wizard();
    driver.then(wizard.page(SetupWizard::Page::UserName), typeAndPressNext("Dee"))
        .then(wizard.page(SetupWizard::Page::LocalEmail), typeAndPressNext("dee@mail.example"))
        .then(wizard.page(SetupWizard::Page::CellEmail), typeAndPressNext("dee@sms.example"));
    f.w().mnuAddUser->trigger();
    QVERIFY2(driver.finished(), qPrintable(driver.failure));
    QCOMPARE(f.read(2, "Name"), "Dee");
    QCOMPARE(f.read(2, "CellEmail"), "dee@sms.example");
    QVERIFY(f.env.readMessageFile(2).isEmpty());
    QVERIFY(!f.env.program.AddingUser);
    QCOMPARE(f.env.program.CurrentUser, 1);
    QCOMPARE(f.w().windowTitle(), QStringLiteral("Tolvane - Ada"));
}

void TestUserCommands::removeLeftUndone_data()
{
    QTest::addColumn<L>("steps");
    QTest::addColumn<bool>("answerNo");
    QTest::addColumn<bool>("withFile");
    QTest::addColumn<L>("titles");
    QTest::newRow("answered No") << L { "Bob", "Apply" } << true << true << L { "User Removal" };
    QTest::newRow("picker cancelled") << L { "Bob", "Cancel" } << false << true << L {};
    QTest::newRow("nothing ticked") << L { "Apply" } << false << true << L {};
    QTest::newRow("no message file: removed all the same")
        << L { "Bob", "Apply" } << false << false << L { "User Removal", "User Removed" };
}

void TestUserCommands::removeLeftUndone()
{
    QFETCH(L, steps);
    QFETCH(bool, answerNo);
    QFETCH(bool, withFile);
    QFETCH(L, titles);
    Fixture f;
    if (!withFile)
        QFile::remove(f.env.userFile(2));
    if (answerNo)
        f.env.boxes.queueAnswer(Answer::No);
    f.withPicker(&FrmMain::mnuRemoveUser_Click, steps);
    QCOMPARE(f.titles(), titles);
    const bool removed = titles.size() == 2;
    QCOMPARE(f.read(2, "Name"), removed ? "<absent>" : "Bob");
    QCOMPARE(QFile::exists(f.env.userFile(2)), withFile && !removed);
}

void TestUserCommands::tenUsersRefuseAnEleventh()
{
    Fixture f(10);
    f.w().mnuAddUser->trigger();
    QCOMPARE(f.titles(), L { "Maximum Users Assigned" });
    const auto &box = f.env.boxes.shown.first();
    QCOMPARE(box.text,
        QStringLiteral("You have reached the maximum 10 users for Tolvane.  You must remove a "
                       "user in order to configure a new user."));
    QCOMPARE(box.icon, MessageBoxes::Icon::Critical);
    QVERIFY(!f.startup.wizard().page(SetupWizard::Page::UserName).isVisible());
    QVERIFY(!f.env.program.AddingUser);
}

void TestUserCommands::onlyTheLoggedInUser_data()
{
    QTest::addColumn<bool>("remove");
    QTest::newRow("Log In as Different User") << false;
    QTest::newRow("Remove User") << true;
}

void TestUserCommands::onlyTheLoggedInUser()
{
    QFETCH(bool, remove);
    Fixture f(1);
    int offered = -1;
    ModalDriver driver(f.picker(), f.picker().tmrRefresh, [&] {
        offered = 0;
        for (QCheckBox *box : f.picker().chkUser)
            offered += box->isHidden() ? 0 : 1;
        playPicker(f.picker(), { "Apply" });
    });
    remove ? f.w().mnuRemoveUser_Click() : f.w().mnuDifferentUser_Click();
    QCOMPARE(offered, 0);
    QVERIFY(f.titles().isEmpty());
    QCOMPARE(f.read(1, "Name"), "Ada");
    QCOMPARE(f.env.settings.ReadSetting(Options, "Current User", {}), "1");
    QCOMPARE(f.w().windowTitle(), QStringLiteral("Tolvane - Ada"));
}

void TestUserCommands::logInAsDifferentUser()
{
    Fixture f;
    QString captionAtWrite;
    f.env.settings.written = [&](const QString &, const QString &key) {
        if (key == "Current User")
            captionAtWrite = f.w().windowTitle();
    };
    f.withPicker(&FrmMain::mnuDifferentUser_Click, { "Cy", "Apply" });
    QCOMPARE(captionAtWrite, QStringLiteral("Tolvane - Ada"));
    QCOMPARE(f.env.settings.ReadSetting(Options, "Current User", {}), "3");
    QCOMPARE(f.env.program.CurrentUser, 3);
    QCOMPARE(f.w().windowTitle(), QStringLiteral("Tolvane - Cy"));
    QVERIFY(f.w().tmrDateStay.isActive()); // the calendar reloads after the settle time
}

void TestUserCommands::editPages_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("typed"); // empty: the page is cancelled
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("caption");
    QTest::newRow("name") << "mnuChangeName"
                          << "Bob"
                          << "User1/Name"
                          << "Bob"
                          << "Tolvane - Bob";
    QTest::newRow("phone") << "mnuCellEmail"
                           << "new@sms.example"
                           << "User1/CellEmail"
                           << "new@sms.example"
                           << "Tolvane - Ada";
    QTest::newRow("defaults cancelled") << "mnuChangeDefault"
                                        << ""
                                        << "Options/DefaultEmail"
                                        << "old@x.example"
                                        << "Tolvane - Ada";
    QTest::newRow("defaults") << "mnuChangeDefault"
                              << "new@x.example"
                              << "Options/DefaultEmail"
                              << "new@x.example"
                              << "Tolvane - Ada";
}

void TestUserCommands::editPages()
{
    QFETCH(QString, command);
    QFETCH(QString, typed);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, caption);
    Fixture f;
    f.env.settings.WriteSetting(Options, "DefaultEmail", "old@x.example");
    SetupWizard &wizard = f.startup.wizard();
    SetupPage &page = wizard.page(command == "mnuChangeName" ? SetupWizard::Page::UserName
            : command == "mnuCellEmail"                      ? SetupWizard::Page::CellEmail
                                                             : SetupWizard::Page::LocalEmail);
    PageDriver driver;
    driver.then(page, [&](SetupPage &shown) {
        if (typed.isEmpty())
            click(shown, "cmdCancel");
        else
            typeAndPressNext(typed)(shown);
    });
    QAction *item = command == "mnuChangeName" ? f.w().mnuChangeName
        : command == "mnuCellEmail"            ? f.w().mnuCellEmail
                                               : f.w().mnuChangeDefault;
    item->trigger();
    QVERIFY2(driver.finished(), qPrintable(driver.failure));
    QCOMPARE(f.env.settings.ReadSetting(key.section('/', 0, 0), key.section('/', 1), {}), value);
    QCOMPARE(f.w().windowTitle(), caption);
    QVERIFY(!f.env.program.EditingDefaults);
    QVERIFY(f.env.boxes.shown.isEmpty());
}

QTEST_MAIN(TestUserCommands)
#include "tst_usercommands.moc"

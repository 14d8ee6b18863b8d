#include "PageControls.h"
#include "app/Roster.h"
#include "support/DataColumns.h"
#include "support/ModalSteps.h"
#include "support/TestEnvironment.h"
#include "ui/setup/AccountNameGuess.h"
#include "ui/setup/FrmCellEmail.h"
#include "ui/setup/FrmLocalEmail.h"
#include "ui/setup/FrmUserName.h"
#include "ui/setup/SetupWizard.h"

#include <QtTest>

using Page = SetupWizard::Page;
using Answer = MessageBoxes::Answer;
using L = QStringList;

namespace {

const QString NameTaken = QStringLiteral(" already exists.  Please select another name.");
const QString PhoneTaken = QStringLiteral(
    " has already been configured.  Please select another cellular phone Email address.");
const QString NoAddress = QStringLiteral("Email Settings: Please enter your Email address in the "
                                         "form name@domain, for example ada@example.com.");
const QString NoServer = QStringLiteral(
    "Email Settings: Please enter the address of your SMTP server, the server your Email "
    "provider names for outgoing mail, for example smtp.example.com.");
const QString NoPhone
    = QStringLiteral("Cellular Phone Email: Please enter your cellular phone Email address in the "
                     "form number@domain, for example 5551234567@sms.carrier.example.");

// A program with its own settings, a wizard whose account-name guess is "alice", and a
// record of every settings write and every attempt to end the program.
struct Setup {
    explicit Setup(bool withUsers = false)
    {
        if (withUsers) {
            env.addUser(1, "Desk", "desk@sms.example", "desk@x.example", "smtp.desk.example");
            env.addUser(2, "Lamp", "lamp@sms.example", "lamp@x.example", "smtp.lamp.example");
            env.settings.WriteSetting("Options", "DefaultEmail", "office@x.example");
            env.settings.WriteSetting("Options", "DefaultSMTP", "smtp.x.example");
        }
        wizard.accountName = [] { return QStringLiteral("alice"); };
        wizard.endProgram = [this] { ++programEnds; };
        env.settings.written
            = [this](const QString &section, const QString &key) { writes << section + '/' + key; };
    }
    QString read(const QString &section, const QString &key)
    {
        return env.settings.ReadSetting(section, key, "<absent>");
    }
    // Runs the wizard from the given page; returns when it has ended.
    void run(Page first)
    {
        wizard.Open(first);
        QVERIFY2(driver.finished(), qPrintable(driver.failure));
        QVERIFY(!name().isVisible() && !mail().isVisible() && !cell().isVisible());
    }
    bool nothingPending() const
    {
        return p.PendingName.isEmpty() && p.PendingEmail.isEmpty() && p.PendingSMTP.isEmpty()
            && !p.PendingServer && !p.PendingPassword;
    }
    SetupPage &name() { return wizard.frmUserName(); }
    SetupPage &mail() { return wizard.frmLocalEmail(); }
    SetupPage &cell() { return wizard.frmCellEmail(); }
    QStringList texts(const QList<ScriptedMessageBoxes::Shown> &shown)
    {
        QStringList result;
        for (const auto &box : shown)
            result << box.title + ": " + box.text;
        return result;
    }

    TestEnvironment env;
    Program &p = env.program;
    SetupWizard wizard { env.program };
    ModalSteps driver;
    QStringList writes;
    int programEnds = 0;
};

} // namespace

class TestSetupWizard : public QObject {
    Q_OBJECT
private slots:
    // From an empty settings store to a configured user 1; Back from page 2 shows the
    // name entered, and nothing is written before Finish.
    void firstRunConfiguresUserOne()
    {
        Setup s;
        s.p.FirstRun = true;
        s.p.SetupUser = 1;
        s.driver
            .then(s.name(),
                [](SetupPage &page) {
                    QCOMPARE(info(page, 0)->text(), "Tolvane guessed your User Name.");
                    QCOMPARE(box(page, 0)->text(), "alice");
                    typeAndPress(page, { "Alice Smith" }, nullptr);
                    QTest::keyClick(box(page, 0), Qt::Key_Return); // the default button
                })
            .then(s.mail(), pressing({ "typed@x.example" }, "cmdBack"))
            .then(s.name(),
                [](SetupPage &page) {
                    QCOMPARE(box(page, 0)->text(), "Alice Smith"); // not the guess
                    click(page, "cmdNext");
                })
            .then(s.mail(),
                [](SetupPage &page) {
                    QCOMPARE(box(page, 0)->text(), "typed@x.example");
                    typeAndPress(page, { "alice@home.example", "smtp.home.example" }, "cmdNext");
                })
            .then(s.cell(), [](SetupPage &page) {
                QCOMPARE(button(page, "cmdNext")->text(), "&Finish");
                typeAndPress(page, { "5550001111@sms.example" }, "cmdNext");
            });
        s.run(Page::UserName);
        QCOMPARE(s.writes,
            L({ "Options/DefaultEmail", "Options/DefaultSMTP", "User1/CellEmail", "User1/Name",
                "User1/Email", "User1/SMTP", "Options/Current User" }));
        QCOMPARE(
            L({ s.read("Options", "Current User"), s.read("Options", "DefaultSMTP"),
                s.read("User1", "Name"), s.read("User1", "Email"), s.read("User1", "CellEmail") }),
            L({ "1", "smtp.home.example", "Alice Smith", "alice@home.example",
                "5550001111@sms.example" }));
        QVERIFY(s.env.boxes.shown.isEmpty());
        QVERIFY(s.nothingPending());
    }

    // The name must be new (an empty one too, while a free slot has none); Back from page 2
    // keeps nothing; the sender must be an address and the server named; the phone address
    // must be an address, and new (exact case).
    void addingUser()
    {
        Setup s(true);
        s.env.settings.DeleteSection("User1");
        s.env.addUser(3, "Desk", "desk@sms.example");
        s.writes.clear();
        s.p.AddingUser = true;
        s.p.SetupUser = Roster::FirstFreeSlot(s.env.settings);
        s.driver
            .then(s.name(),
                [](SetupPage &page) {
                    click(page, "cmdNext");
                    typeAndPress(page, { "Lamp" }, "cmdNext");
                    typeAndPress(page, { "Chair" }, "cmdNext");
                })
            .then(s.mail(),
                [](SetupPage &page) {
                    QCOMPARE(box(page, 0)->text(), "office@x.example");
                    typeAndPress(page, { "left@x.example" }, "cmdBack");
                })
            .then(s.name(), [](SetupPage &page) { click(page, "cmdNext"); })
            .then(s.mail(),
                [](SetupPage &page) {
                    QCOMPARE(box(page, 0)->text(), "office@x.example");
                    typeAndPress(page, { "chair", "smtp.x.example" }, "cmdNext");
                    typeAndPress(page, { "chair@x.example", "  " }, "cmdNext");
                    typeAndPress(page, { "chair@x.example", "smtp.x.example" }, "cmdNext");
                })
            .then(s.cell(), [](SetupPage &page) {
                click(page, "cmdNext"); // empty, as the free slots' addresses
                typeAndPress(page, { "5551234567" }, "cmdNext");
                typeAndPress(page, { "lamp@sms.example" }, "cmdNext");
                typeAndPress(page, { "Lamp@sms.example" }, "cmdNext");
            });
        s.run(Page::UserName);
        QCOMPARE(s.texts(s.env.boxes.shown),
            L({ "User Name: " + NameTaken, "User Name: Lamp" + NameTaken, NoAddress, NoServer,
                NoPhone, NoPhone, "User Name: lamp@sms.example" + PhoneTaken }));
        QCOMPARE(s.writes, L({ "User1/CellEmail", "User1/Name", "User1/Email", "User1/SMTP" }));
        QCOMPARE(L({ s.read("User1", "Name"), s.read("User1", "Email"), s.read("User1", "SMTP"),
                     s.read("User1", "CellEmail") }),
            L({ "Chair", "chair@x.example", "smtp.x.example", "Lamp@sms.example" }));
    }

    void cancelWhileAddingWritesNothing_data()
    {
        Columns<int>({ "how" });
        QTest::newRow("cancel button") << 0;
        QTest::newRow("escape") << 1;
        QTest::newRow("close box") << 2;
    }
    void cancelWhileAddingWritesNothing()
    {
        QFETCH(int, how);
        Setup s(true);
        s.writes.clear();
        s.p.AddingUser = true;
        s.p.SetupUser = 3;
        s.driver.then(s.name(), pressing({ "Chair" }, "cmdNext"))
            .then(s.mail(), pressing({ "chair@x.example" }, "cmdNext"))
            .then(s.cell(), [how](SetupPage &page) {
                typeAndPress(page, { "chair@sms.example" }, nullptr);
                if (how == 0)
                    click(page, "cmdCancel");
                else if (how == 1)
                    QTest::keyClick(box(page, 0), Qt::Key_Escape);
                else
                    page.close();
            });
        s.run(Page::UserName);
        QCOMPARE(s.writes, L());
        QVERIFY(!Roster::IsConfigured(s.env.settings, 3));
        QVERIFY(s.nothingPending());
    }

    // No, then Yes after page 2: the defaults stay; no user and no "Current User", so the
    // next start is a first run again.
    void firstRunCancelEndsProgram()
    {
        Setup s;
        s.p.FirstRun = true;
        s.p.SetupUser = 1;
        s.env.boxes.queueAnswer(Answer::No);
        s.env.boxes.queueAnswer(Answer::Yes);
        s.driver.then(s.name(), pressing({ "Alice" }, "cmdNext"))
            .then(s.mail(), pressing({ "a@x.example", "smtp.x.example" }, "cmdNext"))
            .then(s.cell(), [&](SetupPage &page) {
                typeAndPress(page, { "a@sms.example" }, "cmdCancel");
                QVERIFY(page.isVisible());
                QTest::keyClick(box(page, 0), Qt::Key_Escape);
            });
        s.run(Page::UserName);
        QCOMPARE(s.programEnds, 1);
        const QString asked
            = "Abort Tolvane Setup?: Canceling Tolvane Setup will end the program.  "
              "Are you sure you wish to cancel Tolvane Setup?";
        QCOMPARE(s.texts(s.env.boxes.shown), L({ asked, asked }));
        QCOMPARE(s.env.boxes.shown.at(0).buttons, MessageBoxes::Buttons::YesNo);
        QCOMPARE(s.writes, L({ "Options/DefaultEmail", "Options/DefaultSMTP" }));
        QVERIFY(!s.env.settings.HasSetting("Options", "Current User"));
        QVERIFY(!Roster::IsConfigured(s.env.settings, 1));
    }

    void editingOnePage_data()
    {
        Columns<int, bool, QStringList, QStringList>({ "page", "defaults", "shown", "writes" });
        QTest::newRow("phone") << int(Page::CellEmail) << false << L { "desk@sms.example" }
                               << L { "User1/CellEmail" };
        QTest::newRow("defaults") << int(Page::LocalEmail) << true
                                  << L { "office@x.example", "smtp.x.example" }
                                  << L { "Options/DefaultEmail", "Options/DefaultSMTP" };
    }
    // Another user's values are taken as they are: editing applies no uniqueness test.
    void editingOnePage()
    {
        QFETCH(int, page);
        QFETCH(bool, defaults);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, writes);
        Setup s(true);
        s.writes.clear();
        s.p.CurrentUser = s.p.SetupUser = 1;
        s.p.EditingDefaults = defaults;
        const L typed = page == int(Page::CellEmail) ? L { "lamp@sms.example" }
                                                     : L { "Lamp", "" }.mid(0, shown.size());
        s.driver.then(s.wizard.page(Page(page)), [&](SetupPage &pg) {
            QCOMPARE(button(pg, "cmdNext")->text(), "&Apply");
            for (int i = 0; i < shown.size(); ++i)
                QCOMPARE(box(pg, i)->text(), shown.at(i));
            typeAndPress(pg, typed, "cmdNext");
        });
        s.run(Page(page));
        QCOMPARE(s.writes, writes);
        for (int i = 0; i < writes.size(); ++i)
            QCOMPARE(
                s.read(writes.at(i).section('/', 0, 0), writes.at(i).section('/', 1)), typed.at(i));
        QVERIFY(!s.p.EditingDefaults);
        QVERIFY(s.env.boxes.shown.isEmpty());
    }

    // The login name, or no name when it does not fit in 99 characters.
    void accountNameFits()
    {
        QCOMPARE(FitAccountName(" Bob "), " Bob ");
        QCOMPARE(FitAccountName(QString(99, 'x')), QString(99, 'x'));
        QCOMPARE(FitAccountName(QString(100, 'x')), QString());
        QVERIFY(!AccountNameGuess().isEmpty());
    }
};

QTEST_MAIN(TestSetupWizard)
#include "tst_setupwizard.moc"

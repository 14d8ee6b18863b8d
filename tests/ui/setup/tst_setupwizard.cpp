#include "WizardControls.h"
#include "app/Roster.h"
#include "ui/setup/AccountNameGuess.h"

using Answer = MessageBoxes::Answer;

namespace {

const QString Instruction = "If this is correct, click the %1 button below.  Otherwise, make any "
                            "necessary changes and click the %1 button.";
const QString NameTaken = " already exists.  Please select another name.";
const QString NoAddress = "Email Settings: Please enter your Email address in the form "
                          "name@domain, for example ada@example.com.";
const QString NoServer = "Email Settings: Please enter the address of your SMTP server, the "
                         "server your Email provider names for outgoing mail, for example "
                         "smtp.example.com.";
const QString NoPhone = "Cellular Phone Email: Please enter your cellular phone Email address in "
                        "the form number@domain, for example 5551234567@sms.carrier.example.";
const QString PhoneTaken = "User Name: lamp@sms.example has already been configured.  Please "
                           "select another cellular phone Email address.";
const QString Asked = "Abort Tolvane Setup?: Canceling Tolvane Setup will end the program.  Are "
                      "you sure you wish to cancel Tolvane Setup?";

// Users Desk (1) and Lamp (2), and defaults for new users.
struct Configured : WizardTest {
    Configured()
    {
        env.addUser(1, "Desk", "desk@sms.example", "desk@x.example", "smtp.desk.example");
        env.addUser(2, "Lamp", "lamp@sms.example", "lamp@x.example", "smtp.lamp.example");
        env.settings.WriteSetting("Options", "DefaultEmail", "office@x.example");
        env.settings.WriteSetting("Options", "DefaultSMTP", "smtp.x.example");
    }
};

} // namespace

class TestSetupWizard : public QObject {
    Q_OBJECT
private slots:
    // From an empty settings store to a configured user 1; Return is Next; Back shows the
    // name entered and keeps page 2's text (nothing was found to offer); nothing but the
    // defaults is written before Finish.
    void firstRunConfiguresUserOne()
    {
        WizardTest s;
        s.open(Mode::FirstRun, 1);
        QCOMPARE(look(s.wizard), "Tolvane - User Name|&Next|0|Tolvane guessed your User Name.");
        QCOMPARE(line(s.wizard, "instructionLabel"), Instruction.arg("Next"));
        QCOMPARE(shownTexts(s.wizard), L { "alice" });
        press(s.wizard, { "Alice Smith" }, nullptr);
        QTest::keyClick(s.wizard.currentPage()->boxes().first(), Qt::Key_Return);
        QCOMPARE(
            look(s.wizard), "Tolvane - Email Settings|&Next|1|Please enter your Email settings.");
        QCOMPARE(line(s.wizard, "instructionLabel"), Instruction.arg("Next"));
        press(s.wizard, { "typed@x.example" }, "backButton");
        QCOMPARE(shownTexts(s.wizard), L { "Alice Smith" });
        press(s.wizard, {});
        QCOMPARE(shownTexts(s.wizard), L({ "typed@x.example", "" }));
        press(s.wizard, { "alice@home.example", "smtp.home.example" });
        QCOMPARE(look(s.wizard), "Tolvane - Cellular Phone Email|&Finish|1|");
        QCOMPARE(s.writes, L({ "Options/DefaultEmail", "Options/DefaultSMTP" }));
        press(s.wizard, { "5550001111@sms.example" });
        QCOMPARE(s.writes,
            L({ "Options/DefaultEmail", "Options/DefaultSMTP", "User1/CellEmail", "User1/Name",
                "User1/Email", "User1/SMTP", "Options/Current User" }));
        // The user's values on disk: e2e/test_first_run.
        QCOMPARE(s.read("Options/DefaultSMTP"), "smtp.home.example");
        QVERIFY(!s.wizard.isVisible() && s.env.boxes.shown.isEmpty());
        QCOMPARE(s.ended, SetupWizard::Completed);
    }

    // The name must be new (an empty one too, while a free slot has none); Back from page 2
    // keeps nothing; the sender must be an address and the server named; the phone address
    // must be an address, and new (exact case).
    void addingUser()
    {
        Configured s;
        s.env.settings.DeleteSection("User1");
        s.env.addUser(3, "Desk", "desk@sms.example");
        s.open(Mode::AddUser, Roster::FirstFreeSlot(s.env.settings));
        QCOMPARE(look(s.wizard), "Tolvane - User Name|&Next|0|Please enter User Name.");
        for (const char *name : { "", "Lamp", "Chair" })
            press(s.wizard, { name });
        QCOMPARE(shownTexts(s.wizard), L({ "office@x.example", "smtp.x.example" }));
        press(s.wizard, { "left@x.example" }, "backButton");
        press(s.wizard, {});
        QCOMPARE(shownTexts(s.wizard).first(), "office@x.example");
        press(s.wizard, { "chair", "smtp.x.example" });
        press(s.wizard, { "chair@x.example", "  " });
        press(s.wizard, { "chair@x.example", "smtp.x.example" });
        QCOMPARE(shownTexts(s.wizard), L { "" });
        for (const char *phone : { "", "5551234567", "lamp@sms.example" })
            press(s.wizard, { phone });
        QVERIFY(s.writes.isEmpty());
        press(s.wizard, { "Lamp@sms.example" });
        QCOMPARE(s.boxes(),
            L({ "User Name: " + NameTaken, "User Name: Lamp" + NameTaken, NoAddress, NoServer,
                NoPhone, NoPhone, PhoneTaken }));
        QCOMPARE(s.env.boxes.shown.last().icon, MessageBoxes::Icon::Critical);
        QCOMPARE(s.writes, L({ "User1/CellEmail", "User1/Name", "User1/Email", "User1/SMTP" }));
        QCOMPARE(L({ s.read("User1/Name"), s.read("User1/Email"), s.read("User1/SMTP"),
                     s.read("User1/CellEmail") }),
            L({ "Chair", "chair@x.example", "smtp.x.example", "Lamp@sms.example" }));
    }

    // Cancel, Esc and the close box on page 3. A new user is dropped; the first run asks,
    // stays on No and is given up on Yes, the defaults written at page 2 staying (with no
    // user and no "Current User", the next start is a first run again).
    void cancel_data()
    {
        Columns<Mode, L, L, int, L>({ "mode", "ways", "answers", "outcome", "writes" });
        const int cancelled = SetupWizard::Cancelled;
        for (const char *way : { "cancelButton", "Esc", "close" })
            QTest::addRow("adding: %s", way)
                << Mode::AddUser << L { way } << L() << cancelled << L();
        QTest::newRow("first run: No, then Yes")
            << Mode::FirstRun << L { "cancelButton", "Esc" } << L { "No", "Yes" }
            << int(SetupWizard::Abandoned) << L { "Options/DefaultEmail", "Options/DefaultSMTP" };
    }
    void cancel()
    {
        QFETCH(Mode, mode);
        QFETCH(L, ways);
        QFETCH(L, answers);
        Configured s;
        for (const QString &answer : answers)
            s.env.boxes.queueAnswer(answer == "Yes" ? Answer::Yes : Answer::No);
        s.open(mode, mode == Mode::FirstRun ? 1 : 3);
        press(s.wizard, { "Chair" });
        press(s.wizard, { "chair@x.example", "smtp.x.example" });
        press(s.wizard, { "chair@sms.example" }, nullptr);
        for (const QString &way : ways) {
            QVERIFY(s.wizard.isVisible());
            if (way == "Esc")
                QTest::keyClick(s.wizard.currentPage()->boxes().first(), Qt::Key_Escape);
            else if (way == "close")
                s.wizard.close();
            else
                press(s.wizard, {}, "cancelButton");
        }
        QVERIFY(!s.wizard.isVisible());
        QTEST(s.ended, "outcome");
        QTEST(s.writes, "writes");
        QCOMPARE(s.boxes(), L(answers.size(), Asked));
        if (!answers.isEmpty())
            QCOMPARE(s.env.boxes.shown.first().buttons, MessageBoxes::Buttons::YesNo);
        // The next run starts afresh: nothing of the cancelled one is offered.
        s.open(Mode::AddUser, 3);
        QCOMPARE(shownTexts(s.wizard), L { "" });
    }

    void editingOnePage_data()
    {
        Columns<Mode, QString, L, L, L>({ "mode", "look", "shown", "typed", "writes" });
        const QString mail = "Tolvane - Email Settings|&Apply|0|Please enter your ";
        QTest::newRow("name") << Mode::EditName
                              << "Tolvane - User Name|&Apply|0|Please enter "
                                 "User Name."
                              << L { "Desk" } << L { "Lamp" } << L { "User1/Name" };
        QTest::newRow("mail") << Mode::EditMailServer << mail + "Email settings."
                              << L { "desk@x.example", "smtp.desk.example" }
                              << L { "lamp@x.example", "smtp.lamp.example" }
                              << L { "User1/Email", "User1/SMTP" };
        QTest::newRow("phone") << Mode::EditPhoneAddress
                               << "Tolvane - Cellular Phone Email|&Apply|0|"
                               << L { "desk@sms.example" } << L { "lamp@sms.example" }
                               << L { "User1/CellEmail" };
        QTest::newRow("defaults") << Mode::EditDefaults << mail + "Default Email settings."
                                  << L { "office@x.example", "smtp.x.example" } << L { "Lamp", "" }
                                  << L { "Options/DefaultEmail", "Options/DefaultSMTP" };
    }
    // One page alone, with Apply. Another user's values are taken as they are (editing
    // applies no uniqueness test), and the defaults need not be able to send.
    void editingOnePage()
    {
        QFETCH(Mode, mode);
        QFETCH(L, typed);
        QFETCH(L, writes);
        Configured s;
        s.open(mode, 1);
        QTEST(look(s.wizard), "look");
        if (mode != Mode::EditPhoneAddress)
            QCOMPARE(line(s.wizard, "instructionLabel"), Instruction.arg("Apply"));
        QTEST(shownTexts(s.wizard), "shown");
        press(s.wizard, typed);
        QCOMPARE(s.writes, writes);
        for (int i = 0; i < writes.size(); ++i)
            QCOMPARE(s.read(writes.at(i)), typed.at(i));
        QCOMPARE(s.ended, SetupWizard::Completed);
        QVERIFY(s.env.boxes.shown.isEmpty());
    }

    // The login name, or no name when it does not fit in 99 characters.
    void accountNameFits()
    {
        QCOMPARE(L({ FitAccountName(" Bob "), FitAccountName(QString(99, 'x')),
                     FitAccountName(QString(100, 'x')) }),
            L({ " Bob ", QString(99, 'x'), "" }));
        QVERIFY(!AccountNameGuess().isEmpty());
    }
};

QTEST_MAIN(TestSetupWizard)
#include "tst_setupwizard.moc"

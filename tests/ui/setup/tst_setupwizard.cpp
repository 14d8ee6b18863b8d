#include "PageDriver.h"
#include "app/Roster.h"
#include "support/TestEnvironment.h"
#include "ui/setup/FrmCellEmail.h"
#include "ui/setup/FrmLocalEmail.h"
#include "ui/setup/FrmUserName.h"
#include "ui/setup/SetupWizard.h"

#include <QDesktopServices>
#include <QFile>
#include <QtTest>

using Page = SetupWizard::Page;
using Answer = MessageBoxes::Answer;

namespace {

const QString Options = QStringLiteral("Options");
const QString NameTaken = QStringLiteral(" already exists.  Please select another name.");
const QString PhoneTaken = QStringLiteral(
    " has already been configured.  Please select another cellular phone Email address.");

QString instruction(const QString &word)
{
    return QStringLiteral("If this is correct, click the %1 button below.  Otherwise, make any "
                          "necessary changes and click the %1 button.")
        .arg(word);
}

// A program with its own settings, a wizard whose account-name guess is "alice", and a
// record of every settings write and every attempt to end the program.
struct Setup {
    Setup()
    {
        wizard.accountName = [] { return QStringLiteral("alice"); };
        wizard.endProgram = [this] { ++programEnds; };
        env.settings.written = [this](const QString &section, const QString &key) {
            writes << section + QLatin1Char('/') + key;
        };
    }
    QString read(const QString &section, const QString &key)
    {
        return env.settings.ReadSetting(section, key, QStringLiteral("<absent>"));
    }
    // Runs the wizard from the given page; returns when it has ended.
    void run(Page first)
    {
        wizard.Open(first);
        QVERIFY2(driver.failure.isEmpty(), qPrintable(driver.failure));
        QVERIFY(driver.finished());
        for (Page p : { Page::UserName, Page::LocalEmail, Page::CellEmail })
            QVERIFY(!wizard.page(p).isVisible());
    }
    SetupPage &name() { return wizard.frmUserName(); }
    SetupPage &mail() { return wizard.frmLocalEmail(); }
    SetupPage &cell() { return wizard.frmCellEmail(); }

    TestEnvironment env;
    Program &p = env.program;
    SetupWizard wizard { env.program };
    PageDriver driver;
    QStringList writes;
    int programEnds = 0;
};

} // namespace

class TestSetupWizard : public QObject {
    Q_OBJECT
public slots:
    void openHelp(const QUrl &url) { openedHelp << url; }

private:
    QList<QUrl> openedHelp;

private slots:
    void firstRunConfiguresUserOne();
    void backKeepsWhatWasConfirmed();
    void pageOneName_data();
    void pageOneName();
    void addingUserRefusesTakenPhoneAddresses();
    void addingUserPageTwoShowsDefaults();
    void cancelWhileAddingWritesNothing_data();
    void cancelWhileAddingWritesNothing();
    void firstRunCancelEndsProgram();
    void editingDefaultsWritesOnlyDefaults();
    void editingOnePage_data();
    void editingOnePage();
    void mailAccountGuess_data();
    void mailAccountGuess();
    void doubleClickSelects_data();
    void doubleClickSelects();
    void help_data();
    void help();
};

void TestSetupWizard::firstRunConfiguresUserOne()
{
    Setup s;
    s.p.FirstRun = true;
    s.p.SetupUser = 1;
    s.driver
        .then(s.name(),
            [&](SetupPage &page) {
                QCOMPARE(info(page, 0)->text(), QStringLiteral("Tolvane guessed your User Name."));
                QCOMPARE(box(page, 0)->text(), QStringLiteral("alice"));
                QCOMPARE(button(page, "cmdNext")->text(), QStringLiteral("&Next"));
                QCOMPARE(info(page, 4)->text(), instruction(QStringLiteral("Next")));
                type(page, 0, QStringLiteral("Alice Smith"));
                QTest::keyClick(box(page, 0), Qt::Key_Return); // the default button
            })
        .then(s.mail(),
            [&](SetupPage &page) {
                QCOMPARE(
                    info(page, 5)->text(), QStringLiteral("Please enter your Email settings."));
                QVERIFY(box(page, 0)->text().isEmpty());
                QVERIFY(box(page, 1)->text().isEmpty());
                QVERIFY(button(page, "cmdBack")->isVisible());
                type(page, 0, QStringLiteral("alice@home.example"));
                type(page, 1, QStringLiteral("smtp.home.example"));
                click(page, "cmdNext");
            })
        .then(s.cell(), [&](SetupPage &page) {
            QCOMPARE(button(page, "cmdNext")->text(), QStringLiteral("&Finish"));
            QVERIFY(button(page, "cmdBack")->isVisible());
            QVERIFY(box(page, 0)->text().isEmpty());
            type(page, 0, QStringLiteral("5550001111@sms.example"));
            click(page, "cmdNext");
        });
    s.run(Page::UserName);

    QCOMPARE(s.writes,
        QStringList({ "Options/DefaultEmail", "Options/DefaultSMTP", "User1/CellEmail",
            "User1/Name", "User1/Email", "User1/SMTP", "Options/Current User" }));
    QCOMPARE(s.read(Options, "Current User"), QStringLiteral("1"));
    QCOMPARE(s.read(Options, "DefaultEmail"), QStringLiteral("alice@home.example"));
    QCOMPARE(s.read(Options, "DefaultSMTP"), QStringLiteral("smtp.home.example"));
    QCOMPARE(s.read("User1", "Name"), QStringLiteral("Alice Smith"));
    QCOMPARE(s.read("User1", "Email"), QStringLiteral("alice@home.example"));
    QCOMPARE(s.read("User1", "SMTP"), QStringLiteral("smtp.home.example"));
    QCOMPARE(s.read("User1", "CellEmail"), QStringLiteral("5550001111@sms.example"));
    QVERIFY(s.p.PendingName.isEmpty() && s.p.PendingEmail.isEmpty() && s.p.PendingSMTP.isEmpty());
    QCOMPARE(s.programEnds, 0);
    QVERIFY(s.env.boxes.shown.isEmpty());
}

void TestSetupWizard::backKeepsWhatWasConfirmed()
{
    Setup s;
    s.p.FirstRun = true;
    s.p.SetupUser = 1;
    s.driver
        .then(s.name(),
            [](SetupPage &page) {
                type(page, 0, QStringLiteral("Bob"));
                click(page, "cmdNext");
            })
        .then(s.mail(),
            [](SetupPage &page) {
                type(page, 0, QStringLiteral("bob@x.example"));
                click(page, "cmdBack");
            })
        .then(s.name(),
            [](SetupPage &page) {
                // The confirmed name, not the account-name guess.
                QCOMPARE(box(page, 0)->text(), QStringLiteral("Bob"));
                click(page, "cmdNext");
            })
        .then(s.mail(),
            [](SetupPage &page) {
                // No mail account found: the box keeps what it held.
                QCOMPARE(box(page, 0)->text(), QStringLiteral("bob@x.example"));
                click(page, "cmdNext");
            })
        .then(s.cell(),
            [](SetupPage &page) {
                type(page, 0, QStringLiteral("first@sms.example"));
                click(page, "cmdBack");
            })
        .then(s.mail(),
            [](SetupPage &page) {
                QCOMPARE(box(page, 0)->text(), QStringLiteral("bob@x.example"));
                click(page, "cmdNext");
            })
        .then(s.cell(), [](SetupPage &page) {
            QCOMPARE(box(page, 0)->text(), QString()); // nothing was written yet
            type(page, 0, QStringLiteral("bob@sms.example"));
            click(page, "cmdNext");
        });
    s.run(Page::UserName);
    QCOMPARE(s.read("User1", "Name"), QStringLiteral("Bob"));
    QCOMPARE(s.read("User1", "CellEmail"), QStringLiteral("bob@sms.example"));
    QCOMPARE(s.writes.count("Options/DefaultEmail"), 2); // once per Next on page 2
}

void TestSetupWizard::pageOneName_data()
{
    QTest::addColumn<bool>("firstRun");
    QTest::addColumn<bool>("adding");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("refusal");

    QTest::newRow("adding, empty name") << false << true << "" << NameTaken;
    QTest::newRow("adding, taken name") << false << true << "Desk"
                                        << "Desk" + NameTaken;
    QTest::newRow("adding, other case") << false << true << "desk"
                                        << "";
    QTest::newRow("first run, empty name") << true << false << "" << NameTaken;
    QTest::newRow("editing, empty name") << false << false << ""
                                         << "";
    QTest::newRow("editing, another's name") << false << false << "Lamp"
                                             << "";
}

void TestSetupWizard::pageOneName()
{
    QFETCH(bool, firstRun);
    QFETCH(bool, adding);
    QFETCH(QString, typed);
    QFETCH(QString, refusal);
    Setup s;
    if (!firstRun) {
        s.env.addUser(1, QStringLiteral("Desk"), QStringLiteral("1@sms.example"));
        s.env.addUser(2, QStringLiteral("Lamp"), QStringLiteral("2@sms.example"));
    }
    s.writes.clear();
    s.p.FirstRun = firstRun;
    s.p.AddingUser = adding;
    s.p.CurrentUser = 1;
    s.p.SetupUser = firstRun ? 1 : adding ? 3 : 1;
    s.env.boxes.queueAnswer(Answer::Yes); // the first run's cancel question
    bool stayed = false;
    s.driver.then(s.name(), [&](SetupPage &page) {
        type(page, 0, typed);
        click(page, "cmdNext");
        if (!refusal.isEmpty()) {
            stayed = page.isVisible();
            click(page, "cmdCancel");
        }
    });
    if (refusal.isEmpty() && adding)
        s.driver.then(s.mail(), [](SetupPage &page) { click(page, "cmdCancel"); });
    s.run(Page::UserName);

    if (!refusal.isEmpty()) {
        QVERIFY(stayed);
        QVERIFY(!s.env.boxes.shown.isEmpty());
        const auto shown = s.env.boxes.shown.first();
        QCOMPARE(shown.title, QStringLiteral("User Name"));
        QCOMPARE(shown.text, refusal);
        QCOMPARE(shown.icon, MessageBoxes::Icon::Critical);
        QCOMPARE(shown.buttons, MessageBoxes::Buttons::Ok);
        QCOMPARE(s.writes, QStringList());
    } else if (!adding) {
        QCOMPARE(s.writes, QStringList({ "User1/Name" }));
        QCOMPARE(s.read("User1", "Name"), typed);
    } else {
        QCOMPARE(s.writes, QStringList()); // reached page 2, cancelled there
        QVERIFY(s.env.boxes.shown.isEmpty());
    }
}

void TestSetupWizard::addingUserRefusesTakenPhoneAddresses()
{
    Setup s;
    s.env.addUser(1, QStringLiteral("Desk"), QStringLiteral("desk@sms.example"));
    s.env.settings.WriteSetting(Options, "DefaultEmail", "office@x.example");
    s.env.settings.WriteSetting(Options, "DefaultSMTP", "smtp.x.example");
    s.writes.clear();
    s.p.AddingUser = true;
    s.p.SetupUser = Roster::FirstFreeSlot(s.env.settings);
    QCOMPARE(s.p.SetupUser, 2);
    s.driver
        .then(s.name(),
            [](SetupPage &page) {
                QCOMPARE(info(page, 0)->text(), QStringLiteral("Please enter User Name."));
                QCOMPARE(box(page, 0)->text(), QString()); // no guess while adding
                type(page, 0, QStringLiteral("Lamp"));
                click(page, "cmdNext");
            })
        .then(s.mail(), [](SetupPage &page) { click(page, "cmdNext"); })
        .then(s.cell(), [&](SetupPage &page) {
            QCOMPARE(box(page, 0)->text(), QString());
            click(page, "cmdNext"); // empty: slot 3 has no address either
            type(page, 0, QStringLiteral("desk@sms.example"));
            click(page, "cmdNext");
            QVERIFY(page.isVisible());
            type(page, 0, QStringLiteral("Desk@sms.example")); // another address
            click(page, "cmdNext");
        });
    s.run(Page::UserName);

    QCOMPARE(s.env.boxes.shown.size(), 2);
    QCOMPARE(s.env.boxes.shown.at(0).text, PhoneTaken);
    QCOMPARE(s.env.boxes.shown.at(1).text, "desk@sms.example" + PhoneTaken);
    QCOMPARE(s.env.boxes.shown.at(1).title, QStringLiteral("User Name"));
    QCOMPARE(
        s.writes, QStringList({ "User2/CellEmail", "User2/Name", "User2/Email", "User2/SMTP" }));
    QCOMPARE(s.read("User2", "Name"), QStringLiteral("Lamp"));
    QCOMPARE(s.read("User2", "Email"), QStringLiteral("office@x.example"));
    QCOMPARE(s.read("User2", "SMTP"), QStringLiteral("smtp.x.example"));
    QCOMPARE(s.read("User2", "CellEmail"), QStringLiteral("Desk@sms.example"));
}

void TestSetupWizard::addingUserPageTwoShowsDefaults()
{
    Setup s;
    s.env.addUser(1, QStringLiteral("Desk"), QStringLiteral("desk@sms.example"));
    s.env.settings.WriteSetting(Options, "DefaultEmail", "office@x.example");
    s.env.settings.WriteSetting(Options, "DefaultSMTP", "smtp.x.example");
    s.p.AddingUser = true;
    s.p.SetupUser = 2;
    s.driver.then(s.name(), [](SetupPage &page) {
        type(page, 0, QStringLiteral("Lamp"));
        click(page, "cmdNext");
    });
    s.driver
        .then(s.mail(),
            [](SetupPage &page) {
                QCOMPARE(box(page, 0)->text(), QStringLiteral("office@x.example"));
                QCOMPARE(box(page, 1)->text(), QStringLiteral("smtp.x.example"));
                type(page, 0, QStringLiteral("typed@x.example"));
                click(page, "cmdBack");
            })
        .then(s.name(), [](SetupPage &page) { click(page, "cmdNext"); })
        .then(s.mail(),
            [](SetupPage &page) {
                // Back stored nothing: the defaults again.
                QCOMPARE(box(page, 0)->text(), QStringLiteral("office@x.example"));
                type(page, 0, QStringLiteral("lamp@x.example"));
                click(page, "cmdNext");
            })
        .then(s.cell(), [](SetupPage &page) { click(page, "cmdBack"); })
        .then(s.mail(), [](SetupPage &page) {
            // Confirmed with Next: the pending address wins over the default.
            QCOMPARE(box(page, 0)->text(), QStringLiteral("lamp@x.example"));
            click(page, "cmdCancel");
        });
    s.run(Page::UserName);
    QVERIFY(!Roster::IsConfigured(s.env.settings, 2));
}

void TestSetupWizard::cancelWhileAddingWritesNothing_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("cancel button") << 0;
    QTest::newRow("escape") << 1;
    QTest::newRow("close box") << 2;
}

void TestSetupWizard::cancelWhileAddingWritesNothing()
{
    QFETCH(int, how);
    Setup s;
    s.env.addUser(1, QStringLiteral("Desk"), QStringLiteral("desk@sms.example"));
    s.writes.clear();
    s.p.AddingUser = true;
    s.p.SetupUser = 2;
    s.driver
        .then(s.name(),
            [](SetupPage &page) {
                type(page, 0, QStringLiteral("Lamp"));
                click(page, "cmdNext");
            })
        .then(s.mail(),
            [](SetupPage &page) {
                type(page, 0, QStringLiteral("lamp@x.example"));
                click(page, "cmdNext");
            })
        .then(s.cell(), [how](SetupPage &page) {
            type(page, 0, QStringLiteral("lamp@sms.example"));
            if (how == 0)
                click(page, "cmdCancel");
            else if (how == 1)
                QTest::keyClick(box(page, 0), Qt::Key_Escape);
            else
                page.close();
        });
    s.run(Page::UserName);
    QCOMPARE(s.writes, QStringList());
    QVERIFY(!Roster::IsConfigured(s.env.settings, 2));
    QVERIFY(s.p.PendingName.isEmpty() && s.p.PendingEmail.isEmpty() && s.p.PendingSMTP.isEmpty());
}

void TestSetupWizard::firstRunCancelEndsProgram()
{
    Setup s;
    s.p.FirstRun = true;
    s.p.SetupUser = 1;
    s.env.boxes.queueAnswer(Answer::No);
    s.env.boxes.queueAnswer(Answer::Yes);
    bool stayedAfterNo = false;
    s.driver.then(s.name(), [](SetupPage &page) { click(page, "cmdNext"); })
        .then(s.mail(),
            [](SetupPage &page) {
                type(page, 0, QStringLiteral("a@x.example"));
                type(page, 1, QStringLiteral("smtp.x.example"));
                click(page, "cmdNext");
            })
        .then(s.cell(), [&](SetupPage &page) {
            type(page, 0, QStringLiteral("a@sms.example"));
            click(page, "cmdCancel");
            stayedAfterNo = page.isVisible();
            QTest::keyClick(box(page, 0), Qt::Key_Escape);
        });
    s.run(Page::UserName);

    QVERIFY(stayedAfterNo);
    QCOMPARE(s.programEnds, 1);
    QVERIFY(s.wizard.Abandoned());
    QCOMPARE(s.env.boxes.shown.size(), 2);
    const auto asked = s.env.boxes.shown.first();
    QCOMPARE(asked.title, QStringLiteral("Abort Tolvane Setup?"));
    QCOMPARE(asked.text,
        QStringLiteral("Canceling Tolvane Setup will end the program.  Are you sure you wish to "
                       "cancel Tolvane Setup?"));
    QCOMPARE(asked.icon, MessageBoxes::Icon::None);
    QCOMPARE(asked.buttons, MessageBoxes::Buttons::YesNo);
    // The defaults stay; no user and no "Current User": the next start is a first run.
    QCOMPARE(s.writes, QStringList({ "Options/DefaultEmail", "Options/DefaultSMTP" }));
    QCOMPARE(s.read(Options, "DefaultEmail"), QStringLiteral("a@x.example"));
    QCOMPARE(s.env.settings.ReadSetting(Options, "Current User", "0"), QStringLiteral("0"));
    QVERIFY(!Roster::IsConfigured(s.env.settings, 1));
}

void TestSetupWizard::editingDefaultsWritesOnlyDefaults()
{
    Setup s;
    s.env.addUser(1, "Desk", "desk@sms.example", "desk@x.example", "smtp.desk.example");
    s.env.settings.WriteSetting(Options, "DefaultEmail", "old@x.example");
    s.env.settings.WriteSetting(Options, "DefaultSMTP", "smtp.old.example");
    s.writes.clear();
    s.p.CurrentUser = 1;
    s.p.SetupUser = 1;
    s.p.EditingDefaults = true;
    s.driver.then(s.mail(), [](SetupPage &page) {
        QCOMPARE(
            info(page, 5)->text(), QStringLiteral("Please enter your Default Email settings."));
        QCOMPARE(info(page, 1)->text(), instruction(QStringLiteral("Apply")));
        QVERIFY(!button(page, "cmdBack")->isVisible());
        QCOMPARE(box(page, 0)->text(), QStringLiteral("old@x.example"));
        QCOMPARE(box(page, 1)->text(), QStringLiteral("smtp.old.example"));
        type(page, 0, QStringLiteral("new@x.example"));
        type(page, 1, QStringLiteral("smtp.new.example"));
        QTest::keyClick(box(page, 1), Qt::Key_Enter);
    });
    s.run(Page::LocalEmail);
    QCOMPARE(s.writes, QStringList({ "Options/DefaultEmail", "Options/DefaultSMTP" }));
    QCOMPARE(s.read(Options, "DefaultSMTP"), QStringLiteral("smtp.new.example"));
    QCOMPARE(s.read("User1", "Email"), QStringLiteral("desk@x.example"));
    QVERIFY(!s.p.EditingDefaults);
}

void TestSetupWizard::editingOnePage_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QStringList>("writes");

    QTest::newRow("name, another user's") << int(Page::UserName) << QStringList { "Desk" }
                                          << QStringList { "Lamp" } << QStringList { "User1/Name" };
    QTest::newRow("email settings")
        << int(Page::LocalEmail) << QStringList { "desk@x.example", "smtp.desk.example" }
        << QStringList { "d@y.example", "" } << QStringList { "User1/Email", "User1/SMTP" };
    QTest::newRow("phone, another user's")
        << int(Page::CellEmail) << QStringList { "desk@sms.example" }
        << QStringList { "lamp@sms.example" } << QStringList { "User1/CellEmail" };
}

void TestSetupWizard::editingOnePage()
{
    QFETCH(int, page);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, writes);
    Setup s;
    s.env.addUser(1, "Desk", "desk@sms.example", "desk@x.example", "smtp.desk.example");
    s.env.addUser(2, "Lamp", "lamp@sms.example", "lamp@x.example", "smtp.lamp.example");
    s.writes.clear();
    s.p.CurrentUser = 1;
    s.p.SetupUser = 1;
    SetupPage &edited = s.wizard.page(Page(page));
    s.driver.then(edited, [&](SetupPage &pg) {
        QCOMPARE(button(pg, "cmdNext")->text(), QStringLiteral("&Apply"));
        if (QPushButton *back = button(pg, "cmdBack"))
            QVERIFY(!back->isVisible());
        for (int i = 0; i < shown.size(); ++i) {
            QCOMPARE(box(pg, i)->text(), shown.at(i));
            type(pg, i, typed.at(i));
        }
        click(pg, "cmdNext");
    });
    s.run(Page(page));
    QCOMPARE(s.writes, writes);
    for (int i = 0; i < writes.size(); ++i)
        QCOMPARE(s.read("User1", writes.at(i).section('/', 1)), typed.at(i));
    QVERIFY(s.env.boxes.shown.isEmpty());
}

void TestSetupWizard::mailAccountGuess_data()
{
    QTest::addColumn<bool>("addressFound");
    QTest::addColumn<bool>("serverFound");
    QTest::addColumn<QString>("pendingEmail");
    QTest::addColumn<QString>("pendingSMTP");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QString>("status");

    const QString asked = QStringLiteral("Please enter your Email settings.");
    const QString guessed = QStringLiteral("Tolvane guessed your Email settings.");
    QTest::newRow("nothing found") << false << false << ""
                                   << ""
                                   << "held@x"
                                   << "held.smtp" << asked;
    QTest::newRow("account found") << true << true << ""
                                   << ""
                                   << "found@x"
                                   << "found.smtp" << guessed;
    QTest::newRow("confirmed values win") << true << true << "mine@x"
                                          << "mine.smtp"
                                          << "mine@x"
                                          << "mine.smtp" << guessed;
    QTest::newRow("empty confirmed server gives way") << true << true << "mine@x"
                                                      << ""
                                                      << "mine@x"
                                                      << "found.smtp" << guessed;
    QTest::newRow("no server in the account") << true << false << ""
                                              << ""
                                              << "found@x"
                                              << "held.smtp" << guessed;
    QTest::newRow("confirmed, nothing found") << false << false << "mine@x"
                                              << "mine.smtp"
                                              << "held@x"
                                              << "mine.smtp" << asked;
}

void TestSetupWizard::mailAccountGuess()
{
    QFETCH(bool, addressFound);
    QFETCH(bool, serverFound);
    QFETCH(QString, pendingEmail);
    QFETCH(QString, pendingSMTP);
    QFETCH(QString, address);
    QFETCH(QString, server);
    QFETCH(QString, status);
    Setup s;
    s.p.FirstRun = true;
    s.p.SetupUser = 1;
    s.wizard.mailAccountGuess = [&] {
        return MailAccount { addressFound, QStringLiteral("found@x"), serverFound,
            QStringLiteral("found.smtp") };
    };
    // What the boxes held from an earlier showing.
    box(s.mail(), 0)->setText(QStringLiteral("held@x"));
    box(s.mail(), 1)->setText(QStringLiteral("held.smtp"));
    s.p.PendingEmail = pendingEmail;
    s.p.PendingSMTP = pendingSMTP;
    s.env.boxes.queueAnswer(Answer::Yes);
    s.driver.then(s.mail(), [&](SetupPage &page) {
        QCOMPARE(box(page, 0)->text(), address);
        QCOMPARE(box(page, 1)->text(), server);
        QCOMPARE(info(page, 5)->text(), status);
        click(page, "cmdCancel");
    });
    s.run(Page::LocalEmail);
    QCOMPARE(s.programEnds, 1);
}

void TestSetupWizard::doubleClickSelects_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("selected");
    QTest::newRow("short") << 7 << 7;
    QTest::newRow("exactly 100") << 100 << 100;
    QTest::newRow("longer") << 150 << 100;
}

void TestSetupWizard::doubleClickSelects()
{
    QFETCH(int, length);
    QFETCH(int, selected);
    Setup s;
    SetupPage &page = s.mail();
    page.show();
    QString text;
    for (int i = 0; i < length; ++i)
        text += QLatin1Char(i % 7 == 3 ? ' ' : 'a' + i % 26); // words, so no word selection
    box(page, 1)->setText(text);
    box(page, 1)->setCursorPosition(length);
    QTest::mouseDClick(box(page, 1), Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(box(page, 1)->selectionStart(), 0);
    QCOMPARE(box(page, 1)->selectedText(), text.left(selected));
    page.hide();
}

void TestSetupWizard::help_data()
{
    QTest::addColumn<bool>("present");
    QTest::newRow("help page present") << true;
    QTest::newRow("no help page") << false;
}

void TestSetupWizard::help()
{
    QFETCH(bool, present);
    Setup s;
    const QString path = s.env.dataDir() + QStringLiteral("Tolvane.html");
    if (present) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<html></html>");
    }
    openedHelp.clear();
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openHelp");
    click(s.cell(), "cmdHelp");
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(openedHelp, present ? QList<QUrl> { QUrl::fromLocalFile(path) } : QList<QUrl>());
}

QTEST_MAIN(TestSetupWizard)
#include "tst_setupwizard.moc"

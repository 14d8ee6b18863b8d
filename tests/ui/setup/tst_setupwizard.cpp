#include "PageDriver.h"
#include "app/Roster.h"
#include "support/TestEnvironment.h"
#include "ui/setup/AccountNameGuess.h"
#include "ui/setup/FrmCellEmail.h"
#include "ui/setup/FrmLocalEmail.h"
#include "ui/setup/FrmUserName.h"
#include "ui/setup/SetupWizard.h"

#include <QDesktopServices>
#include <QtTest>

using Page = SetupWizard::Page;
using Answer = MessageBoxes::Answer;

namespace {

const QString NameTaken = QStringLiteral(" already exists.  Please select another name.");
const QString PhoneTaken = QStringLiteral(
    " has already been configured.  Please select another cellular phone Email address.");

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
    void addUsers()
    {
        env.addUser(1, "Desk", "desk@sms.example", "desk@x.example", "smtp.desk.example");
        env.addUser(2, "Lamp", "lamp@sms.example", "lamp@x.example", "smtp.lamp.example");
        env.settings.WriteSetting("Options", "DefaultEmail", "office@x.example");
        env.settings.WriteSetting("Options", "DefaultSMTP", "smtp.x.example");
        writes.clear();
    }
    // Runs the wizard from the given page; returns when it has ended.
    void run(Page first)
    {
        wizard.Open(first);
        QVERIFY2(driver.failure.isEmpty(), qPrintable(driver.failure));
        QVERIFY(driver.finished());
        QVERIFY(!name().isVisible() && !mail().isVisible() && !cell().isVisible());
    }
    SetupPage &name() { return wizard.frmUserName(); }
    SetupPage &mail() { return wizard.frmLocalEmail(); }
    SetupPage &cell() { return wizard.frmCellEmail(); }
    bool nothingPending() const
    {
        return p.PendingName.isEmpty() && p.PendingEmail.isEmpty() && p.PendingSMTP.isEmpty();
    }

    TestEnvironment env;
    Program &p = env.program;
    SetupWizard wizard { env.program };
    PageDriver driver;
    QStringList writes;
    int programEnds = 0;
};

PageDriver::Action typeAndPress(QStringList texts, const char *buttonName)
{
    return [texts, buttonName](SetupPage &page) {
        for (int i = 0; i < texts.size(); ++i)
            type(page, i, texts.at(i));
        click(page, buttonName);
    };
}

} // namespace

class TestSetupWizard : public QObject {
    Q_OBJECT
public slots:
    void openHelp(const QUrl &url) { openedHelp << url; }

private:
    QList<QUrl> openedHelp;

private slots:
    void firstRunConfiguresUserOne();
    void pageOneName_data();
    void pageOneName();
    void addingUser();
    void cancelWhileAddingWritesNothing_data();
    void cancelWhileAddingWritesNothing();
    void firstRunCancelEndsProgram();
    void editingOnePage_data();
    void editingOnePage();
    void mailAccountGuess_data();
    void mailAccountGuess();
    void doubleClickSelects();
    void helpOpensOnlyAnExistingPage();
    void accountNameFits();
};

void TestSetupWizard::firstRunConfiguresUserOne()
{
    Setup s;
    s.p.FirstRun = true;
    s.p.SetupUser = 1;
    s.driver
        .then(s.name(),
            [](SetupPage &page) {
                QCOMPARE(info(page, 0)->text(), QStringLiteral("Tolvane guessed your User Name."));
                QCOMPARE(box(page, 0)->text(), QStringLiteral("alice"));
                QCOMPARE(info(page, 4)->text(),
                    QStringLiteral("If this is correct, click the Next button below.  Otherwise, "
                                   "make any necessary changes and click the Next button."));
                type(page, 0, QStringLiteral("Alice Smith"));
                QTest::keyClick(box(page, 0), Qt::Key_Return); // the default button
            })
        .then(s.mail(), typeAndPress({ "typed@x.example" }, "cmdBack"))
        .then(s.name(),
            [](SetupPage &page) {
                QCOMPARE(box(page, 0)->text(), QStringLiteral("Alice Smith")); // not the guess
                click(page, "cmdNext");
            })
        .then(s.mail(),
            [](SetupPage &page) {
                // No mail account found: the boxes keep what they held.
                QCOMPARE(
                    info(page, 5)->text(), QStringLiteral("Please enter your Email settings."));
                QCOMPARE(box(page, 0)->text(), QStringLiteral("typed@x.example"));
                typeAndPress({ "alice@home.example", "smtp.home.example" }, "cmdNext")(page);
            })
        .then(s.cell(), [](SetupPage &page) {
            QCOMPARE(button(page, "cmdNext")->text(), QStringLiteral("&Finish"));
            typeAndPress({ "5550001111@sms.example" }, "cmdNext")(page);
        });
    s.run(Page::UserName);

    QCOMPARE(s.writes,
        QStringList({ "Options/DefaultEmail", "Options/DefaultSMTP", "User1/CellEmail",
            "User1/Name", "User1/Email", "User1/SMTP", "Options/Current User" }));
    QCOMPARE(s.read("Options", "Current User"), QStringLiteral("1"));
    QCOMPARE(s.read("Options", "DefaultSMTP"), QStringLiteral("smtp.home.example"));
    QCOMPARE(s.read("User1", "Name"), QStringLiteral("Alice Smith"));
    QCOMPARE(s.read("User1", "Email"), QStringLiteral("alice@home.example"));
    QCOMPARE(s.read("User1", "CellEmail"), QStringLiteral("5550001111@sms.example"));
    QVERIFY(s.nothingPending());
    QVERIFY(s.env.boxes.shown.isEmpty());
}

void TestSetupWizard::pageOneName_data()
{
    QTest::addColumn<bool>("adding");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("refusal");

    QTest::newRow("adding, empty name") << true << "" << NameTaken;
    QTest::newRow("adding, taken name") << true << "Lamp"
                                        << "Lamp" + NameTaken;
    QTest::newRow("adding, other case") << true << "lamp"
                                        << "";
    QTest::newRow("editing, empty name") << false << ""
                                         << "";
    QTest::newRow("editing, another's name") << false << "Lamp"
                                             << "";
}

void TestSetupWizard::pageOneName()
{
    QFETCH(bool, adding);
    QFETCH(QString, typed);
    QFETCH(QString, refusal);
    Setup s;
    s.addUsers();
    s.p.AddingUser = adding;
    s.p.SetupUser = adding ? 3 : 1;
    bool stayed = false;
    s.driver.then(s.name(), [&](SetupPage &page) {
        typeAndPress({ typed }, "cmdNext")(page);
        stayed = page.isVisible();
        if (stayed)
            click(page, "cmdCancel");
    });
    if (refusal.isEmpty() && adding)
        s.driver.then(s.mail(), [](SetupPage &page) { click(page, "cmdCancel"); });
    s.run(Page::UserName);

    QCOMPARE(stayed, !refusal.isEmpty());
    QCOMPARE(s.env.boxes.shown.size(), refusal.isEmpty() ? 0 : 1);
    if (!refusal.isEmpty()) {
        const auto shown = s.env.boxes.shown.first();
        QCOMPARE(shown.title, QStringLiteral("User Name"));
        QCOMPARE(shown.text, refusal);
        QCOMPARE(shown.icon, MessageBoxes::Icon::Critical);
    }
    // Editing writes at once; the wizard writes nothing before Finish.
    QCOMPARE(s.writes, adding ? QStringList() : QStringList { "User1/Name" });
    if (!adding)
        QCOMPARE(s.read("User1", "Name"), typed);
}

void TestSetupWizard::addingUser()
{
    Setup s;
    s.addUsers();
    s.env.settings.DeleteSection("User1");
    s.env.addUser(3, "Desk", "desk@sms.example");
    s.writes.clear();
    s.p.AddingUser = true;
    s.p.SetupUser = Roster::FirstFreeSlot(s.env.settings);
    s.driver.then(s.name(), typeAndPress({ "Chair" }, "cmdNext"))
        .then(s.mail(),
            [](SetupPage &page) {
                QCOMPARE(box(page, 0)->text(), QStringLiteral("office@x.example"));
                typeAndPress({ "left@x.example" }, "cmdBack")(page);
            })
        .then(s.name(), [](SetupPage &page) { click(page, "cmdNext"); })
        .then(s.mail(),
            [](SetupPage &page) {
                // Back stored nothing: the defaults again.
                QCOMPARE(box(page, 0)->text(), QStringLiteral("office@x.example"));
                QCOMPARE(box(page, 1)->text(), QStringLiteral("smtp.x.example"));
                typeAndPress({ "chair@x.example" }, "cmdNext")(page);
            })
        .then(s.cell(), [](SetupPage &page) {
            QCOMPARE(box(page, 0)->text(), QString());
            click(page, "cmdNext"); // empty, as the free slots' addresses
            typeAndPress({ "lamp@sms.example" }, "cmdNext")(page);
            typeAndPress({ "Lamp@sms.example" }, "cmdNext")(page);
        });
    s.run(Page::UserName);

    QCOMPARE(s.env.boxes.shown.size(), 2);
    QCOMPARE(s.env.boxes.shown.at(0).text, PhoneTaken);
    QCOMPARE(s.env.boxes.shown.at(1).text, "lamp@sms.example" + PhoneTaken);
    QCOMPARE(
        s.writes, QStringList({ "User1/CellEmail", "User1/Name", "User1/Email", "User1/SMTP" }));
    QCOMPARE(s.read("User1", "Name"), QStringLiteral("Chair"));
    QCOMPARE(s.read("User1", "Email"), QStringLiteral("chair@x.example"));
    QCOMPARE(s.read("User1", "SMTP"), QStringLiteral("smtp.x.example"));
    QCOMPARE(s.read("User1", "CellEmail"), QStringLiteral("Lamp@sms.example"));
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
    s.addUsers();
    s.p.AddingUser = true;
    s.p.SetupUser = 3;
    s.driver.then(s.name(), typeAndPress({ "Chair" }, "cmdNext"))
        .then(s.mail(), typeAndPress({ "chair@x.example" }, "cmdNext"))
        .then(s.cell(), [how](SetupPage &page) {
            type(page, 0, QStringLiteral("chair@sms.example"));
            if (how == 0)
                click(page, "cmdCancel");
            else if (how == 1)
                QTest::keyClick(box(page, 0), Qt::Key_Escape);
            else
                page.close();
        });
    s.run(Page::UserName);
    QCOMPARE(s.writes, QStringList());
    QVERIFY(!Roster::IsConfigured(s.env.settings, 3));
    QVERIFY(s.nothingPending());
}

void TestSetupWizard::firstRunCancelEndsProgram()
{
    Setup s;
    s.p.FirstRun = true;
    s.p.SetupUser = 1;
    s.env.boxes.queueAnswer(Answer::No);
    s.env.boxes.queueAnswer(Answer::Yes);
    bool stayedAfterNo = false;
    s.driver.then(s.name(), typeAndPress({ "Alice" }, "cmdNext"))
        .then(s.mail(), typeAndPress({ "a@x.example", "smtp.x.example" }, "cmdNext"))
        .then(s.cell(), [&](SetupPage &page) {
            typeAndPress({ "a@sms.example" }, "cmdCancel")(page);
            stayedAfterNo = page.isVisible();
            QTest::keyClick(box(page, 0), Qt::Key_Escape);
        });
    s.run(Page::UserName);

    QVERIFY(stayedAfterNo);
    QCOMPARE(s.programEnds, 1);
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
    QCOMPARE(s.env.settings.ReadSetting("Options", "Current User", "0"), QStringLiteral("0"));
    QVERIFY(!Roster::IsConfigured(s.env.settings, 1));
}

void TestSetupWizard::editingOnePage_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("defaults");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("writes");

    QTest::newRow("name") << int(Page::UserName) << false << QStringList { "Desk" }
                          << QStringList { "User1/Name" };
    QTest::newRow("email settings")
        << int(Page::LocalEmail) << false << QStringList { "desk@x.example", "smtp.desk.example" }
        << QStringList { "User1/Email", "User1/SMTP" };
    QTest::newRow("phone") << int(Page::CellEmail) << false << QStringList { "desk@sms.example" }
                           << QStringList { "User1/CellEmail" };
    QTest::newRow("defaults") << int(Page::LocalEmail) << true
                              << QStringList { "office@x.example", "smtp.x.example" }
                              << QStringList { "Options/DefaultEmail", "Options/DefaultSMTP" };
}

void TestSetupWizard::editingOnePage()
{
    QFETCH(int, page);
    QFETCH(bool, defaults);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, writes);
    Setup s;
    s.addUsers();
    s.p.CurrentUser = s.p.SetupUser = 1;
    s.p.EditingDefaults = defaults;
    // Another user's values: editing applies no uniqueness test.
    const QStringList typed = page == int(Page::CellEmail)
        ? QStringList { "lamp@sms.example" }
        : QStringList { "Lamp", "" }.mid(0, shown.size());
    s.driver.then(s.wizard.page(Page(page)), [&](SetupPage &pg) {
        QCOMPARE(button(pg, "cmdNext")->text(), QStringLiteral("&Apply"));
        QVERIFY(!button(pg, "cmdBack") || !button(pg, "cmdBack")->isVisible());
        if (defaults)
            QCOMPARE(
                info(pg, 5)->text(), QStringLiteral("Please enter your Default Email settings."));
        for (int i = 0; i < shown.size(); ++i)
            QCOMPARE(box(pg, i)->text(), shown.at(i));
        typeAndPress(typed, "cmdNext")(pg);
    });
    s.run(Page(page));
    QCOMPARE(s.writes, writes);
    for (int i = 0; i < writes.size(); ++i)
        QCOMPARE(
            s.read(writes.at(i).section('/', 0, 0), writes.at(i).section('/', 1)), typed.at(i));
    QVERIFY(!s.p.EditingDefaults);
    QVERIFY(s.env.boxes.shown.isEmpty());
}

void TestSetupWizard::mailAccountGuess_data()
{
    QTest::addColumn<bool>("addressFound");
    QTest::addColumn<bool>("serverFound");
    QTest::addColumn<QString>("pendingEmail");
    QTest::addColumn<QString>("pendingSMTP");
    QTest::addColumn<QString>("shown"); // address box | server box | status line

    const QString asked = QStringLiteral("|Please enter your Email settings.");
    const QString guessed = QStringLiteral("|Tolvane guessed your Email settings.");
    QTest::newRow("nothing found") << false << false << ""
                                   << ""
                                   << "held@x|held.smtp" + asked;
    QTest::newRow("found") << true << true << ""
                           << ""
                           << "found@x|found.smtp" + guessed;
    QTest::newRow("confirmed win") << true << true << "me@x"
                                   << "me.smtp"
                                   << "me@x|me.smtp" + guessed;
    QTest::newRow("empty confirmed server gives way") << true << true << "me@x"
                                                      << ""
                                                      << "me@x|found.smtp" + guessed;
    QTest::newRow("account without server") << true << false << ""
                                            << ""
                                            << "found@x|held.smtp" + guessed;
    QTest::newRow("confirmed, nothing found") << false << false << "me@x"
                                              << "me.smtp"
                                              << "held@x|me.smtp" + asked;
}

void TestSetupWizard::mailAccountGuess()
{
    QFETCH(bool, addressFound);
    QFETCH(bool, serverFound);
    QFETCH(QString, pendingEmail);
    QFETCH(QString, pendingSMTP);
    QFETCH(QString, shown);
    Setup s;
    s.p.FirstRun = true;
    s.wizard.mailAccountGuess = [&] {
        return MailAccount { addressFound, "found@x", serverFound, "found.smtp" };
    };
    // What the boxes held from an earlier showing.
    box(s.mail(), 0)->setText(QStringLiteral("held@x"));
    box(s.mail(), 1)->setText(QStringLiteral("held.smtp"));
    s.p.PendingEmail = pendingEmail;
    s.p.PendingSMTP = pendingSMTP;
    QString seen;
    s.driver.then(s.mail(), [&](SetupPage &page) {
        seen = box(page, 0)->text() + '|' + box(page, 1)->text() + '|' + info(page, 5)->text();
        click(page, "cmdCancel"); // Yes: ends the program
    });
    s.run(Page::LocalEmail);
    QCOMPARE(seen, shown);
}

void TestSetupWizard::doubleClickSelects()
{
    Setup s;
    s.mail().show();
    QLineEdit *edit = box(s.mail(), 1);
    for (int length : { 7, 150 }) {
        const QString text = QStringLiteral("ab cd ef gh ").repeated(13).left(length);
        edit->setText(text);
        QTest::mouseDClick(edit, Qt::LeftButton, {}, QPoint(30, 5));
        QCOMPARE(edit->selectionStart(), 0);
        QCOMPARE(edit->selectedText(), text.left(100));
    }
}

void TestSetupWizard::helpOpensOnlyAnExistingPage()
{
    Setup s;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openHelp");
    click(s.cell(), "cmdHelp");
    QVERIFY(openedHelp.isEmpty());
    QFile page(s.env.dataDir() + QStringLiteral("Tolvane.html"));
    QVERIFY(page.open(QIODevice::WriteOnly));
    click(s.cell(), "cmdHelp");
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(openedHelp, QList<QUrl> { QUrl::fromLocalFile(page.fileName()) });
}

void TestSetupWizard::accountNameFits()
{
    QCOMPARE(FitAccountName(QStringLiteral(" Bob ")), QStringLiteral(" Bob "));
    QCOMPARE(FitAccountName(QString(99, 'x')), QString(99, 'x'));
    QCOMPARE(FitAccountName(QString(100, 'x')), QString()); // does not fit: no name
    QVERIFY(!AccountNameGuess().isEmpty());
}

QTEST_MAIN(TestSetupWizard)
#include "tst_setupwizard.moc"

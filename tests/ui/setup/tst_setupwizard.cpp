// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "WizardControls.h"
#include "app/Roster.h"
#include "ui/main/StartedProgram.h"
#include "ui/setup/AccountNameGuess.h"

// Runs with a real, unlocked GNOME Keyring on a private bus (with-keyring.sh): every
// password is read back from there.

namespace {

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
const QString Unkeepable
    = "Cellular Phone Email: A phone address cannot contain \"|\" or \",\": the "
      "message files could not keep it. Please enter it without them.";
const QString NoUrl = "Cellular Phone Email: Please enter the notification URL in full and without "
                      "blanks, for example ntfy://ntfy.sh/your-topic.";
const QString Asked = "Abort Tolvane Setup?: Canceling Tolvane Setup will end the program.  Are "
                      "you sure you wish to cancel Tolvane Setup?";
const QString Refused = "Advanced Email Settings: ";

const QString Lamp = "user 2 Lamp lamp@sms.example lamp@x.example smtp.lamp.example / set "
                     "Options/DefaultEmail=office@x.example / set "
                     "Options/DefaultSMTP=smtp.x.example / ";
const QString Desks
    = Lamp + "user 1 Desk desk@sms.example desk@x.example smtp.desk.example:2600 / ";
const QString Logins = Desks
    + "set User1/Security=STARTTLS / set User1/Login=desk-login / keep User1 / set "
      "Options/DefaultSecurity=TLS / set Options/DefaultLogin=office / ";
const QString UpToPage3
    = "next Chair / next chair@x.example;smtp.x.example / type chair@sms.example / ";

} // namespace

class TestSetupWizard : public QObject {
    Q_OBJECT
private slots:
    // The keyring outlives each test.
    void init()
    {
        for (int n = 1; n <= 3; ++n)
            QVERIFY(keyringAnswer(Roster::userSection(n), "").ok);
    }

    void flow_data()
    {
        QTest::addColumn<QString>("steps");
        auto row = [](const char *tag, const QString &steps) { QTest::newRow(tag) << steps; };
        // Return is Next; Back shows the name entered and keeps page 2's text (nothing was
        // found to offer); nothing but the defaults is written before Finish. The user's
        // values on disk: e2e/test_first_run.
        row("first run",
            "open first 1 / ?look Tolvane - User Name|&Next|0|Tolvane guessed your User Name.|Next "
            "/ ?shown alice / ?heard User Name: / type Alice Smith / return / ?look Tolvane - "
            "Email Settings|&Next|1|Please enter your Email settings.|Next / ?heard Email Address:;"
            "SMTP Address: / back typed@x.example / ?shown Alice Smith / next / ?shown "
            "typed@x.example; / next alice@home.example;smtp.home.example / ?look Tolvane - "
            "Cellular Phone Email|&Finish|1|| / ?heard Cellular Phone Email: / ?writes "
            "Options/DefaultEmail;Options/DefaultSMTP / next 5550001111@sms.example / ?writes "
            "Options/DefaultEmail;Options/DefaultSMTP;User1/CellEmail;User1/Name;User1/Email;"
            "User1/SMTP;Options/Current User / ?Options/DefaultSMTP smtp.home.example / ?ended "
            "Completed");
        // The name must be new (an empty one too, while a free slot has none); Back from
        // page 2 keeps nothing; the sender must be an address and the server named; the
        // phone address must be an address, and new (exact case).
        row("adding a user",
            Lamp
                + "user 3 Desk desk@sms.example / open add 1 / ?look Tolvane - User "
                  "Name|&Next|0|Please enter User Name.|Next / next  / next Lamp / next Chair / "
                  "?shown office@x.example;smtp.x.example / back left@x.example / next / ?shown "
                  "office@x.example;smtp.x.example / next chair;smtp.x.example / next "
                  "chair@x.example;   / next chair@x.example;smtp.x.example / ?shown  / next  / "
                  "next 5551234567 / next lamp@sms.example / ?writes  / next Lamp@sms.example / "
                  "?boxes User Name: "
                + NameTaken + "\nUser Name: Lamp" + NameTaken + '\n' + NoAddress + '\n' + NoServer
                + '\n' + NoPhone + '\n' + NoPhone + '\n' + PhoneTaken
                + " / ?icon Critical / ?writes User1/CellEmail;User1/Name;User1/Email;User1/SMTP / "
                  "?User1/Name Chair / ?User1/Email chair@x.example / ?User1/SMTP smtp.x.example / "
                  "?User1/CellEmail Lamp@sms.example");
        // A notification URL is the other kind of phone address: whole, without blanks, new;
        // neither kind may hold what would break a message file's record.
        row("adding a user: a notification URL",
            Desks
                + "set User1/CellEmail=ntfy://ntfy.sh/desk / open add 3 / next Chair / next "
                  "chair@x.example;smtp.x.example / next ntfy://ntfy.sh/a|b / next "
                  "chair,2@sms.example / next ntfy:// / next ntfy://ntfy.sh/my topic / next "
                  "ntfy://ntfy.sh/desk / ?writes  / next ntfy://ntfy.sh/chair / ?boxes "
                + Unkeepable + '\n' + Unkeepable + '\n' + NoUrl + '\n' + NoUrl
                + "\nUser Name: ntfy://ntfy.sh/desk has already been configured.  Please select "
                  "another cellular phone Email address. / ?User3/CellEmail ntfy://ntfy.sh/chair");
        // Cancel on page 3 drops a new user; the next run starts afresh. The first run asks,
        // stays on No and is given up on Yes, the defaults written at page 2 staying (with no
        // user and no "Current User", the next start is a first run again).
        row("adding: cancel",
            Desks + "open add 3 / " + UpToPage3
                + "cancel / ?ended Cancelled / ?writes  / open add 3 / ?shown ");
        row("first run: No, then Yes",
            Desks + "answer No / answer Yes / open first 1 / " + UpToPage3
                + "cancel / ?ended open / esc / ?ended Abandoned / ?writes "
                  "Options/DefaultEmail;Options/DefaultSMTP / ?boxes "
                + Asked + '\n' + Asked + " / open add 3 / ?shown ");
        // One page alone, with Apply. Another user's values are taken as they are (editing
        // applies no uniqueness test), and the defaults need not be able to send.
        row("one page alone",
            Desks
                + "open name 1 / ?look Tolvane - User Name|&Apply|0|Please enter User Name.|Apply "
                  "/ ?shown Desk / next Lamp / ?writes User1/Name / ?User1/Name Lamp / ?ended "
                  "Completed / open mail 1 / ?look Tolvane - Email Settings|&Apply|0|Please enter "
                  "your Email settings.|Apply / ?shown desk@x.example;smtp.desk.example:2600 / "
                  "next lamp@x.example;smtp.lamp.example / ?writes User1/Email;User1/SMTP / "
                  "?User1/Email lamp@x.example / ?User1/SMTP smtp.lamp.example / open phone 1 / "
                  "?look Tolvane - Cellular Phone Email|&Apply|0|| / ?shown desk@sms.example / "
                  "next lamp@sms.example / ?writes User1/CellEmail / ?User1/CellEmail "
                  "lamp@sms.example / open defaults / ?look Tolvane - Email "
                  "Settings|&Apply|0|Please enter your Default Email settings.|Apply / ?shown "
                  "office@x.example;smtp.x.example / next Lamp; / ?writes Options/DefaultEmail;"
                  "Options/DefaultSMTP / ?Options/DefaultEmail Lamp / ?Options/DefaultSMTP  / "
                  "?ended Completed");
        // Advanced...: per mode, what the dialog shows and where its choice lands. In the
        // wizard, Back from page 3 to Advanced... shows what was confirmed.
        const QString options = "type 2525;chair;PW / ok / ";
        const QString backAgain = "back / adv / ?dialog 1|2525|587|chair|Unchanged / cancel / "
                                  "next / next chair@sms.example / ";
        row("options: first run, user and defaults",
            "open first 1 / next Chair / adv / sec 1 / ?dialog 1||587|| / " + options
                + "next chair@x.example;smtp.x.example / " + backAgain
                + "?User1/Security STARTTLS / ?User1/Port 2525 / ?@User1 PW|chair|sent / "
                  "?Options/DefaultLogin chair / ?Options/DefaultSecurity STARTTLS");
        row("options: adding a user, from the defaults",
            Logins + "open add 3 / next Chair / adv / sec 1 / ?dialog 1||587|office| / " + options
                + "next / " + backAgain
                + "?User3/Security STARTTLS / ?User3/Port 2525 / ?@User3 PW|chair|sent / "
                  "?Options/DefaultLogin office");
        row("options: editing a user, the user's own",
            Logins + "open mail 1 / adv / sec 1 / ?dialog 1||2600|desk-login|Unchanged / " + options
                + "next / ?User1/Security STARTTLS / ?User1/Port 2525 / ?@User1 PW|chair|sent / "
                  "?Options/DefaultLogin office");
        row("options: editing the defaults, no password",
            Logins + "open defaults / adv / sec 1 / ?dialog 1||587|office|- / " + options
                + "next / ?Options/DefaultLogin chair / ?Options/DefaultPort 2525 / ?@User1 "
                  "KEPT|desk-login|sent");
        // The first run offers the account found, its server with its options; once page 2
        // is confirmed, the confirmed address comes back (never text left with Back).
        // Finish gives the found options to user 1 and the defaults, with the password.
        row("options: found in the first run",
            "found tb-preferred / open first 1 / next / ?look Tolvane - Email "
            "Settings|&Next|1|Tolvane guessed your Email settings.|Next / ?shown ann@example.org;"
            "mail.example.org / adv / ?dialog 1||587|ann| / type ;ann;PW / ok / next me@x.example "
            "/ back / back held@x.example / next / ?shown me@x.example;mail.example.org / next / "
            "next me@sms.example / ?User1/Security STARTTLS / ?User1/Port <absent> / ?@User1 "
            "PW|ann|sent / ?Options/DefaultSecurity STARTTLS / ?Options/DefaultLogin ann / "
            "?Options/DefaultPort <absent>");
        // A hand-typed security that means nothing known checks no button, and OK does not
        // guess one; a refusal keeps the dialog up.
        row("options: OK refuses what cannot work",
            Logins
                + "set User1/Security=odd / open mail 1 / adv / ?dialog "
                  "-1||2600|desk-login|Unchanged / type ;; / ok / sec 0 / type ;ann;pw / ok / sec "
                  "1 / type ;;pw / ok / type 0;ann;pw / ok / sec 2 / type 65535;; / ok / next / "
                  "?User1/Security TLS / ?User1/Port 65535 / ?boxes "
                + Refused + "Please choose how the connection to the mail server is secured.\n"
                + Refused
                + "A login needs a secure connection: choose STARTTLS or TLS from the start, or "
                  "leave the login empty.  Tolvane never sends a password over a clear "
                  "connection.\n"
                + Refused + "Please enter the login name that goes with the password.\n" + Refused
                + "The port must be a number from 1 to 65535.  Leave it empty for the usual port.");
        // The keyring and the login after the dialog, when a password is kept: user 1's, or
        // one left behind in the slot a new user gets. A password is sent only for the
        // login it was typed for (tst_maildelivery: what delivery withholds): not by the new
        // user, nor after the login changed without a new one.
        const QString typed = Logins + "open mail 1 / adv / sec 2 / type ;x;PW / ";
        const QString before = " / ?@User1 KEPT|desk-login|sent / ?writes ";
        row("password: dialog Cancel", typed + "cancel / next" + before + "User1/Email;User1/SMTP");
        row("password: OK, page Cancel", typed + "ok / cancel" + before);
        const QString edit = Logins + "open mail 1 / adv / sec ";
        row("password: empty box",
            edit + "1 / type ;desk-login; / ok / next / ?@User1 KEPT|desk-login|sent");
        row("password: renamed, empty box",
            edit + "2 / type ;new; / ok / next / ?@User1 KEPT|new|withheld");
        row("password: new one",
            edit + "1 / type ;desk-login;PW / ok / next / ?@User1 PW|desk-login|sent");
        row("password: login emptied",
            edit + "0 / type ;; / ok / next / ?@User1 <none>|<absent>|sent");
        row("password: a new user in a freed slot",
            Logins
                + "keep User3 / open add 3 / next Chair / adv / sec 1 / type ;chair; / ok / next / "
                  "next chair@sms.example / ?@User3 KEPT|chair|withheld");
        // The splash stands two seconds and places the dialogs once, each by its own size; the
        // About box neither moves them nor hands over again. On a first run the wizard opens
        // over the splash and the main window (unless starting small: e2e/test_first_run)
        // follows the wizard's Finish.
        row("splash: two seconds, then the main window",
            "start / ?splash 1|0|0|0||0 / ?about Version 1.0 / ?placed placed|placed|placed / wait "
            "/ ?splash 0|0|1|0|2s|0 / move / about / ?about &OK|Version 1.0|Copyright © 2026 The "
            "Tolvane developers / ?placed 7,9|7,9|7,9 / ok / ?splash 0|0|1|0|2s|0 / about / "
            "?splash 1|1|1|0|2s|0 / esc / ?splash 0|0|1|0|2s|0");
        row("splash: first run, start small",
            "start 30 first small / wait / ?splash 1|0|0|1||0 / ?ended open / next / next "
            "alice@home.example;smtp.home.example / next alice@sms.example / wait / ?splash "
            "0|0|1|0||1 / ?ended Completed");
    }
    void flow()
    {
        QFETCH(QString, steps);
        WizardFlow f;
        f.play(steps);
        if (QTest::currentTestFailed())
            return;
        QFile file(f.env.settings.path());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains(WizardFlow::Password.toUtf8()));
        if (!f.checked.contains("boxes"))
            QCOMPARE(f.shown("boxes"), QString());
    }

    // Whatever the user's login, their password leaves the keyring with them.
    void removeUser()
    {
        for (const QString login : { "bob", "" }) {
            StartedProgram s;
            s.env.addUser(2, "Bob", "bob@sms.example");
            MailServerOptions { MailServerOptions::Security::StartTls, {}, login }.write(
                s.env.settings, "User2");
            QVERIFY(keyringAnswer("User2", "kept").ok);
            s.w().load();
            s.w().pickUsers = [](const UserPicker::Mode &) { return QList<int> { 2 }; };
            s.trigger("removeUserAction");
            QVERIFY(!Roster::isConfigured(s.env.settings, 2));
            QVERIFY(keyringAnswer("User2").notFound);
        }
    }

    // The login name, or no name when it does not fit in 99 characters; a dialog at the
    // design size: W / 2 x 15.225 - 3045 twips, 15 twips to the pixel.
    void fits()
    {
        QCOMPARE(dialogPosition(QRect(0, 0, 1280, 1024), QSize(406, 305)), QPoint(447, 367));
        QCOMPARE(L({ fitAccountName(" Bob "), fitAccountName(QString(99, 'x')),
                     fitAccountName(QString(100, 'x')) }),
            L({ " Bob ", QString(99, 'x'), "" }));
        QVERIFY(!accountNameGuess().isEmpty());
    }
};

QTEST_MAIN(TestSetupWizard)
#include "tst_setupwizard.moc"

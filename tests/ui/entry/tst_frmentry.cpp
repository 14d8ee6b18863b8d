#include "app/Roster.h"
#include "store/CodePage.h"
#include "store/Stamp.h"
#include "support/TestEnvironment.h"
#include "ui/entry/FrmEntry.h"
#include "ui/entry/FrmUserSelect.h"
#include "ui/entry/MessageTextEdit.h"
#include "ui/entry/ModalDriver.h"
#include "ui/entry/PickerScript.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

namespace {

// The clock stands at 10:00 on 2026/03/14.
QDateTime at(int hour, int minute, int second = 0, int day = 14)
{
    return QDateTime(QDate(2026, 3, day), QTime(hour, minute, second));
}

QString record(const QString &time, const QString &rest)
{
    return QStringLiteral("2026/03/14 ") + time + QLatin1Char('N') + rest;
}

} // namespace

class TestFrmEntry : public QObject {
    Q_OBJECT

private:
    // Ann (1, logged in), Bob (2) and Cy (3); Dee (4) has no phone address.
    static void addUsers(TestEnvironment &env)
    {
        env.addUser(1, QStringLiteral("Ann"), QStringLiteral("ann@cell"), "ann@mail.example");
        env.addUser(2, QStringLiteral("Bob"), QStringLiteral("bob@cell"), "bob@mail.example");
        env.addUser(3, QStringLiteral("Cy"), QStringLiteral("cy@cell"), "cy@mail.example");
        env.addUser(4, QStringLiteral("Dee"), QString(), "dee@mail.example");
        env.program.CurrentUser = 1;
        env.clock.set(at(10, 0));
    }

    // Opens the form for a slot as the day grid does and runs the action inside it.
    static bool openSlot(FrmEntry &form, TestEnvironment &env, const QDateTime &slot,
        const std::function<void()> &action, bool *stayedOpen = nullptr)
    {
        env.program.SelectedStamp = Stamp::formatStamp(slot);
        env.program.SelectedSlot = slot;
        env.program.SendNow = false;
        ModalDriver driver(form, form.tmrRefresh, action);
        form.showModal();
        if (stayedOpen)
            *stayedOpen = driver.stayedOpen;
        return driver.acted;
    }

    static QStringList names(const FrmEntry &form)
    {
        QStringList shown;
        for (int i = 0; i < form.lstRecipients->count(); ++i)
            shown.append(form.lstRecipients->item(i)->text());
        return shown;
    }

    static QStringList fileLines(const TestEnvironment &env, int user = 1)
    {
        QStringList lines
            = CodePage::decode(env.readMessageFileBytes(user)).split(QStringLiteral("\r\n"));
        lines.removeAll(QString());
        return lines;
    }

    static void replaceText(FrmEntry &form, const QString &text)
    {
        form.txtData->selectAll();
        QTest::keyClick(form.txtData, Qt::Key_Delete);
        form.txtData->insertPlainText(text);
    }

private slots:
    void load_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QDateTime>("slot");
        QTest::addColumn<QString>("stored"); // the slot's record after the stamp and flag
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("recipients");
        QTest::addColumn<bool>("saveEnabled");

        QTest::newRow("future slot with a record")
            << at(10, 0) << at(11, 0) << "Hello there|bob@cell,ann@cell,"
            << "Hello there" << QStringList { "Bob", "Ann" } << true;
        QTest::newRow("future slot without a record") << at(10, 0) << at(11, 0) << ""
                                                      << "" << QStringList { "Ann" } << true;
        QTest::newRow("present minute") << at(10, 0, 40) << at(10, 0) << "Due|cy@cell,"
                                        << "Due" << QStringList { "Cy" } << false;
        QTest::newRow("next minute") << at(10, 0, 59) << at(10, 1) << ""
                                     << "" << QStringList { "Ann" } << true;
        QTest::newRow("earlier day, later hour") << at(10, 0) << at(23, 0, 0, 13) << ""
                                                 << "" << QStringList { "Ann" } << false;
        QTest::newRow("an address no user has any more")
            << at(10, 0) << at(11, 0) << "Hi|gone@cell,cy@cell,"
            << "Hi" << QStringList { "Cy" } << true;
        QTest::newRow("no address matches a user") << at(10, 0) << at(11, 0) << "Hi|gone@cell,"
                                                   << "Hi" << QStringList { "Ann" } << true;
        QTest::newRow("an empty address matches nobody")
            << at(10, 0) << at(11, 0) << "Hi|,bob@cell,"
            << "Hi" << QStringList { "Bob" } << true;
    }

    void load()
    {
        QFETCH(QDateTime, now);
        QFETCH(QDateTime, slot);
        QFETCH(QString, stored);
        QFETCH(QString, text);
        QFETCH(QStringList, recipients);
        QFETCH(bool, saveEnabled);

        TestEnvironment env;
        addUsers(env);
        env.clock.set(now);
        QStringList lines { record("09:45 AM", "Before|ann@cell,") };
        if (!stored.isEmpty())
            lines.append(Stamp::formatStamp(slot) + QLatin1Char('N') + stored);
        lines.append(QStringLiteral("2026/03/15 09:00 AMNAfter|bob@cell,"));
        env.writeMessageFile(1, lines);

        FrmEntry form(env.program);
        QVERIFY(openSlot(form, env, slot, [&] {
            QCOMPARE(form.txtData->toPlainText(), text);
            QCOMPARE(names(form), recipients);
            QCOMPARE(form.cmdNext->isEnabled(), saveEnabled);
            QCOMPARE(form.cmdNext->text(), QStringLiteral("&Save Message"));
            QVERIFY(form.cmdDelete->isEnabled());
            QTest::mouseClick(form.cmdCancel, Qt::LeftButton);
        }));
        QVERIFY(!form.isVisible());
        QCOMPARE(fileLines(env), lines); // looking changes nothing
    }

    void save_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("typed"); // replaces the loaded text
        QTest::addColumn<QString>("noted"); // the characters the form warns about
        QTest::addColumn<QStringList>("after");

        const QString old = record("11:00 AM", "Old|gone@cell,bob@cell,");
        const QString a = record("10:30 AM", "A|ann@cell,"), b = record("12:00 PM", "B|ann@cell,");
        QTest::newRow("into a missing file")
            << QStringList() << "Hi"
            << "" << QStringList { record("11:00 AM", "Hi|ann@cell,") };
        QTest::newRow("empty text keeps the stored record") << QStringList { old } << ""
                                                            << "" << QStringList { old };
        QTest::newRow("replaces the slot, drops the lost address")
            << QStringList { a, old, b } << "New"
            << "" << QStringList { a, record("11:00 AM", "New|bob@cell,"), b };
        QTest::newRow("ordered insert")
            << QStringList { b } << "Hi"
            << "" << QStringList { record("11:00 AM", "Hi|ann@cell,"), b };
        QTest::newRow("bar and line break")
            << QStringList() << "a|b\nc"
            << "" << QStringList { record("11:00 AM", "a!b c|ann@cell,") };
        QTest::newRow("characters outside the code page")
            << QStringList() << QString::fromUtf8("5 € ☺ \U0001F600 ☺ é")
            << QString::fromUtf8("☺ \U0001F600")
            << QStringList { record("11:00 AM", QString::fromUtf8("5 € ? ? ? é|ann@cell,")) };
    }

    void save()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, typed);
        QFETCH(QString, noted);
        QFETCH(QStringList, after);

        TestEnvironment env;
        addUsers(env);
        if (!before.isEmpty())
            env.writeMessageFile(1, before);
        FrmEntry form(env.program);
        QVERIFY(openSlot(form, env, at(11, 0), [&] {
            replaceText(form, typed);
            QCOMPARE(form.txtData->toPlainText(), typed); // the form never changes the text
            QCOMPARE(form.lblCodePage->isHidden(), noted.isEmpty());
            if (!noted.isEmpty())
                QVERIFY(form.lblCodePage->text().endsWith(QStringLiteral("\": ") + noted));
            QTest::mouseClick(form.cmdNext, Qt::LeftButton);
        }));
        QCOMPARE(fileLines(env), after);
        QVERIFY(env.boxes.shown.isEmpty());
        QVERIFY(!QFile::exists(env.dataDir() + QStringLiteral("tmp.tmp")));
    }

    // The form is hidden, not destroyed: every opening shows its own slot afresh, and a
    // second save at one slot replaces the first.
    void freshOnEveryOpening()
    {
        TestEnvironment env;
        addUsers(env);
        FrmEntry form(env.program);
        QVERIFY(openSlot(form, env, at(11, 0), [&] {
            QTest::keyClicks(form.txtData, QStringLiteral("first"));
            QTest::mouseClick(form.cmdNext, Qt::LeftButton);
        }));
        QVERIFY(openSlot(form, env, at(11, 0), [&] {
            QTest::keyClicks(form.txtData, QStringLiteral(" and typed"));
            env.program.Recipients = { 2, 3 }; // as a picker would leave them
            form.UpdateRecipients();
            QTest::keyClick(&form, Qt::Key_Escape); // the same as Cancel
        }));
        QVERIFY(openSlot(form, env, at(9, 0), [&] {
            QCOMPARE(form.txtData->toPlainText(), QString());
            QCOMPARE(names(form), QStringList { "Ann" });
            QVERIFY(!form.cmdNext->isEnabled());
            QTest::mouseClick(form.cmdCancel, Qt::LeftButton);
        }));
        QVERIFY(openSlot(form, env, at(11, 0), [&] {
            QCOMPARE(form.txtData->toPlainText(), QStringLiteral("first"));
            QCOMPARE(names(form), QStringList { "Ann" });
            QVERIFY(form.cmdNext->isEnabled());
            replaceText(form, QStringLiteral("second"));
            QTest::mouseClick(form.cmdNext, Qt::LeftButton);
        }));
        QCOMPARE(fileLines(env), QStringList { record("11:00 AM", "second|ann@cell,") });
    }

    void remove_data()
    {
        QTest::addColumn<QDateTime>("slot");
        QTest::addColumn<bool>("fileExists");

        QTest::newRow("past slot") << at(9, 0) << true;
        QTest::newRow("future slot") << at(11, 0) << true;
        QTest::newRow("missing file") << at(11, 0) << false;
    }

    void remove()
    {
        QFETCH(QDateTime, slot);
        QFETCH(bool, fileExists);

        TestEnvironment env;
        addUsers(env);
        const QStringList lines { record("09:00 AM", "Past|ann@cell,"),
            record("10:15 AM", "Keep|ann@cell,"), record("11:00 AM", "Future|ann@cell,"),
            QStringLiteral("2026/03/15 09:00 AMNKeep too|ann@cell,") };
        if (fileExists)
            env.writeMessageFile(1, lines);
        FrmEntry form(env.program);
        bool stayedOpen = true;
        QVERIFY(openSlot(
            form, env, slot, [&] { QTest::mouseClick(form.cmdDelete, Qt::LeftButton); },
            &stayedOpen));
        QVERIFY(!stayedOpen);
        QCOMPARE(QFile::exists(env.userFile(1)), fileExists);
        if (fileExists) {
            QStringList expected = lines;
            expected.removeAt(slot == at(9, 0) ? 0 : 2);
            QCOMPARE(fileLines(env), expected);
        }
    }

    void sendMode_data()
    {
        QTest::addColumn<int>("user");
        QTest::addColumn<QString>("code");

        QTest::newRow("user 1") << 1 << "21";
        QTest::newRow("user 10") << 10 << "30";
    }

    void sendMode()
    {
        QFETCH(int, user);
        QFETCH(QString, code);

        TestEnvironment env;
        addUsers(env);
        env.addUser(10, QStringLiteral("Ten"), QStringLiteral("ten@cell"));
        env.program.CurrentUser = user;
        env.clock.set(at(10, 7, 33));
        env.writeMessageFile(user, { record("10:00 AM", "Old|ann@cell,") });
        const QByteArray fileBefore = env.readMessageFileBytes(user);
        // A slot left over from an earlier opening must not matter in send mode.
        env.program.SelectedStamp = QStringLiteral("2026/03/14 10:00 AM");
        env.program.SelectedSlot = at(10, 0);
        env.program.SendNow = true;

        FrmEntry form(env.program);
        ModalDriver driver(form, form.tmrRefresh, [&] {
            QCOMPARE(form.cmdNext->text(), QStringLiteral("&Send Message"));
            QVERIFY(form.cmdNext->isEnabled());
            QCOMPARE(form.txtData->toPlainText(), QString()); // no record is loaded
            form.cmdDelete_Click();
            QVERIFY(form.isVisible());
            QTest::keyClicks(form.txtData, QStringLiteral("Now!"));
            QTest::mouseClick(form.cmdNext, Qt::LeftButton);
        });
        form.showModal();

        QVERIFY(driver.acted);
        QVERIFY(!driver.stayedOpen);
        const QString cell = user == 1 ? QStringLiteral("ann@cell,") : QStringLiteral("ten@cell,");
        QCOMPARE(env.program.NextMessage[0], code + record("10:07 AM", "Now!|" + cell));
        QCOMPARE(env.readMessageFileBytes(user), fileBefore);
        QVERIFY(!QFile::exists(env.dataDir() + QStringLiteral("tmp.tmp")));
    }

    void textLimit_data()
    {
        QTest::addColumn<int>("longestSender");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("storedLength");
        QTest::addColumn<int>("length");

        QTest::newRow("25-character sender, typed") << 25 << "type" << 0 << 120;
        QTest::newRow("25-character sender, pasted") << 25 << "paste" << 0 << 120;
        QTest::newRow("no sender address") << 0 << "paste" << 0 << 145;
        QTest::newRow("125-character sender") << 125 << "type" << 0 << 20;
        QTest::newRow("sender longer than the room") << 160 << "paste" << 0 << 20;
        QTest::newRow("longer stored text is kept, not grown") << 25 << "type" << 130 << 130;
    }

    void textLimit()
    {
        QFETCH(int, longestSender);
        QFETCH(QString, how);
        QFETCH(int, storedLength);
        QFETCH(int, length);

        TestEnvironment env;
        addUsers(env);
        env.settings.WriteSetting(
            QStringLiteral("User3"), QStringLiteral("Email"), QString(longestSender, 'e'));
        if (longestSender < 20) {
            for (int n = 1; n <= 4; ++n)
                env.settings.WriteSetting(Roster::UserSection(n), "Email", QString());
        }
        if (storedLength > 0)
            env.writeMessageFile(1, { record("11:00 AM", QString(storedLength, 's') + "|") });
        FrmEntry form(env.program);
        QVERIFY(openSlot(form, env, at(11, 0), [&] {
            const QString more(150, 'x');
            if (how == QLatin1String("type"))
                QTest::keyClicks(form.txtData, more);
            else
                form.txtData->insertPlainText(more);
            QCOMPARE(form.txtData->toPlainText().size(), length);
            QTest::mouseClick(form.cmdCancel, Qt::LeftButton);
        }));
    }

    void changeRecipients_data()
    {
        QTest::addColumn<QStringList>("clicks"); // in the picker; "Cancel" ends with Cancel
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("saved");

        QTest::newRow("picker cancelled")
            << QStringList { "Cancel" } << QStringList { "Bob", "Cy" } << "bob@cell,cy@cell,";
        QTest::newRow("refused, then cancelled")
            << QStringList { "Clear All", "Cancel", "Ann", "Cancel" } << QStringList { "Bob", "Cy" }
            << "bob@cell,cy@cell,";
        QTest::newRow("chosen in alphabetical order")
            << QStringList { "Cy", "Bob", "Apply" } << QStringList { "Ann", "Bob", "Cy" }
            << "ann@cell,bob@cell,cy@cell,";
        QTest::newRow("a recipient without a phone")
            << QStringList { "Ann", "Dee", "Apply" } << QStringList { "Dee" } << "";
    }

    void changeRecipients()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, shown);
        QFETCH(QString, saved);

        TestEnvironment env;
        addUsers(env);
        env.writeMessageFile(1, { record("11:00 AM", "Hi|bob@cell,cy@cell,") });
        FrmEntry form(env.program);
        FrmUserSelect &picker = form.userSelect();
        QVERIFY(openSlot(form, env, at(11, 0), [&] {
            ModalDriver inPicker(picker, picker.tmrRefresh, [&] { playPicker(picker, clicks); });
            QTest::mouseClick(form.cmdRecipients, Qt::LeftButton);
            QVERIFY(inPicker.acted);
            QVERIFY(!inPicker.stayedOpen);
            QCOMPARE(names(form), shown);
            QTest::mouseClick(form.cmdNext, Qt::LeftButton);
        }));
        QCOMPARE(fileLines(env), QStringList { record("11:00 AM", "Hi|" + saved) });
    }

    // A save that cannot be stored, or whose minute came while the form was open, tells
    // the user and keeps the form open with the text.
    void saveRefused_data()
    {
        QTest::addColumn<bool>("storeFails");
        QTest::addColumn<QString>("told");

        QTest::newRow("message file cannot be written") << true << "The message was not saved.";
        QTest::newRow("slot passed while open") << false << "The time of this message has passed";
    }

    void saveRefused()
    {
        QFETCH(bool, storeFails);
        QFETCH(QString, told);

        TestEnvironment env;
        addUsers(env);
        env.clock.set(at(10, 14, 50));
        if (storeFails)
            env.program.ProgramDir = env.dir.path() + QStringLiteral("/missing/");
        FrmEntry form(env.program);
        bool stayedOpen = false;
        QVERIFY(openSlot(
            form, env, at(10, 15),
            [&] {
                QTest::keyClicks(form.txtData, QStringLiteral("Keep me"));
                if (!storeFails)
                    env.clock.set(at(10, 15, 2));
                QTest::mouseClick(form.cmdNext, Qt::LeftButton);
                QCOMPARE(form.txtData->toPlainText(), QStringLiteral("Keep me"));
                QCOMPARE(form.cmdNext->isEnabled(), storeFails);
            },
            &stayedOpen));
        QVERIFY(stayedOpen);
        QCOMPARE(env.boxes.shown.size(), 1);
        QCOMPARE(env.boxes.shown[0].icon, MessageBoxes::Icon::Critical);
        QVERIFY2(env.boxes.shown[0].text.startsWith(told), qPrintable(env.boxes.shown[0].text));
        if (storeFails) // the cause, in the store's own words
            QVERIFY(env.boxes.shown[0].text.contains(QStringLiteral("missing/tmp.tmp")));
        QVERIFY(!QFile::exists(env.userFile(1)));
    }

    void doubleClickSelectsFromTheStart_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("selected");

        QTest::newRow("long text") << 140 << 100;
        QTest::newRow("short text") << 30 << 30;
    }

    void doubleClickSelectsFromTheStart()
    {
        QFETCH(int, length);
        QFETCH(int, selected);

        TestEnvironment env;
        addUsers(env);
        FrmEntry form(env.program);
        QVERIFY(openSlot(form, env, at(11, 0), [&] {
            QString text;
            for (int i = 0; i < length; ++i)
                text += QChar(i % 7 == 6 ? ' ' : 'a' + i % 26);
            form.txtData->insertPlainText(text);
            QTest::mouseDClick(form.txtData->viewport(), Qt::LeftButton, {}, QPoint(30, 8));
            const QTextCursor cursor = form.txtData->textCursor();
            QCOMPARE(cursor.selectionStart(), 0);
            QCOMPARE(cursor.selectedText(), text.left(selected));
            QTest::mouseClick(form.cmdCancel, Qt::LeftButton);
        }));
    }
};

QTEST_MAIN(TestFrmEntry)
#include "tst_frmentry.moc"

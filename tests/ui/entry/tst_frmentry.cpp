#include "store/CodePage.h"
#include "store/Stamp.h"
#include "support/DataColumns.h"
#include "support/ModalSteps.h"
#include "support/TestEnvironment.h"
#include "ui/entry/FrmEntry.h"
#include "ui/entry/MessageTextEdit.h"
#include "ui/entry/PickerScript.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

using L = QStringList;

QString record(const QString &time, const QString &rest)
{
    return "2026/03/14 " + time + 'N' + rest;
}

// Ann (1, logged in), Bob (2) and Cy (3); Dee (4) has no phone address. 10:00 on 2026/03/14.
struct Fixture {
    Fixture()
    {
        env.addUser(1, "Ann", "ann@cell", "ann@mail.example");
        env.addUser(2, "Bob", "bob@cell", "bob@mail.example");
        env.addUser(3, "Cy", "cy@cell", "cy@mail.example");
        env.addUser(4, "Dee", QString(), "dee@mail.example");
        env.program.CurrentUser = 1;
        env.clock.set(at(10, 0));
    }

    // Opens the form for a slot as the day grid does and runs the action inside it;
    // true when the form closed on its own.
    bool open(const QDateTime &slot, const std::function<void()> &action)
    {
        env.program.SelectedStamp = Stamp::formatStamp(slot);
        env.program.SelectedSlot = slot;
        env.program.SendNow = false;
        steps.then(form, action);
        form.showModal();
        [&] { QVERIFY2(steps.finished(), qPrintable(steps.failure)); }();
        return !steps.leftOpen;
    }

    QStringList names() const
    {
        QStringList shown;
        for (int i = 0; i < form.lstRecipients->count(); ++i)
            shown.append(form.lstRecipients->item(i)->text());
        return shown;
    }

    QStringList fileLines() const
    {
        QStringList lines = CodePage::decode(env.readMessageFileBytes(1)).split("\r\n");
        lines.removeAll(QString());
        return lines;
    }

    void replaceText(const QString &text)
    {
        form.txtData->selectAll();
        QTest::keyClick(form.txtData, Qt::Key_Delete);
        form.txtData->insertPlainText(text);
    }

    TestEnvironment env;
    FrmEntry form { env.program };
    ModalSteps steps;
};

} // namespace

class TestFrmEntry : public QObject {
    Q_OBJECT

private slots:
    void load_data()
    {
        // stored: the slot's record after the stamp and flag
        Columns<QDateTime, QDateTime, QString, QStringList, bool>(
            { "now", "slot", "stored", "recipients", "saveEnabled" });
        const QDateTime now = at(10, 0);
        QTest::newRow("future slot with a record")
            << now << at(11, 0) << "Hello there|bob@cell,ann@cell," << L { "Bob", "Ann" } << true;
        QTest::newRow("future slot without a record")
            << now << at(11, 0) << "" << L { "Ann" } << true;
        QTest::newRow("present minute")
            << at(10, 0, 40) << at(10, 0) << "Due|cy@cell," << L { "Cy" } << false;
        QTest::newRow("next minute") << at(10, 0, 59) << at(10, 1) << "" << L { "Ann" } << true;
        QTest::newRow("earlier day, later hour")
            << now << at(23, 0, 0, 13) << "" << L { "Ann" } << false;
        QTest::newRow("an address no user has any more")
            << now << at(11, 0) << "Hi|gone@cell,cy@cell," << L { "Cy" } << true;
        QTest::newRow("no address matches a user")
            << now << at(11, 0) << "Hi|gone@cell," << L { "Ann" } << true;
    }
    void load()
    {
        QFETCH(QDateTime, now);
        QFETCH(QDateTime, slot);
        QFETCH(QString, stored);
        Fixture f;
        f.env.clock.set(now);
        QStringList lines { record("09:45 AM", "Before|ann@cell,") };
        if (!stored.isEmpty())
            lines.append(Stamp::formatStamp(slot) + 'N' + stored);
        lines.append("2026/03/15 09:00 AMNAfter|bob@cell,");
        f.env.writeMessageFile(1, lines);
        QVERIFY(f.open(slot, [&] {
            QCOMPARE(f.form.txtData->toPlainText(), stored.section('|', 0, 0));
            QTEST(f.names(), "recipients");
            QTEST(f.form.cmdNext->isEnabled(), "saveEnabled");
            QVERIFY(f.form.cmdDelete->isEnabled());
            QTest::mouseClick(f.form.cmdCancel, Qt::LeftButton);
        }));
        QCOMPARE(f.fileLines(), lines); // looking changes nothing
    }

    void save_data()
    {
        // typed replaces the loaded text; noted: the characters the form warns about
        Columns<QString, QStringList, QStringList, QString>(
            { "typed", "before", "after", "noted" });
        const QString old = record("11:00 AM", "Old|gone@cell,bob@cell,");
        const QString a = record("10:30 AM", "A|ann@cell,"), b = record("12:00 PM", "B|ann@cell,");
        QTest::newRow("into a missing file")
            << "Hi" << L() << L { record("11:00 AM", "Hi|ann@cell,") } << "";
        QTest::newRow("empty text keeps the stored record") << "" << L { old } << L { old } << "";
        QTest::newRow("replaces the slot, drops the lost address")
            << "New" << L { a, old, b } << L { a, record("11:00 AM", "New|bob@cell,"), b } << "";
        QTest::newRow("bar and line break")
            << "a|b\nc" << L() << L { record("11:00 AM", "a!b c|ann@cell,") } << "";
        QTest::newRow("characters outside the code page")
            << "5 € ☺ \U0001F600 ☺ é" << L() << L { record("11:00 AM", "5 € ? ? ? é|ann@cell,") }
            << "☺ \U0001F600";
    }
    void save()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, typed);
        QFETCH(QString, noted);
        Fixture f;
        if (!before.isEmpty())
            f.env.writeMessageFile(1, before);
        QVERIFY(f.open(at(11, 0), [&] {
            f.replaceText(typed);
            QCOMPARE(f.form.txtData->toPlainText(), typed); // the form never changes the text
            QCOMPARE(f.form.lblCodePage->isHidden(), noted.isEmpty());
            if (!noted.isEmpty())
                QVERIFY(f.form.lblCodePage->text().endsWith("\": " + noted));
            QTest::mouseClick(f.form.cmdNext, Qt::LeftButton);
        }));
        QTEST(f.fileLines(), "after");
        QVERIFY(f.env.boxes.shown.isEmpty());
    }

    // The form is hidden, not destroyed: every opening shows its own slot afresh, and a
    // second save at one slot replaces the first.
    void freshOnEveryOpening()
    {
        Fixture f;
        QVERIFY(f.open(at(11, 0), [&] {
            QTest::keyClicks(f.form.txtData, "first");
            QTest::mouseClick(f.form.cmdNext, Qt::LeftButton);
        }));
        QVERIFY(f.open(at(11, 0), [&] {
            QTest::keyClicks(f.form.txtData, " and typed");
            f.steps.then(f.form.picker(), [&] { playPicker(f.form.picker(), { "Bob", "Apply" }); });
            QTest::mouseClick(f.form.cmdRecipients, Qt::LeftButton);
            QTest::keyClick(&f.form, Qt::Key_Escape); // the same as Cancel
        }));
        QVERIFY(f.open(at(9, 0), [&] {
            QCOMPARE(f.form.txtData->toPlainText(), QString());
            QCOMPARE(f.names(), L { "Ann" });
            QVERIFY(!f.form.cmdNext->isEnabled());
            QTest::mouseClick(f.form.cmdCancel, Qt::LeftButton);
        }));
        QVERIFY(f.open(at(11, 0), [&] {
            QCOMPARE(f.form.txtData->toPlainText(), "first");
            QCOMPARE(f.names(), L { "Ann" });
            f.replaceText("second");
            QTest::mouseClick(f.form.cmdNext, Qt::LeftButton);
        }));
        QCOMPARE(f.fileLines(), L { record("11:00 AM", "second|ann@cell,") });
    }

    void remove_data()
    {
        Columns<QDateTime, bool>({ "slot", "fileExists" });
        QTest::newRow("past slot") << at(9, 0) << true;
        QTest::newRow("future slot") << at(11, 0) << true;
        QTest::newRow("missing file") << at(11, 0) << false;
    }
    void remove()
    {
        QFETCH(QDateTime, slot);
        QFETCH(bool, fileExists);
        Fixture f;
        const L lines { record("09:00 AM", "Past|ann@cell,"), record("10:15 AM", "Keep|ann@cell,"),
            record("11:00 AM", "Future|ann@cell,") };
        if (fileExists)
            f.env.writeMessageFile(1, lines);
        QVERIFY(f.open(slot, [&] { QTest::mouseClick(f.form.cmdDelete, Qt::LeftButton); }));
        QCOMPARE(QFile::exists(f.env.userFile(1)), fileExists);
        if (fileExists)
            QCOMPARE(f.fileLines(), slot == at(9, 0) ? lines.mid(1) : lines.mid(0, 2));
    }

    void sendMode_data()
    {
        Columns<int, QString>({ "user", "entry" });
        QTest::newRow("user 1") << 1 << "21" + record("10:07 AM", "Now!|ann@cell,");
        QTest::newRow("user 10") << 10 << "30" + record("10:07 AM", "Now!|ten@cell,");
    }
    // Send mode puts the message into the instant slot and never writes a file.
    void sendMode()
    {
        QFETCH(int, user);
        Fixture f;
        f.env.addUser(10, "Ten", "ten@cell");
        f.env.program.CurrentUser = user;
        f.env.clock.set(at(10, 7, 33));
        f.env.writeMessageFile(user, { record("10:00 AM", "Old|ann@cell,") });
        const QByteArray fileBefore = f.env.readMessageFileBytes(user);
        // A slot left over from an earlier opening must not matter in send mode.
        f.env.program.SelectedStamp = "2026/03/14 10:00 AM";
        f.env.program.SelectedSlot = at(10, 0);
        f.env.program.SendNow = true;
        f.steps.then(f.form, [&] {
            QCOMPARE(f.form.cmdNext->text(), "&Send Message");
            QCOMPARE(f.form.txtData->toPlainText(), QString()); // no record is loaded
            f.form.cmdDelete_Click();
            QTest::keyClicks(f.form.txtData, "Now!");
            QTest::mouseClick(f.form.cmdNext, Qt::LeftButton);
        });
        f.form.showModal();
        QVERIFY2(f.steps.finished() && !f.steps.leftOpen, qPrintable(f.steps.failure));
        QTEST(f.env.program.NextMessage[0], "entry");
        QCOMPARE(f.env.readMessageFileBytes(user), fileBefore);
        QVERIFY(!QFile::exists(f.env.dataDir() + "tmp.tmp"));
    }

    // 145 less the longest sender address, typed or pasted.
    void textLimit_data()
    {
        Columns<int, bool, int, int>({ "longestSender", "typed", "storedLength", "length" });
        QTest::newRow("25-character sender, typed") << 25 << true << 0 << 120;
        QTest::newRow("25-character sender, pasted") << 25 << false << 0 << 120;
        QTest::newRow("sender longer than the room") << 160 << false << 0 << 20;
        QTest::newRow("longer stored text is kept, not grown") << 25 << true << 130 << 130;
    }
    void textLimit()
    {
        QFETCH(int, longestSender);
        QFETCH(bool, typed);
        QFETCH(int, storedLength);
        Fixture f;
        f.env.settings.WriteSetting("User3", "Email", QString(longestSender, 'e'));
        if (storedLength > 0)
            f.env.writeMessageFile(1, { record("11:00 AM", QString(storedLength, 's') + "|") });
        QVERIFY(f.open(at(11, 0), [&] {
            if (typed)
                QTest::keyClicks(f.form.txtData, QString(150, 'x'));
            else
                f.form.txtData->insertPlainText(QString(150, 'x'));
            QTEST(int(f.form.txtData->toPlainText().size()), "length");
            QTest::mouseClick(f.form.cmdCancel, Qt::LeftButton);
        }));
    }

    void changeRecipients_data()
    {
        Columns<QStringList, QStringList, QString>({ "clicks", "shown", "saved" });
        QTest::newRow("picker cancelled")
            << L { "Cancel" } << L { "Bob", "Cy" } << "bob@cell,cy@cell,";
        QTest::newRow("refused, then cancelled") << L { "Clear All", "Cancel", "Ann", "Cancel" }
                                                 << L { "Bob", "Cy" } << "bob@cell,cy@cell,";
        QTest::newRow("chosen in alphabetical order") << L { "Cy", "Bob",
            "Apply" } << L { "Ann", "Bob", "Cy" } << "ann@cell,bob@cell,cy@cell,";
        QTest::newRow("a recipient without a phone")
            << L { "Ann", "Dee", "Apply" } << L { "Dee" } << "";
    }
    void changeRecipients()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QString, saved);
        Fixture f;
        f.env.writeMessageFile(1, { record("11:00 AM", "Hi|bob@cell,cy@cell,") });
        UserPicker &picker = f.form.picker();
        QVERIFY(f.open(at(11, 0), [&] {
            f.steps.then(picker, [&] { playPicker(picker, clicks); });
            QTest::mouseClick(f.form.cmdRecipients, Qt::LeftButton);
            QVERIFY(!picker.isVisible() && !f.steps.leftOpen);
            QTEST(f.names(), "shown");
            QTest::mouseClick(f.form.cmdNext, Qt::LeftButton);
        }));
        QCOMPARE(f.fileLines(), L { record("11:00 AM", "Hi|" + saved) });
    }

    // A save that cannot be stored, or whose minute came while the form was open, tells
    // the user and keeps the form open with the text.
    void saveRefused_data()
    {
        Columns<bool, QString>({ "storeFails", "told" });
        QTest::newRow("message file cannot be written") << true << "The message was not saved.";
        QTest::newRow("slot passed while open") << false << "The time of this message has passed";
    }
    void saveRefused()
    {
        QFETCH(bool, storeFails);
        QFETCH(QString, told);
        Fixture f;
        f.env.clock.set(at(10, 14, 50));
        if (storeFails)
            f.env.program.ProgramDir = f.env.dir.path() + "/Tolvane.ini/missing/";
        QVERIFY(!f.open(at(10, 15), [&] {
            QTest::keyClicks(f.form.txtData, "Keep me");
            if (!storeFails)
                f.env.clock.set(at(10, 15, 2));
            QTest::mouseClick(f.form.cmdNext, Qt::LeftButton);
            QCOMPARE(f.form.txtData->toPlainText(), "Keep me");
            QCOMPARE(f.form.cmdNext->isEnabled(), storeFails);
        }));
        QCOMPARE(f.env.boxes.shown.size(), 1);
        QVERIFY2(f.env.boxes.shown[0].text.startsWith(told), qPrintable(f.env.boxes.shown[0].text));
        if (storeFails) // the cause, in the store's own words
            QVERIFY(f.env.boxes.shown[0].text.contains("Tolvane.ini/missing/"));
        QVERIFY(!QFile::exists(f.env.userFile(1)));
    }
};

QTEST_MAIN(TestFrmEntry)
#include "tst_frmentry.moc"

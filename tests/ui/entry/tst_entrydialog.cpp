// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/CodePage.h"
#include "store/MessageStore.h"
#include "store/SeriesStore.h"
#include "support/DataColumns.h"
#include "support/ModalSteps.h"
#include "support/TestEnvironment.h"
#include "ui/entry/EntryDialog.h"
#include "ui/entry/MessageTextEdit.h"
#include "ui/entry/UserPicker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>

using L = QStringList;

namespace {

// A moment of March 2026: "[day ]HH:MM[:SS]", the 14th when no day is given.
QDateTime moment(const QString &text)
{
    const L parts = text.split(' ');
    const QTime time
        = QTime::fromString(parts.last(), parts.last().size() > 5 ? "HH:mm:ss" : "HH:mm");
    return QDateTime(QDate(2026, 3, parts.size() > 1 ? parts.first().toInt() : 14), time);
}

// Ann (1, logged in), Bob (2) and Cy (3); Dee (4) has no phone address. 10:00 on 2026/03/14.
// The dialog is opened as its opener opens it, but not waited for.
struct Fixture : StepScript {
    Fixture()
    {
        env.addUser(1, "Ann", "ann@cell", "ann@mail.example");
        env.addUser(2, "Bob", "bob@cell", "bob@mail.example");
        env.addUser(3, "Cy", "cy@cell", "cy@mail.example");
        env.addUser(4, "Dee", QString(), "dee@mail.example");
        env.program.currentUser = 1;
        // A section with a phone address but no name is a free slot, not a user.
        env.settings.writeSetting("User5", "CellEmail", "x@cell");
    }

    // "open [day ]HH:MM" (a slot), "instant", "type TEXT", "paste TEXT", "clear",
    // "double-click", "pick" (Change Recipients; the steps after it play in the picker), a
    // button's caption; "picker [several] [me] [required]" (the picker alone, in that mode);
    // "at [day ]HH:MM:SS" (the clock), "sender N" (the longest sender address has N
    // characters), "lose the data folder" (a file takes its name); "repeat RULE[|END|N or
    // DAY]" (the repetition, as "?repeat" shows it), "answer CAPTION" (to the next question).
    void act(const QString &verb, const QString &rest) override
    {
        if (verb == "open" || verb == "instant") {
            verb == "instant" ? dialog.composeInstantMessage() : dialog.editSlot(moment(rest));
            dialog.show();
        } else if (verb == "type" || verb == "paste") {
            verb == "type" ? QTest::keyClicks(text, rest) : text->insertPlainText(rest);
        } else if (verb == "clear") {
            text->clear();
        } else if (verb == "double-click") {
            QTest::mouseDClick(text->viewport(), Qt::LeftButton);
        } else if (verb == "at") {
            env.clock.set(moment(rest));
        } else if (verb == "sender") {
            env.settings.writeSetting("User3", "Email", QString(rest.toInt(), 'e'));
        } else if (verb == "lose") {
            QDir(env.dataDir()).removeRecursively();
            QFile(env.dir.filePath("data")).open(QIODevice::WriteOnly);
        } else if (verb == "repeat") {
            const L box = rest.split('|');
            dialog.findChild<QComboBox *>("repeatBox")->setCurrentText(box[0]);
            dialog.findChild<QComboBox *>("endBox")->setCurrentText(box.value(1));
            if (box.value(1) == "On")
                dialog.findChild<QDateEdit *>("untilEdit")
                    ->setDate(QDate::fromString(box[2], "yyyy/MM/dd"));
            else if (box.value(1) == "After")
                dialog.findChild<QSpinBox *>("timesBox")->setValue(box[2].toInt());
        } else if (verb == "answer") {
            env.boxes.queueChoice(rest);
        } else if (verb == "pick") {
            within(dialog.picker(), [&] { playDialog(dialog, { "Change Recipients" }); });
        } else if (verb == "picker") {
            on = &dialog.picker();
            dialog.picker().begin({ .several = rest.contains("several"),
                .offerCurrentUser = rest.contains("me"),
                .required = rest.contains("required") });
            on->show();
        } else {
            playDialog(in ? *in : *on, { rest.isNull() ? verb : verb + ' ' + rest });
        }
    }

    // "look": "title|caption of Save or Send|the recipients' names|the buttons enabled";
    // "repeat": the repetition's boxes on show ("Never|Never", "Every week|On|2026/04/04",
    // "Every day|After|2 times"); "text", "selected", "count", "noted" (the characters that
    // will arrive as "?"), "sent" (the instant message handed back); the picker's "picker"
    // ("prompt|the boxes from the top, * after a ticked one|Select All and Clear All shown")
    // and "chosen".
    QString shown(const QString &what) override
    {
        L texts;
        if (what == "picker") {
            for (const QCheckBox *box : on->findChildren<QCheckBox *>())
                if (box->isVisible())
                    texts << box->text() + (box->isChecked() ? "*" : "");
            return on->findChild<QLabel *>("promptLabel")->text() + '|' + texts.join(' ') + '|'
                + QString::number(on->findChild<QWidget *>("selectAllButton")->isVisible())
                + QString::number(on->findChild<QWidget *>("clearAllButton")->isVisible());
        }
        if (what == "chosen") {
            for (int user : dialog.picker().chosen())
                texts << QString::number(user);
            return texts.join(' ');
        }
        auto button = [&](const char *name) { return dialog.findChild<QAbstractButton *>(name); };
        auto label = [&](const char *name) { return dialog.findChild<QLabel *>(name); };
        if (what == "look") {
            L names, enabled;
            auto *list = dialog.findChild<QListWidget *>("recipientList");
            for (int i = 0; i < list->count(); ++i)
                names << list->item(i)->text();
            for (const char *name : { "saveButton", "deleteButton" })
                if (button(name)->isEnabled())
                    enabled << button(name)->text().remove('&').section(' ', 0, 0);
            return L { dialog.windowTitle(), button("saveButton")->text(), names.join(' '),
                enabled.join(' ') }
                .join('|');
        }
        if (what == "repeat") {
            for (const char *name : { "repeatBox", "endBox", "untilEdit", "timesBox" })
                if (const QWidget *box = dialog.findChild<QWidget *>(name); box->isVisible())
                    texts << box->property(box->inherits("QComboBox") ? "currentText" : "text")
                                 .toString();
            return texts.join('|');
        }
        if (what == "noted")
            return label("codePageLabel")->isVisible()
                ? label("codePageLabel")->text().section("\": ", 1)
                : QString();
        if (what == "sent")
            return dialog.instantMessage() ? CodePage::decode(dialog.instantMessage()->line) : "";
        return what == "text"    ? text->toPlainText()
            : what == "selected" ? text->textCursor().selectedText()
            : what == "count"    ? label("countLabel")->text()
                                 : StepScript::shown(what);
    }

    MessageStore store { env.dataDir(), env.clock };
    SeriesStore series { env.dataDir(), store, env.clock };
    EntryDialog dialog { env.program, store, series };
    MessageTextEdit *text = dialog.findChild<MessageTextEdit *>("textEdit");
    QDialog *on = &dialog; // the dialog the captions are clicked in
};

} // namespace

class TestEntryDialog : public QObject {
    Q_OBJECT

private slots:
    // The message file of Ann before and after the steps.
    void entry_data()
    {
        Columns<L, QString, L>({ "before", "steps", "after" });
        auto record = [](const QString &time, const QString &rest) {
            return "2026/03/14 " + time + 'N' + rest;
        };
        const QString a = record("09:00 AM", "A|ann@cell,"), b = record("12:00 PM", "B|ann@cell,");
        const QString hi = record("11:00 AM", "Hi|cy@cell,bob@cell,");
        const QString due = record("10:00 AM", "Due|cy@cell,"),
                      gone = record("11:00 AM", "Hi|gone@cell,");
        const QString slot = "?look Tolvane - Message for 2026/03/", save = " AM|&Save Message|";
        const QString look11 = slot + "14 11:00" + save, at11 = "open 11:00 / " + look11;
        const QString instant = "?look Tolvane - Send an Instant Message|&Send Message|";
        const QString x150(150, 'x'), odd("5 € ☺ \U0001F600 ☺ é");
        auto row = [](const char *tag, const L &before, const QString &steps, const L &after = {}) {
            QTest::newRow(tag) << before << steps << after;
        };
        row("a stored record, its recipients in their order", { a, hi },
            at11 + "Cy Bob|Save Delete / ?text Hi / Escape", { a, hi });
        row("Save only from the next minute on", { due },
            "at 10:00:59 / open 10:00 / " + slot + "14 10:00" + save
                + "Cy|Delete / Cancel / open 10:01 / " + slot + "14 10:01" + save
                + "Ann|Save Delete / Cancel / open 13 23:00 / " + slot
                + "13 11:00 PM|&Save Message|Ann|Delete / Cancel",
            { due });
        row("an address no user has any more is dropped",
            { a, record("11:00 AM", "Old|gone@cell,bob@cell,"), b },
            at11 + "Bob|Save Delete / clear / type New / Save Message",
            { a, record("11:00 AM", "New|bob@cell,"), b });
        row("no address matches a user", { gone }, at11 + "Ann|Save Delete / Cancel", { gone });
        // An instant message is handed back, not stored.
        row("every opening afresh", { hi },
            "at 10:07:33 / instant / type typed / pick / Ann / Bob / Apply / " + instant
                + "Bob|Send / Send Message / ?sent 2026/03/14 10:07 AMNtyped|bob@cell, / " + at11
                + "Cy Bob|Save Delete / ?text Hi / ?sent  / type more / Escape / instant / "
                + "?text  / " + instant + "Ann|Send / Cancel / ?sent ",
            { hi });
        row("no record: the logged-in user, into a missing file", {},
            at11 + "Ann|Save Delete / ?text  / type Hi / Save Message",
            { record("11:00 AM", "Hi|ann@cell,") });
        row("empty text keeps the stored record", { hi }, "open 11:00 / clear / Save Message",
            { hi });
        row("characters outside the code page", {},
            "open 11:00 / paste " + odd + " / ?text " + odd
                + " / ?noted ☺ \U0001F600 / ?count 12 of 129 characters / Save Message",
            { record("11:00 AM", "5 € ? ? ? é|ann@cell,") });
        row("delete a past slot", { a, hi, b }, "open 09:00 / Delete Message", { hi, b });
        row("picker cancelled", { hi }, "open 11:00 / pick / Cancel / Save Message", { hi });
        row("recipients in alphabetical order", { hi },
            "open 11:00 / pick / Cy / Bob / Apply / " + look11
                + "Ann Bob Cy|Save Delete / Save Message",
            { record("11:00 AM", "Hi|ann@cell,bob@cell,cy@cell,") });
        row("a recipient without a phone", { hi },
            "open 11:00 / pick / Ann / Dee / Apply / " + look11 + "Dee|Save Delete / Save Message",
            { record("11:00 AM", "Hi|") });
        row("slot passed while open", {},
            "open 10:15 / type Keep me / at 10:15:02 / Save Message / Save Message / ?boxes "
            "Tolvane: The time of this message has passed, so it can no longer be saved. Please "
            "choose a later time. / ?text Keep me");
        row("a phone address a record cannot keep", { hi },
            "open 11:00 / set User2/CellEmail=bob,x@cell / Save Message / ?boxes Tolvane: The "
            "phone address of Bob contains \"|\" or \",\", which a message file cannot keep. "
            "Please correct it under User Settings, Edit Current User, or choose other "
            "recipients. / ?text Hi",
            { hi });
        row("message file cannot be written", {},
            "open 11:00 / type Keep me / lose the data folder / Save Message / ?boxes Tolvane: The "
            "message was not saved.\n\nCannot read <data>/u1.usr... / ?text Keep me");
        // A repeating message: one record a day from the first on, each at the slot's time.
        // Days already holding a message are listed (ten at most) and replaced or skipped
        // as the user answers; a cancelled question stores nothing.
        auto daily = [](int from, int to, const QString &text, const L &keep = {}) {
            L out;
            for (int day = from; day <= to; ++day)
                out << "2026/03/" + QString::number(day) + " 11:00 AMN"
                        + keep.value(day - from, text) + "|ann@cell,";
            return out;
        };
        const L old = daily(15, 26, "Old");
        const QString occupied = "?asked Tolvane: These days already hold a message at 11:00 AM: "
                                 "2026/03/15, 2026/03/16, 2026/03/17, 2026/03/18, 2026/03/19, "
                                 "2026/03/20, 2026/03/21, 2026/03/22, 2026/03/23, 2026/03/24 "
                                 "and 2 more.\n\nReplace those messages with this one, or skip "
                                 "those days? [Replace|Skip|Cancel]";
        const QString pill = "open 11:00 / type Pill / repeat Every day|After|14 / ";
        row("repeat: replace the occupied days", old,
            pill + "answer Replace / Save Message / " + occupied, daily(14, 27, "Pill"));
        row("repeat: skip them", old, pill + "answer Skip / Save Message / " + occupied,
            daily(14, 14, "Pill") + old + daily(27, 27, "Pill"));
        row("repeat: cancelled", old,
            pill + "answer Cancel / Save Message / " + occupied + " / ?text Pill", old);
        row("repeat: the message on show becomes the first, unasked", { hi },
            "open 11:00 / repeat Every week|On|2026/03/28 / Save Message / ?asked  / open 21 "
            "11:00 / ?repeat Every week|On|2026/03/28 / Cancel / instant / ?repeat  / Cancel",
            { hi, record("11:00 AM", "Hi|cy@cell,bob@cell,").replace("/14", "/21"),
                record("11:00 AM", "Hi|cy@cell,bob@cell,").replace("/14", "/28") });
        // An occurrence opened: Save and Delete ask whether they are meant for it alone
        // (it leaves the series, and shows as an ordinary message) or for it and all later
        // ones (for Delete: test_series.py); a cancelled question changes nothing.
        const QString three = "open 11:00 / type Pill / repeat Every day|After|3 / Save Message "
                              "/ open 15 11:00 / ?repeat Every day|After|2 times / ";
        const QString reach = "?asked Tolvane: This message is one of a repeating series. %1 "
                              "this message only, or this one and all later ones? [This Message "
                              "Only|This and All Later Ones|Cancel]";
        row("series: save this message only", {},
            three + "clear / type Nap / answer This Message Only / Save Message / "
                + reach.arg("Change") + " / open 15 11:00 / ?repeat Never|Never / Cancel",
            daily(14, 16, "Pill", { "Pill", "Nap" }));
        row("series: save this and all later ones", {},
            three + "clear / type Nap / answer This and All Later Ones / Save Message / "
                + reach.arg("Change")
                + " / open 16 11:00 / ?repeat Every day|After|1 time / Cancel",
            daily(14, 16, "Nap", { "Pill" }));
        row("series: delete this message only", {},
            three + "answer This Message Only / Delete Message / " + reach.arg("Delete"),
            daily(14, 14, "Pill") + daily(16, 16, "Pill"));
        row("series: cancelled", {},
            three
                + "clear / type Nap / answer Cancel / Save Message / answer Cancel / Delete "
                  "Message / ?text Nap / ?asked "
                + reach.arg("Change").mid(7) + '\n' + reach.arg("Delete").mid(7),
            daily(14, 16, "Pill"));
        row("repeat: message file cannot be written", {},
            "open 11:00 / type Keep me / repeat Every day / lose the data folder / Save Message "
            "/ ?boxes Tolvane: The message was not saved.\n\nCannot ... / ?text Keep me");
        // The limit is 145 less the longest sender address, never below 20, for a text
        // pasted or typed; a double click selects the first 100 characters.
        row("pasted to the limit", {},
            "sender 25 / open 11:00 / paste " + x150 + " / ?text " + QString(120, 'x')
                + " / ?count 120 of 120 characters / double-click / ?selected " + QString(100, 'x')
                + " / Cancel");
        row("sender longer than the room", {},
            "sender 160 / open 11:00 / paste " + x150 + " / ?count 20 of 20 characters / Cancel");
        const QString longer = record("11:00 AM", QString(130, 's') + '|');
        row("longer stored text kept, not grown", { longer },
            "sender 25 / open 11:00 / type " + x150
                + " / ?count 130 of 120 characters / double-click / ?selected " + QString(100, 's')
                + " / Cancel",
            { longer });
        // The picker alone, every opening set up afresh; in the order of the names, letter
        // case (capitals first), then the number.
        const QString picker = "user 10 Abe / picker several me / Select All / Apply / picker ";
        row("picker: the logged-in user left out", {},
            picker
                + "several / ?picker Please select users:|Abe Bob Cy Dee|11 / Select All / "
                  "Apply / ?chosen 10 2 3 4");
        row("picker: letter case, then the number", {},
            "user 8 abe / user 9 ann / user 7 Bob / " + picker
                + "several me / ?picker Please select users:|Abe abe Ann* ann Bob Bob Cy Dee|11 / "
                  "Select All / Apply / ?chosen 10 8 1 9 2 7 3 4");
        const QString recipients = picker + "several me required / ";
        row("picker: another ticked beside one's own", {},
            recipients + "Abe / Apply / ?chosen 10 1");
        row("picker: own box unticked", {}, recipients + "Ann / Bob / Apply / ?chosen 2");
        row("picker: Cancel, one ticked", {}, recipients + "Cancel / ?chosen ");
        for (const char *way : { "Apply", "Cancel", "Escape" })
            row(qPrintable(QString("picker: %1, none ticked").arg(way)), {},
                recipients + "Clear All / " + way
                    + " / ?chosen  / ?icon Critical / ?boxes User Selection: You must select a "
                      "user.");
        row("picker: one only, a second tick unticks the first", {},
            picker
                + " / ?picker Please select user:|Abe Bob Cy Dee|00 / Abe / Dee / Apply / "
                  "?chosen 4");
        row("picker: one only, none ticked, nothing required", {}, picker + " / Apply / ?chosen ");
    }
    void entry()
    {
        QFETCH(L, before);
        QFETCH(QString, steps);
        QFETCH(L, after);
        Fixture f;
        if (!before.isEmpty())
            f.env.writeMessageFile(1, before);
        f.play(steps);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(CodePage::decode(f.env.readMessageFileBytes(1)).split("\r\n", Qt::SkipEmptyParts),
            after);
        // No scratch file left behind in the data folder, no message file made by looking
        // (the series store keeps a file of its own there).
        QCOMPARE(QDir(f.env.dataDir()).entryList({ "*.usr", "tmp.tmp" }, QDir::Files),
            (before + after).isEmpty() ? L() : L { "u1.usr" });
        // A refusal or a cancelled question keeps the dialog open.
        const bool refused = f.checked.contains("boxes") || steps.contains("answer Cancel");
        QCOMPARE(f.on->isVisible(), refused);
        if (!refused)
            QCOMPARE(f.shown("boxes"), QString());
    }
};

QTEST_MAIN(TestEntryDialog)
#include "tst_entrydialog.moc"

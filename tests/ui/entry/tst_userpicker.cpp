#include "support/DataColumns.h"
#include "support/TestEnvironment.h"
#include "ui/entry/DialogScript.h"
#include "ui/entry/UserPicker.h"

#include <QCheckBox>
#include <QLabel>

using Users = QList<QPair<int, QString>>;
using L = QStringList;

class TestUserPicker : public QObject {
    Q_OBJECT

private slots:
    // mode: "several", "me" (the logged-in user, 1, is offered) and "required", as given;
    // shown: the boxes from the top, "*" after a ticked one.
    void pick_data()
    {
        Columns<Users, QString, L, QString, QList<int>, bool>(
            { "users", "mode", "clicks", "shown", "chosen", "refused" });
        const Users cabd { { 1, "C" }, { 2, "A" }, { 3, "B" }, { 10, "D" } };
        auto row = [&](const char *tag, const QString &mode, const L &clicks, const QString &shown,
                       const QList<int> &chosen, bool refused = false, const Users &users = {}) {
            QTest::newRow(tag) << (users.isEmpty() ? cabd : users) << mode << clicks << shown
                               << chosen << refused;
        };
        const L all { "Select All", "Apply" };
        row("alphabetical, own box ticked", "several me", all, "A B C* D", { 2, 3, 1, 10 });
        row("the logged-in user left out", "several", all, "A B D", { 2, 3, 10 });
        row("letter case, then the number, break ties", "several me", all,
            "apple Bob Bob Desk desk*", { 3, 4, 6, 2, 1 }, false,
            { { 1, "desk" }, { 2, "Desk" }, { 3, "apple" }, { 6, "Bob" }, { 4, "Bob" } });
        const QString recipients = "several me required";
        row("A ticked beside C", recipients, { "A", "Apply" }, "A B C* D", { 2, 1 });
        row("own box unticked", recipients, { "C", "B", "Apply" }, "A B C* D", { 3 });
        row("Cancel, one ticked", recipients, { "Cancel" }, "A B C* D", {});
        row("Apply, none ticked", recipients, { "Clear All", "Apply" }, "A B C* D", {}, true);
        row("Cancel, none ticked", recipients, { "Clear All", "Cancel" }, "A B C* D", {}, true);
        row("Escape, none ticked", recipients, { "Clear All", "Escape" }, "A B C* D", {}, true);
        row("one only: a second tick unticks the first", "", { "A", "D", "Apply" }, "A B D",
            { 10 });
        row("one only, none ticked, nothing required", "", { "Apply" }, "A B D", {});
    }
    void pick()
    {
        QFETCH(Users, users);
        QFETCH(QString, mode);
        TestEnvironment env;
        for (const auto &[n, name] : users)
            env.addUser(n, name, name.toLower() + "@cell");
        // A section with a phone address but no name is a free slot, not a user.
        env.settings.WriteSetting("User5", "CellEmail", "x@cell");
        env.program.currentUser = 1;
        UserPicker picker(env.program);
        // Every box ticked at an earlier opening: each opening is set up afresh.
        picker.begin({ .several = true, .offerCurrentUser = true });
        picker.show();
        playDialog(picker, { "Select All", "Apply" });

        const bool several = mode.contains("several");
        picker.begin({ .several = several,
            .offerCurrentUser = mode.contains("me"),
            .required = mode.contains("required") });
        picker.show();
        QCOMPARE(picker.findChild<QLabel *>("promptLabel")->text(),
            several ? "Please select users:" : "Please select user:");
        for (const char *button : { "selectAllButton", "clearAllButton" })
            QCOMPARE(picker.findChild<QWidget *>(button)->isVisible(), several);
        L shown;
        for (const QCheckBox *box : picker.findChildren<QCheckBox *>())
            if (box->isVisible())
                shown << box->text() + (box->isChecked() ? "*" : "");
        QTEST(shown.join(' '), "shown");

        QFETCH(L, clicks);
        playDialog(picker, clicks);
        QList<int> chosen = picker.chosen();
        if (chosen.isEmpty())
            chosen = {}; // Qt 6.4 compares an allocated empty list with memcmp on a null pointer
        QTEST(chosen, "chosen");
        QFETCH(bool, refused);
        QCOMPARE(picker.isVisible(), refused);
        QCOMPARE(env.boxes.shown.size(), refused ? 1 : 0);
        if (refused) {
            const auto &box = env.boxes.shown.first();
            QCOMPARE(box.title + ": " + box.text, "User Selection: You must select a user.");
            QCOMPARE(box.icon, MessageBoxes::Icon::Critical);
        }
    }
};

QTEST_MAIN(TestUserPicker)
#include "tst_userpicker.moc"

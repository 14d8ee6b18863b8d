#include "support/DataColumns.h"
#include "support/TestEnvironment.h"
#include "ui/entry/PickerScript.h"

#include <QCheckBox>
#include <QLabel>

using Users = QList<QPair<int, QString>>;
using L = QStringList;
using Numbers = QList<int>;

namespace {

// The recipients' mode of the entry dialog, and the log-in and removal commands' mode.
const UserPicker::Mode Recipients { .several = true, .offerCurrentUser = true, .required = true };
const UserPicker::Mode OtherUser { .several = false, .offerCurrentUser = false, .required = false };

// A picker for the users given, user 1 logged in, shown as its opener shows it.
struct Picker {
    explicit Picker(const Users &users)
    {
        for (const auto &[n, name] : users)
            env.addUser(n, name, name.toLower() + "@cell");
        // A section with a phone address but no name is a free slot, not a user.
        env.settings.WriteSetting("User5", "CellEmail", "x@cell");
        env.program.CurrentUser = 1;
    }
    void open(const UserPicker::Mode &mode)
    {
        picker.begin(mode);
        picker.show();
    }
    // The boxes on show, from the top: the name, "*" after a ticked one.
    QStringList shown() const
    {
        QStringList boxes;
        for (const QCheckBox *box : picker.findChildren<QCheckBox *>())
            if (!box->isHidden())
                boxes << box->text() + (box->isChecked() ? "*" : "");
        return boxes;
    }

    TestEnvironment env;
    UserPicker picker { env.program };
};

} // namespace

class TestUserPicker : public QObject {
    Q_OBJECT

private slots:
    void offered_data()
    {
        Columns<Users, bool, L, Numbers>({ "users", "offerCurrent", "shown", "numbers" });
        const Users cabd { { 1, "C" }, { 2, "A" }, { 3, "B" }, { 10, "D" } };
        QTest::newRow("alphabetical, own box ticked")
            << cabd << true << L { "A", "B", "C*", "D" } << Numbers { 2, 3, 1, 10 };
        QTest::newRow("the logged-in user left out")
            << cabd << false << L { "A", "B", "D" } << Numbers { 2, 3, 10 };
        QTest::newRow("letter case, then the number, only break ties")
            << Users { { 1, "desk" }, { 2, "Desk" }, { 3, "apple" }, { 6, "Bob" }, { 4, "Bob" } }
            << true << L { "apple", "Bob", "Bob", "Desk", "desk*" } << Numbers { 3, 4, 6, 2, 1 };
    }
    // Select All then Apply tells which user stands behind each box.
    void offered()
    {
        QFETCH(Users, users);
        QFETCH(bool, offerCurrent);
        Picker f(users);
        f.open({ .several = true, .offerCurrentUser = offerCurrent, .required = false });
        QTEST(f.shown(), "shown");
        playPicker(f.picker, { "Select All", "Apply" });
        QTEST(f.picker.chosen(), "numbers");
    }

    void choose_data()
    {
        Columns<bool, L, bool, Numbers>({ "recipients", "clicks", "refused", "chosen" });
        QTest::newRow("A ticked beside C")
            << true << L { "A", "Apply" } << false << Numbers { 2, 1 };
        QTest::newRow("own box unticked")
            << true << L { "C", "B", "Apply" } << false << Numbers { 3 };
        QTest::newRow("Apply, none ticked")
            << true << L { "Clear All", "Apply" } << true << Numbers();
        QTest::newRow("Cancel, none ticked")
            << true << L { "Clear All", "Cancel" } << true << Numbers();
        QTest::newRow("Escape, none ticked")
            << true << L { "Clear All", "Escape" } << true << Numbers();
        QTest::newRow("Cancel, one ticked") << true << L { "Cancel" } << false << Numbers();
        QTest::newRow("one only: a second tick unticks the first")
            << false << L { "A", "D", "Apply" } << false << Numbers { 4 };
        QTest::newRow("one only, none ticked, nothing required")
            << false << L { "Apply" } << false << Numbers();
    }
    // Each row opens the picker a second time, in the other mode first: every opening is
    // set up afresh from its own mode.
    void choose()
    {
        QFETCH(bool, recipients);
        QFETCH(bool, refused);
        Picker f({ { 1, "C" }, { 2, "A" }, { 3, "B" }, { 4, "D" } });
        f.open(recipients ? OtherUser : Recipients);
        playPicker(f.picker, { "B", "Apply" });
        f.open(recipients ? Recipients : OtherUser);
        QCOMPARE(f.picker.findChild<QLabel *>("promptLabel")->text(),
            recipients ? "Please select users:" : "Please select user:");
        QCOMPARE(f.shown().size(), recipients ? 4 : 3);
        for (const char *button : { "selectAllButton", "clearAllButton" })
            QCOMPARE(f.picker.findChild<QWidget *>(button)->isVisible(), recipients);
        QFETCH(L, clicks);
        playPicker(f.picker, clicks);
        QTEST(f.picker.chosen(), "chosen");
        QCOMPARE(f.picker.isVisible(), refused);
        QCOMPARE(f.env.boxes.shown.size(), refused ? 1 : 0);
        if (refused) {
            const auto &box = f.env.boxes.shown.first();
            QCOMPARE(box.title + ": " + box.text, "User Selection: You must select a user.");
            QCOMPARE(box.icon, MessageBoxes::Icon::Critical);
        }
    }
};

QTEST_MAIN(TestUserPicker)
#include "tst_userpicker.moc"

#include "support/TestEnvironment.h"
#include "ui/entry/FrmUserSelect.h"
#include "ui/entry/PickerScript.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using Users = QList<QPair<int, QString>>;

class TestFrmUserSelect : public QObject {
    Q_OBJECT

private:
    // Users C (1), A (2) and B (3), user 1 logged in, the picker in recipient mode.
    static void setUpRecipientMode(TestEnvironment &env)
    {
        env.addUser(1, QStringLiteral("C"), QStringLiteral("c@cell"));
        env.addUser(2, QStringLiteral("A"), QStringLiteral("a@cell"));
        env.addUser(3, QStringLiteral("B"), QStringLiteral("b@cell"));
        env.program.CurrentUser = 1;
        env.program.SingleSelect = false;
        env.program.IncludeCurrentUser = true;
        env.program.RequireSelection = true;
    }

    static QList<int> chosen(const Program &program)
    {
        QList<int> numbers;
        for (int n : program.Recipients)
            numbers.append(n);
        while (!numbers.isEmpty() && numbers.last() == 0)
            numbers.removeLast();
        return numbers;
    }

private slots:
    void offeredUsers_data()
    {
        QTest::addColumn<Users>("users");
        QTest::addColumn<int>("currentUser");
        QTest::addColumn<bool>("includeCurrent");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QList<int>>("numbers");

        const Users cab { { 1, "C" }, { 2, "A" }, { 3, "B" } };
        QTest::newRow("recipient mode: alphabetical, own box ticked")
            << cab << 1 << true << QStringList { "A", "B", "C" } << QList<int> { 2, 3, 1 };
        QTest::newRow("log-in mode leaves out the logged-in user")
            << cab << 1 << false << QStringList { "A", "B" } << QList<int> { 2, 3 };
        QTest::newRow("gaps in the roster")
            << Users { { 7, "Zoe" }, { 2, "Max" }, { 10, "Ida" } } << 10 << true
            << QStringList { "Ida", "Max", "Zoe" } << QList<int> { 10, 2, 7 };
        QTest::newRow("letter case only breaks ties")
            << Users { { 1, "desk" }, { 2, "Desk" }, { 3, "apple" }, { 4, "Bob" } } << 4 << true
            << QStringList { "apple", "Bob", "Desk", "desk" } << QList<int> { 3, 4, 2, 1 };
        QTest::newRow("two users of one name keep their own numbers")
            << Users { { 1, "Kim" }, { 2, "Kim" } } << 2 << true << QStringList { "Kim", "Kim" }
            << QList<int> { 1, 2 };
    }

    void offeredUsers()
    {
        QFETCH(Users, users);
        QFETCH(int, currentUser);
        QFETCH(bool, includeCurrent);
        QFETCH(QStringList, captions);
        QFETCH(QList<int>, numbers);

        TestEnvironment env;
        for (const auto &[n, name] : users)
            env.addUser(n, name, name.toLower() + QStringLiteral("@cell"));
        // A section with a phone address but no name is a free slot, not a user.
        env.settings.WriteSetting(QStringLiteral("User5"), QStringLiteral("CellEmail"), "x@cell");
        env.program.CurrentUser = currentUser;
        env.program.IncludeCurrentUser = includeCurrent;
        FrmUserSelect form(env.program);
        form.Form_Load();

        QStringList shown;
        QList<int> behind;
        for (int i = 0; i < FrmUserSelect::BoxCount; ++i) {
            QCheckBox *box = form.chkUser[i];
            if (box->isHidden()) {
                QVERIFY2(!box->isChecked(), "a hidden box is ticked");
                continue;
            }
            QCOMPARE(i, shown.size()); // the offered users fill the first boxes
            shown.append(box->text());
            behind.append(form.userBehind(i));
            // Only the logged-in user's own box starts ticked.
            QCOMPARE(box->isChecked(), form.userBehind(i) == currentUser);
        }
        QCOMPARE(shown, captions);
        QCOMPARE(behind, numbers);
        QCOMPARE(chosen(env.program), QList<int>()); // nothing chosen until Apply
    }

    void choose_data()
    {
        QTest::addColumn<bool>("single");
        QTest::addColumn<bool>("require");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("refused"); // "You must select a user." and still open
        QTest::addColumn<QList<int>>("recipients");

        using L = QStringList;
        QTest::newRow("A ticked beside C")
            << false << true << L { "A", "Apply" } << false << QList<int> { 2, 1 };
        QTest::newRow("own box unticked")
            << false << true << L { "C", "B", "Apply" } << false << QList<int> { 3 };
        QTest::newRow("select all")
            << false << true << L { "Select All", "Apply" } << false << QList<int> { 2, 3, 1, 4 };
        QTest::newRow("single: a second tick unticks the first")
            << true << false << L { "A", "D", "Apply" } << false << QList<int> { 4 };
        QTest::newRow("Apply, none ticked, selection required")
            << false << true << L { "Clear All", "Apply" } << true << QList<int>();
        QTest::newRow("Cancel, none ticked, selection required")
            << false << true << L { "Clear All", "Cancel" } << true << QList<int>();
        QTest::newRow("Escape, none ticked, selection required")
            << false << true << L { "Clear All", "Escape" } << true << QList<int>();
        QTest::newRow("Cancel, one ticked")
            << false << true << L { "Cancel" } << false << QList<int>();
        QTest::newRow("Apply, none ticked, nothing required")
            << true << false << L { "Apply" } << false << QList<int>();
        QTest::newRow("Cancel, nothing required")
            << true << false << L { "B", "Cancel" } << false << QList<int>();
    }

    void choose()
    {
        QFETCH(bool, single);
        QFETCH(bool, require);
        QFETCH(QStringList, steps);
        QFETCH(bool, refused);
        QFETCH(QList<int>, recipients);

        TestEnvironment env;
        setUpRecipientMode(env);
        env.addUser(4, QStringLiteral("D"), QStringLiteral("d@cell"));
        env.program.SingleSelect = single;
        env.program.IncludeCurrentUser = !single;
        env.program.RequireSelection = require;
        env.program.Recipients.fill(9); // whatever an earlier opening left
        FrmUserSelect form(env.program);
        ModalDriver driver(form, form.tmrRefresh, [&] {
            QCOMPARE(form.lblInfo->text(),
                single ? QStringLiteral("Please select user:")
                       : QStringLiteral("Please select users:"));
            QCOMPARE(form.cmdSelectAll->isHidden(), single);
            QCOMPARE(form.cmdClearAll->isHidden(), single);
            playPicker(form, steps);
        });
        form.showModal();

        QVERIFY(driver.acted);
        QCOMPARE(driver.stayedOpen, refused);
        QCOMPARE(chosen(env.program), recipients);
        QCOMPARE(env.boxes.shown.size(), refused ? 1 : 0);
        if (refused) {
            QCOMPARE(env.boxes.shown[0].text, QStringLiteral("You must select a user."));
            QCOMPARE(env.boxes.shown[0].title, QStringLiteral("User Selection"));
            QCOMPARE(env.boxes.shown[0].icon, MessageBoxes::Icon::Critical);
            QCOMPARE(env.boxes.shown[0].buttons, MessageBoxes::Buttons::Ok);
        }
    }

    // The form is hidden, not destroyed: each opening is rebuilt from the flags the
    // caller set just before it, not from the previous opening.
    void freshOnEveryOpening()
    {
        TestEnvironment env;
        setUpRecipientMode(env);
        FrmUserSelect form(env.program);
        ModalDriver first(form, form.tmrRefresh, [&] {
            QTest::mouseClick(form.cmdSelectAll, Qt::LeftButton);
            QTest::mouseClick(form.cmdCancel, Qt::LeftButton);
        });
        QCOMPARE(form.showModal(), int(QDialog::Rejected));
        QVERIFY(first.acted);
        QVERIFY(!first.stayedOpen);
        QCOMPARE(env.program.Recipients[0], 0); // a cancel returns nobody

        env.program.SingleSelect = true;
        env.program.IncludeCurrentUser = false;
        QStringList shown;
        int ticked = 0;
        ModalDriver second(form, form.tmrRefresh, [&] {
            for (QCheckBox *box : form.chkUser) {
                if (!box->isHidden())
                    shown.append(box->text());
                ticked += box->isChecked();
            }
            QCOMPARE(form.lblInfo->text(), QStringLiteral("Please select user:"));
            QTest::mouseClick(form.cmdCancel, Qt::LeftButton);
        });
        form.showModal();
        QVERIFY(second.acted);
        QCOMPARE(shown, (QStringList { "A", "B" }));
        QCOMPARE(ticked, 0);
    }
};

QTEST_MAIN(TestFrmUserSelect)
#include "tst_frmuserselect.moc"

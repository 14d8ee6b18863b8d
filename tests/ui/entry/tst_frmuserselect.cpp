#include "support/DataColumns.h"
#include "support/ModalSteps.h"
#include "support/TestEnvironment.h"
#include "ui/entry/FrmUserSelect.h"
#include "ui/entry/PickerScript.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

using Users = QList<QPair<int, QString>>;

namespace {

// The chosen user numbers as "2,1" (empty when nobody was chosen).
QString chosen(const Program &program)
{
    QStringList numbers;
    for (const int n : program.Recipients) {
        if (n != 0)
            numbers.append(QString::number(n));
    }
    return numbers.join(u',');
}

} // namespace

class TestFrmUserSelect : public QObject {
    Q_OBJECT

private slots:
    void offeredUsers_data()
    {
        Columns<Users, bool, QStringList, QList<int>>(
            { "users", "includeCurrent", "captions", "numbers" });
        const Users cab { { 1, "C" }, { 2, "A" }, { 3, "B" }, { 10, "D" } };
        QTest::newRow("recipient mode: alphabetical, own box ticked")
            << cab << true << QStringList { "A", "B", "C", "D" } << QList<int> { 2, 3, 1, 10 };
        QTest::newRow("log-in mode leaves out the logged-in user")
            << cab << false << QStringList { "A", "B", "D" } << QList<int> { 2, 3, 10 };
        QTest::newRow("letter case only breaks ties")
            << Users { { 1, "desk" }, { 2, "Desk" }, { 3, "apple" }, { 4, "Bob" } } << true
            << QStringList { "apple", "Bob", "Desk", "desk" } << QList<int> { 3, 4, 2, 1 };
    }
    void offeredUsers()
    {
        QFETCH(Users, users);
        TestEnvironment env;
        for (const auto &[n, name] : users)
            env.addUser(n, name, name.toLower() + "@cell");
        // A section with a phone address but no name is a free slot, not a user.
        env.settings.WriteSetting("User5", "CellEmail", "x@cell");
        env.program.CurrentUser = 1;
        QFETCH(bool, includeCurrent);
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
            QCOMPARE(box->isChecked(), form.userBehind(i) == 1);
        }
        QTEST(shown, "captions");
        QTEST(behind, "numbers");
    }

    void choose_data()
    {
        Columns<bool, bool, QStringList, bool, QString>(
            { "single", "require", "clicks", "refused", "recipients" });
        using L = QStringList;
        QTest::newRow("A ticked beside C") << false << true << L { "A", "Apply" } << false << "2,1";
        QTest::newRow("own box unticked")
            << false << true << L { "C", "B", "Apply" } << false << "3";
        QTest::newRow("select all")
            << false << true << L { "Select All", "Apply" } << false << "2,3,1,4";
        QTest::newRow("single: a second tick unticks the first")
            << true << false << L { "A", "D", "Apply" } << false << "4";
        QTest::newRow("Apply, none ticked, selection required")
            << false << true << L { "Clear All", "Apply" } << true << "";
        QTest::newRow("Cancel, none ticked, selection required")
            << false << true << L { "Clear All", "Cancel" } << true << "";
        QTest::newRow("Escape, none ticked, selection required")
            << false << true << L { "Clear All", "Escape" } << true << "";
        QTest::newRow("Cancel, one ticked") << false << true << L { "Cancel" } << false << "";
        QTest::newRow("Apply, none ticked, nothing required")
            << true << false << L { "Apply" } << false << "";
    }
    // Each row opens the picker a second time: the form is hidden, not destroyed, and each
    // opening is built afresh from the flags set just before it.
    void choose()
    {
        QFETCH(bool, single);
        QFETCH(bool, require);
        QFETCH(QStringList, clicks);
        QFETCH(bool, refused);
        TestEnvironment env;
        env.addUser(1, "C", "c@cell");
        env.addUser(2, "A", "a@cell");
        env.addUser(3, "B", "b@cell");
        env.addUser(4, "D", "d@cell");
        env.program.CurrentUser = 1;
        FrmUserSelect form(env.program);
        env.program.SingleSelect = !single;
        env.program.IncludeCurrentUser = single;
        ModalSteps steps;
        steps.then(form, [&] { playPicker(form, { "B", "Apply" }); });
        form.showModal();

        env.program.SingleSelect = single;
        env.program.IncludeCurrentUser = !single;
        env.program.RequireSelection = require;
        steps.then(form, [&] {
            QCOMPARE(form.lblInfo->text(), single ? "Please select user:" : "Please select users:");
            QCOMPARE(form.cmdSelectAll->isHidden(), single);
            playPicker(form, clicks);
        });
        form.showModal();
        QVERIFY2(steps.finished(), qPrintable(steps.failure));
        QCOMPARE(steps.leftOpen, refused);
        QTEST(chosen(env.program), "recipients");
        QCOMPARE(env.boxes.shown.size(), refused ? 1 : 0);
        if (refused) {
            QCOMPARE(env.boxes.shown[0].text, "You must select a user.");
            QCOMPARE(env.boxes.shown[0].title, "User Selection");
        }
    }
};

QTEST_MAIN(TestFrmUserSelect)
#include "tst_frmuserselect.moc"

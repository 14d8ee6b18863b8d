#include "app/ErrorTrap.h"
#include "app/Program.h"
#include "app/SettingsStore.h"
#include "support/DataColumns.h"
#include "support/FullDisk.h"
#include "ui/main/StartedProgram.h"

#include <QAction>
#include <QDir>
#include <functional>

namespace {

enum class Fault { SettingsDiskFull, UnreadableMessageFile, Unexpected };

void onFullDisk(const std::function<void()> &action)
{
    const FullDisk fullDisk(1);
    action();
}

// Shows nothing, but meets the failure again while its box is open, as the next timer
// tick would.
class ReenteringBoxes final : public MessageBoxes {
public:
    Answer show(const QString &, const QString &text, Icon, Buttons, QWidget *) override
    {
        shown.append(text);
        if (again)
            std::exchange(again, {})();
        return Answer::Ok;
    }
    QStringList shown;
    std::function<void()> again;
};

} // namespace

Q_DECLARE_METATYPE(Fault)

// A file that cannot be written or read is told to the user with its reason whatever
// ShowErrors says; other failures stay behind ShowErrors. The program goes on.
class TestWriteFailure : public QObject {
    Q_OBJECT

private slots:
    void failureIsTold_data()
    {
        Columns<Fault, bool, QString>({ "fault", "showErrors", "box" });
        const QString settings = QStringLiteral("Cannot write the settings file ");
        QTest::newRow("menu toggle on a full disk") << Fault::SettingsDiskFull << false << settings;
        QTest::newRow("menu toggle on a full disk, errors shown")
            << Fault::SettingsDiskFull << true << settings;
        QTest::newRow("message file unreadable")
            << Fault::UnreadableMessageFile << false << QStringLiteral("Cannot read ");
        QTest::newRow("unexpected failure") << Fault::Unexpected << false << QString();
        QTest::newRow("unexpected failure, errors shown")
            << Fault::Unexpected << true << QStringLiteral("Error occurred in frmMain.Test");
    }
    void failureIsTold()
    {
        QFETCH(Fault, fault);
        QFETCH(bool, showErrors);
        QFETCH(QString, box);
        StartedProgram f;
        TestEnvironment &env = f.env;
        env.settings.WriteSetting("Options", "Error", showErrors ? "1" : "0");
        FrmMain &w = f.w();
        w.Form_Load();
        const bool ticked = w.mnuSysTray->isChecked();
        switch (fault) {
        case Fault::SettingsDiskFull:
            onFullDisk([&] { w.mnuSysTray->trigger(); });
            break;
        case Fault::UnreadableMessageFile:
            QVERIFY(QDir().mkpath(env.userFile(1) + "/inside"));
            w.LoadScreenData("2026/03/14");
            break;
        case Fault::Unexpected:
            Trap(env.program, "frmMain.Test", [] { throw std::runtime_error("broken"); });
            break;
        }
        if (box.isEmpty()) {
            QVERIFY(env.boxes.shown.isEmpty());
        } else {
            QCOMPARE(env.boxes.shown.size(), 1);
            QVERIFY2(env.boxes.shown[0].text.startsWith(box), qPrintable(env.boxes.shown[0].text));
            QCOMPARE(env.boxes.shown[0].icon, MessageBoxes::Icon::Critical);
        }
        // The tick tells what is stored, and the program goes on: the same command works
        // once the disk has room.
        QCOMPARE(w.mnuSysTray->isChecked(), ticked);
        QCOMPARE(env.settings.ReadSetting("Options", "StartSmall", "0"), "0");
        w.mnuSysTray->trigger();
        QCOMPARE(w.mnuSysTray->isChecked(), !ticked);
        QCOMPARE(env.settings.ReadSetting("Options", "StartSmall", "0"), "1");
    }

    // A failure met again while its own box is still open (the timers run on under a
    // modal box) is not stacked in a second box; another failure is.
    void sameFailureNotStacked()
    {
        TestEnvironment env;
        ReenteringBoxes boxes;
        Program p(env.settings, env.clock, boxes);
        const auto fail = [&](const char *why) {
            Trap(p, "frmTimer.Test", [why] { throw SettingsError(why); });
        };
        boxes.again = [&] {
            fail("disk full");
            boxes.again = [&] { fail("folder gone"); };
            fail("folder gone");
        };
        fail("disk full");
        QCOMPARE(boxes.shown, QStringList({ "disk full", "folder gone" }));
        // Once closed, the same failure is told again.
        fail("disk full");
        QCOMPARE(boxes.shown.size(), 3);
    }
};

QTEST_MAIN(TestWriteFailure)
#include "tst_writefailure.moc"

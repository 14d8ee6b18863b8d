#include "app/StartValues.h"
#include "support/FullDisk.h"
#include "ui/main/DaySlots.h"
#include "ui/main/StartedProgram.h"

#include <QDir>
#include <QScreen>

// Stored values nobody would write, and files that cannot be written or read: the program
// starts, works, and tells a file's failure with its reason whatever ShowErrors says. The
// message file's damaged lines are the store's tests' part (tst_messagestore, fuzz_record),
// a settings file's damaged lines fuzz_settings'.
class TestBadValues : public QObject {
    Q_OBJECT
private slots:
    // Options as "key=value;..."; a Current User that names nobody falls back to a
    // configured one.
    void damagedSettings_data()
    {
        QTest::addColumn<QString>("options");
        QTest::newRow("as text") << "Current User=abc;Top=abc;Left=x1;Width=wide;Height=tall;"
                                    "WindowState=max";
        QTest::newRow("huge") << "Current User=99999999999;Top=99999999999;Left=99999999999;"
                                 "Width=99999999999;Height=99999999999";
        QTest::newRow("beyond the screen")
            << "Current User=7;Top=30000;Left=30000;Width=32000;Height=32000";
        QTest::newRow("negative") << "Current User=-1;Top=-30000;Left=-30000;Width=-7160;Height=-1";
    }
    void damagedSettings()
    {
        QFETCH(QString, options);
        StartedProgram f;
        f.env.writeMessageFile(1, { "2026/03/14 10:15 AMNDue soon" + ToAda });
        for (const QString &option : options.split(';'))
            f.env.settings.writeSetting(
                "Options", option.section('=', 0, 0), option.section('=', 1));
        readStartValues(f.p(), "/usr/bin/tolvane", f.env.dataDir());
        f.start();
        MainWindow &w = f.w();
        w.showDay(QDate(2026, 3, 14));
        QVERIFY(w.isVisible());
        QCOMPARE(f.p().currentUser, 1);
        QCOMPARE(w.windowTitle(), "Tolvane - Ada");
        QCOMPARE(f.cell(DaySlots::rowOfMinute(10 * 60 + 15))->text(), "Due soon");
        const QRect screen = w.screen()->availableGeometry();
        QVERIFY(screen.contains(QRect(w.pos(), w.size())));
        QVERIFY(w.width() >= 300 && w.height() >= 300);
        // What the window stores for the next start is a place on the screen.
        w.unload();
        const int width = f.setting("Options/Width").toInt();
        QVERIFY(width > 0 && width <= (screen.width() + 10) * w.twipsPerPixelX());
    }

    // The box begins with its reason, whatever ShowErrors says; the tick tells what is
    // stored, and the program goes on: the same command works once the disk has room.
    // Unexpected failures and ShowErrors: tst_startup errorTrap.
    void failureIsTold_data()
    {
        Columns<QString, QString>({ "fault", "box" });
        QTest::newRow("full disk") << "disk"
                                   << "Cannot write the settings file ";
        QTest::newRow("message file unreadable") << "file"
                                                 << "Cannot read ";
    }
    void failureIsTold()
    {
        QFETCH(QString, fault);
        QFETCH(QString, box);
        StartedProgram f;
        f.w().load();
        auto *startSmall = f.child<QAction>("startSmallAction");
        if (fault == "disk") {
            const FullDisk fullDisk(1);
            startSmall->trigger();
        } else {
            QVERIFY(QDir().mkpath(f.env.userFile(1) + "/inside"));
            f.w().showDay(QDate(2026, 3, 14));
        }
        QCOMPARE(f.env.boxes.shown.size(), 1);
        QVERIFY2(f.env.boxes.shown[0].text.startsWith(box), qPrintable(f.env.boxes.shown[0].text));
        QCOMPARE(f.env.boxes.shown[0].icon, MessageBoxes::Icon::Critical);
        for (const bool on : { false, true }) {
            QCOMPARE(startSmall->isChecked(), on);
            QCOMPARE(f.env.settings.readSetting("Options", "StartSmall", "0"), on ? "1" : "0");
            startSmall->trigger();
        }
    }
};

QTEST_MAIN(TestBadValues)
#include "tst_badvalues.moc"

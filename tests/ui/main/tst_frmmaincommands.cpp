#include "platform/HelpPage.h"
#include "store/CodePage.h"
#include "support/DataColumns.h"
#include "support/ModalSteps.h"
#include "ui/entry/DialogScript.h"
#include "ui/entry/EntryDialog.h"
#include "ui/main/StartedProgram.h"
#include "ui/setup/SetupWizard.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <stdexcept>

namespace {

const QString Options = QStringLiteral("Options");
const QString ErrorsOnText
    = QStringLiteral("Tolvane will now display all errors that may occur in the program.  If you "
                     "wish to turn this feature off, type: \"no errors\"");
const QString ErrorsOffText = QStringLiteral(
    "Tolvane will no longer display every type of error that may occur in the program.  If you "
    "wish to turn this feature back on, type: \"show errors\"");
const QString NotAvailable = QStringLiteral("Internet Options are not available from here.");

// Stands in for the desktop's browser: records every address it is asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestFrmMainCommands : public QObject {
    Q_OBJECT
private slots:
    void typedCommands_data()
    {
        Columns<QString, bool, QStringList, bool, QString>(
            { "keys", "startOn", "boxes", "on", "setting" }); // "-": never written

        const QStringList on { ErrorsOnText };
        QTest::newRow("show errors") << "show errors" << false << on << true << "1";
        QTest::newRow("any case") << "ShOW ERRors" << false << on << true << "1";
        QTest::newRow("z drops the run, then recognised")
            << "show errorzshow errors" << false << on << true << "1";
        QTest::newRow("breaking key dropped with the run")
            << "noshow errors" << false << QStringList() << false << "-";
        QTest::newRow("backspace breaks the run")
            << "show err\bors" << false << QStringList() << false << "-";
        QTest::newRow("on, then off")
            << "show errorsno errors" << true << QStringList { ErrorsOnText, ErrorsOffText }
            << false << "0";
    }

    void typedCommands()
    {
        QFETCH(QString, keys);
        QFETCH(bool, startOn);
        QFETCH(QStringList, boxes);
        QFETCH(QString, setting);
        TestEnvironment env;
        env.program.ShowErrors = startOn;
        FrmMain w(env.program);
        auto *box = new QLineEdit(w.centralWidget());
        w.show();
        box->setFocus();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        // Typed into the window as the desktop delivers keys, whichever control has the focus.
        for (const QChar c : keys)
            QTest::keyClick(w.windowHandle(), c.toLatin1());

        QStringList shown;
        for (const auto &b : env.boxes.shown) {
            QCOMPARE(b.title, QStringLiteral("Tolvane"));
            QCOMPARE(b.icon, MessageBoxes::Icon::None);
            QCOMPARE(b.buttons, MessageBoxes::Buttons::Ok);
            shown << b.text;
        }
        QCOMPARE(shown, boxes);
        QTEST(env.program.ShowErrors, "on");
        QCOMPARE(env.settings.ReadSetting(Options, QStringLiteral("Error"), QStringLiteral("-")),
            setting);
        // Every key went on to the control with the focus, a backspace included.
        QCOMPARE(box->text(), QString(keys).remove(QRegularExpression(QStringLiteral(".\\x08"))));
    }

    // The message composed goes to the scheduler's instant slot, for the logged-in user.
    void instantMessage_data()
    {
        Columns<QString, bool, QString, QString>({ "button", "fails", "slot", "box" });
        QTest::newRow("sent") << "Send Message" << false
                              << "212026/03/14 10:07 AMNNow!|" + AdaCell + ',' << "";
        QTest::newRow("cancelled") << "Cancel" << false << ""
                                   << "";
        QTest::newRow("handing on fails")
            << "Send Message" << true << ""
            << "Tolvane: Error occurred in frmMain.mnuInstantMessage_Click";
    }
    void instantMessage()
    {
        QFETCH(QString, button);
        QFETCH(bool, fails);
        StartedProgram f;
        f.env.clock.set(QDateTime(QDate(2026, 3, 14), QTime(10, 7, 33)));
        f.w().Form_Load(); // Ada logs in
        f.p().ShowErrors = true;
        if (fails)
            f.w().sendInstantMessage = [](int, const MessageRecord &) { throw std::exception(); };
        EntryDialog &dialog = f.startup.entryDialog();
        ModalSteps steps;
        steps.then(dialog, [&] {
            QTest::keyClicks(dialog.findChild<QWidget *>("textEdit"), "Now!");
            playDialog(dialog, { button });
        });
        f.w().mnuInstantMessage->trigger();
        QVERIFY2(steps.finished() && !steps.leftOpen, qPrintable(steps.failure));
        const auto &instant = f.scheduler.slot(0);
        QTEST(instant ? QStringLiteral("%1").arg(instant->user + 20)
                    + CodePage::decode(instant->record.line)
                      : QString(),
            "slot");
        QTEST(f.boxes(true).join('\n'), "box");
    }

    void internetOptions_data()
    {
        // "name!" cannot be started; nothing started: the refusal box instead
        Columns<QString, QStringList, QString>({ "desktop", "installed", "started" });

        QTest::newRow("no tool") << "XFCE" << QStringList() << "";
        QTest::newRow("connection editor anywhere")
            << "XFCE" << QStringList { "nm-connection-editor" } << "nm-connection-editor";
        QTest::newRow("GNOME's own panel first")
            << "ubuntu:GNOME" << QStringList { "nm-connection-editor", "gnome-control-center" }
            << "gnome-control-center network";
        QTest::newRow("tool that cannot start")
            << "XFCE" << QStringList { "nm-connection-editor!" } << "";
    }

    void internetOptions()
    {
        QFETCH(QString, desktop);
        QFETCH(QStringList, installed);
        QFETCH(QString, started);
        TestEnvironment env;
        env.program.ShowErrors = true; // the refusal is the one box all the same
        QTemporaryDir bin;
        const QString marker = bin.filePath(QStringLiteral("started"));
        for (QString tool : installed) {
            const bool broken = tool.endsWith(QLatin1Char('!'));
            tool.chop(broken ? 1 : 0);
            QFile script(bin.filePath(tool));
            QVERIFY(script.open(QIODevice::WriteOnly));
            script.write(broken ? "#!/nonexistent/interpreter\n"
                                : "#!/bin/sh\necho \"${0##*/}\" \"$@\" > \"${0%/*}/started\"\n");
            script.close();
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        const QByteArray oldPath = qgetenv("PATH");
        const QByteArray oldDesktop = qgetenv("XDG_CURRENT_DESKTOP");
        qputenv("PATH", QFile::encodeName(bin.path()));
        qputenv("XDG_CURRENT_DESKTOP", desktop.toUtf8());
        FrmMain w(env.program);
        w.mnuInternetOptions->trigger();
        qputenv("PATH", oldPath);
        qputenv("XDG_CURRENT_DESKTOP", oldDesktop);

        if (started.isEmpty()) {
            QCOMPARE(env.boxes.shown.size(), 1);
            QCOMPARE(env.boxes.shown.first().title + ": " + env.boxes.shown.first().text,
                "Tolvane: " + NotAvailable);
            QCOMPARE(env.boxes.shown.first().icon, MessageBoxes::Icon::Critical);
        } else {
            QVERIFY(env.boxes.shown.isEmpty());
            QTRY_COMPARE(readAll(marker).trimmed(), started);
        }
    }

    void findHelpPage_data()
    {
        Columns<bool, bool, QString>({ "beside", "inDataDirs", "expected" }); // under the root
        QTest::newRow("beside the program") << true << true << "share/tolvane/Tolvane.html";
        QTest::newRow("in the data folders") << false << true << "xdg/tolvane/Tolvane.html";
        QTest::newRow("nowhere") << false << false << "";
    }

    void findHelpPage()
    {
        QFETCH(bool, beside);
        QFETCH(bool, inDataDirs);
        QFETCH(QString, expected);
        QTemporaryDir root;
        QDir dir(root.path());
        auto place = [&](const QString &path) {
            QVERIFY(dir.mkpath(QFileInfo(root.filePath(path)).path()));
            QFile page(root.filePath(path));
            QVERIFY(page.open(QIODevice::WriteOnly));
        };
        if (beside)
            place(QStringLiteral("share/tolvane/Tolvane.html"));
        if (inDataDirs)
            place(QStringLiteral("xdg/tolvane/Tolvane.html"));
        QVERIFY(dir.mkpath(QStringLiteral("bin")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath(QStringLiteral("home"))));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(root.filePath(QStringLiteral("xdg"))));
        const QString found = FindHelpPage(root.filePath(QStringLiteral("bin")));
        QCOMPARE(found, expected.isEmpty() ? QString() : root.filePath(expected));
    }

    void helpAndWebsite()
    {
        TestEnvironment env;
        UrlRecorder browser;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &browser, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
        FrmMain w(env.program);
        SetupWizard wizard(env.program);

        // The build puts the help page where a program run from the build folder finds it;
        // the Help menu and the set-up pages' "?" open that page, as it stands in the source.
        w.mnuHelpMe->trigger();
        wizard.findChild<QPushButton *>("helpButton")->click();
        w.mnuWebsite->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));

        QCOMPARE(browser.opened.size(), 3);
        QCOMPARE(browser.opened.at(1), browser.opened.at(0));
        const QString page = browser.opened.at(0).toLocalFile();
        QCOMPARE(QFileInfo(page).fileName(), QStringLiteral("Tolvane.html"));
        const QString source = qEnvironmentVariable("TOLVANE_SOURCE_DIR");
        QCOMPARE(readAll(page), readAll(source + QStringLiteral("/packaging/Tolvane.html")));
        QVERIFY(!readAll(page).isEmpty());
        QCOMPARE(browser.opened.at(2).scheme(), QStringLiteral("https"));
        QVERIFY(!browser.opened.at(2).host().isEmpty());
        QVERIFY(env.boxes.shown.isEmpty());
    }

    void aboutBoxNotModal()
    {
        StartedProgram f;
        f.start();
        QVERIFY(!f.startup.splashScreen().isVisible());

        f.startup.frmMain().mnuAbout->trigger();
        // The command has returned with the box open: it does not wait for it.
        QVERIFY(f.startup.splashScreen().isAbout());
        QVERIFY(f.startup.splashScreen().isVisible());
        QVERIFY(!f.startup.splashScreen().isModal());
        QTRY_VERIFY(f.startup.splashScreen().findChild<QPushButton *>("okButton")->isVisible());
        QVERIFY(f.startup.frmMain().isVisible());
    }
};

QTEST_MAIN(TestFrmMainCommands)
#include "tst_frmmaincommands.moc"

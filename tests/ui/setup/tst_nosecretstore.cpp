// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "WizardControls.h"

#include <QDirIterator>

// Runs where no secret store answers (with-keyring.sh --none), as on a desktop without one.

class TestNoSecretStore : public QObject {
    Q_OBJECT
    QTemporaryDir home; // where a fallback of the keyring library would write

private slots:
    void initTestCase()
    {
        for (const char *name : { "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME" })
            qputenv(name, (home.path() + '/' + name).toUtf8());
    }

    // Told when the keyring's absence is known. The reason is the bus's own words; the
    // rest is ours, and the rest of the settings is kept.
    void passwordRefusedClearly_data()
    {
        QTest::addColumn<QString>("steps"); // the user's number is the third word
        const QString options = " / adv / sec 1 / type ;ann;PW / ok / next "
                                "chair@x.example;smtp.x.example";
        QTest::newRow("editing a user: Apply") << "open mail 1" + options;
        QTest::newRow("adding a user: Finish")
            << "open add 2 / next Chair" + options + " / next chair@sms.example";
    }
    void passwordRefusedClearly()
    {
        QFETCH(QString, steps);
        WizardFlow f;
        f.play("user 1 Desk desk@sms.example desk@x.example smtp.x.example / " + steps);
        QTRY_COMPARE(f.env.boxes.shown.size(), 1);
        const QRegularExpression told(
            "^The password could not be kept in the desktop's keyring: \\w.+\\.  Tolvane keeps "
            "passwords nowhere else; start a keyring \\(such as GNOME Keyring or KWallet\\) and "
            "enter the password again under Advanced\\.\\.\\.$");
        QVERIFY2(told.match(f.env.boxes.shown.first().text).hasMatch(),
            qPrintable(f.env.boxes.shown.first().text));
        f.play("?User" + steps.section(' ', 2, 2) + "/Login ann");
        for (const QString &folder : { f.env.dir.path(), home.path() })
            for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
                 it.hasNext();) {
                QFile file(it.next());
                QVERIFY(file.open(QIODevice::ReadOnly));
                QVERIFY2(!file.readAll().contains(WizardFlow::Password.toUtf8()),
                    qPrintable(file.fileName()));
            }
    }
};

QTEST_MAIN(TestNoSecretStore)
#include "tst_nosecretstore.moc"

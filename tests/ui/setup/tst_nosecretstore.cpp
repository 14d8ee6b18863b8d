#include "WizardControls.h"

#include <QDirIterator>

// Runs where no secret store answers (with-keyring.sh --none), as on a desktop without one.

namespace {

const QByteArray Password = "Pw-nowhere-93";

QStringList filesHolding(const QString &folder, const QByteArray &bytes)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly) && file.readAll().contains(bytes))
            found << file.fileName();
    }
    return found;
}

} // namespace

class TestNoSecretStore : public QObject {
    Q_OBJECT
    QTemporaryDir home; // where a fallback of the keyring library would write

private slots:
    void initTestCase()
    {
        for (const char *name : { "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME" })
            qputenv(name, (home.path() + '/' + name).toUtf8());
    }

    void passwordRefusedClearly_data()
    {
        Columns<bool, QString>({ "adding", "section" });
        QTest::newRow("editing a user: Apply") << false << "User1";
        QTest::newRow("adding a user: Finish") << true << "User2";
    }
    void passwordRefusedClearly()
    {
        QFETCH(bool, adding);
        QFETCH(QString, section);
        WizardTest s;
        s.env.addUser(1, "Desk", "desk@sms.example", "desk@x.example", "smtp.x.example");
        s.open(adding ? Mode::AddUser : Mode::EditMailServer, adding ? 2 : 1);
        if (adding)
            press(s.wizard, { "Chair" });
        advanced(s.wizard, [](ServerOptionsDialog &d) {
            d.securityButtons[1]->click();
            QTest::keyClicks(d.loginEdit, "ann");
            QTest::keyClicks(d.passwordEdit, QString::fromLatin1(Password));
            QTest::mouseClick(d.okButton, Qt::LeftButton);
        });
        press(s.wizard, { "chair@x.example", "smtp.x.example" });
        if (adding)
            press(s.wizard, { "chair@sms.example" });

        // Told when the keyring's absence is known. The reason is the bus's own words; the
        // rest is ours.
        QTRY_COMPARE(s.env.boxes.shown.size(), 1);
        const QRegularExpression told(
            "^The password could not be kept in the desktop's keyring: \\w.+\\.  Tolvane keeps "
            "passwords nowhere else; start a keyring \\(such as GNOME Keyring or KWallet\\) and "
            "enter the password again under Advanced\\.\\.\\.$");
        QVERIFY2(told.match(s.env.boxes.shown.first().text).hasMatch(),
            qPrintable(s.env.boxes.shown.first().text));
        QCOMPARE(s.read(section + "/Login"), "ann"); // the rest is kept
        QCOMPARE(filesHolding(s.env.dir.path(), Password) + filesHolding(home.path(), Password),
            QStringList());
    }
};

QTEST_MAIN(TestNoSecretStore)
#include "tst_nosecretstore.moc"

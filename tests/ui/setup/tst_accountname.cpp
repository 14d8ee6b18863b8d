#include "ui/setup/AccountNameGuess.h"

#include <QtTest>
#include <pwd.h>
#include <unistd.h>

class TestAccountName : public QObject {
    Q_OBJECT
private slots:
    void fit_data();
    void fit();
    void guessIsTheLoginName();
};

void TestAccountName::fit_data()
{
    QTest::addColumn<QString>("login");
    QTest::addColumn<QString>("guess");

    QTest::newRow("plain") << "alice"
                           << "alice";
    QTest::newRow("case and blanks kept") << " Bob Smith "
                                          << " Bob Smith ";
    QTest::newRow("99 characters") << QString(99, 'x') << QString(99, 'x');
    QTest::newRow("100 characters") << QString(100, 'x') << QString();
    QTest::newRow("none") << QString() << QString();
}

void TestAccountName::fit()
{
    QFETCH(QString, login);
    QFETCH(QString, guess);
    QCOMPARE(FitAccountName(login), guess);
}

void TestAccountName::guessIsTheLoginName()
{
    const passwd *entry = ::getpwuid(::geteuid());
    QVERIFY(entry);
    QCOMPARE(AccountNameGuess(), QString::fromLocal8Bit(entry->pw_name));
}

QTEST_MAIN(TestAccountName)
#include "tst_accountname.moc"

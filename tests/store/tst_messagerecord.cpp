#include "app/Roster.h"
#include "store/MessageRecord.h"
#include "support/DataColumns.h"
#include "support/TestEnvironment.h"

namespace {

const QString Stamp = QStringLiteral("2026/03/20 09:15 PM");

} // namespace

class TestMessageRecord : public QObject {
    Q_OBJECT

private slots:
    void compose_data()
    {
        Columns<QString, QList<int>, QString>({ "text", "recipients", "record" });
        QTest::newRow("bar becomes exclamation mark")
            << "a|b||" << QList<int> { 1 } << "Na!b!!|one@p,";
        QTest::newRow("CR LF becomes two spaces, lone CR and LF one each")
            << "a\r\nb\nc\rd" << QList<int> {} << "Na  b c d|";
        QTest::newRow("in list order, no phone address (empty or absent) left out")
            << "x" << QList<int> { 10, 2, 3, 4, 1, 5 } << "Nx|ten@p,three@p,one@p,";
        QTest::newRow("no usable recipient ends with the bar")
            << "x" << QList<int> { 2, 4 } << "Nx|";
    }
    void compose()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, recipients);
        TestEnvironment env;
        env.addUser(1, "One", "one@p");
        env.addUser(2, "Two", QString()); // present but empty
        env.addUser(3, "Three", "three@p");
        env.settings.WriteSetting(Roster::UserSection(4), "Name", "Four");
        env.addUser(10, "Ten", "ten@p");
        RecipientList list {};
        std::copy(recipients.cbegin(), recipients.cend(), list.begin());
        QTEST(ComposeMessageRecord(env.settings, Stamp, text, list).mid(19), "record");
    }
};

QTEST_GUILESS_MAIN(TestMessageRecord)
#include "tst_messagerecord.moc"

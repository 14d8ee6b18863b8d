#include "delivery/FrmMailWarning.h"
#include "delivery/SmtpDelivery.h"
#include "delivery/SmtpReplyReader.h"
#include "delivery/SocketLayer.h"
#include "delivery/SocketsInitialize.h"
#include "delivery/SystemSocketLayer.h"
#include "support/FakeConnectionService.h"
#include "support/TestEnvironment.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

class FakeSocketLayer final : public SocketLayer {
public:
    StartUp startUp(quint16 requested) override
    {
        requestedVersion = requested;
        return granted;
    }
    StartUp granted;
    quint16 requestedVersion = 0;
};

} // namespace

class TestReplyAnalysis : public QObject {
    Q_OBJECT
private slots:
    void analyze_data();
    void analyze();
    void gathering_data();
    void gathering();
    void warningWindow();
    void socketsInitialize_data();
    void socketsInitialize();
    void systemSockets();
};

void TestReplyAnalysis::analyze_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("warnings");

    const QString responded = QStringLiteral("SMTP Server responded: ");
    QTest::newRow("250") << QStringLiteral("250 OK\r\n") << 250 << QStringList();
    QTest::newRow("251") << QStringLiteral("251 forwarding to elsewhere\r\n") << 251
                         << QStringList { responded
                                + QStringLiteral("User not local; will forward to") };
    QTest::newRow("252") << QStringLiteral("252 maybe\r\n") << 252
                         << QStringList { responded
                                + QStringLiteral("Cannot verify user, but will accept message "
                                                 "and attempt delivery") };
    QTest::newRow("400") << QStringLiteral("400 later\r\n") << 400 << QStringList();
    QTest::newRow("401") << QStringLiteral("401 odd\r\n") << 401
                         << QStringList { responded + QStringLiteral("401 odd\r\n") };
    QTest::newRow("550") << QStringLiteral("550 no such user\r\n") << 550
                         << QStringList { responded + QStringLiteral("550 no such user\r\n") };
    QTest::newRow("multi-line 554, whole reply shown")
        << QStringLiteral("554-first\r\n554 second\r\n") << 554
        << QStringList { responded + QStringLiteral("554-first\r\n554 second\r\n") };
    QTest::newRow("shorter than three") << QStringLiteral("25") << 0 << QStringList();
    QTest::newRow("digits as far as they go")
        << QStringLiteral("5x0 what\r\n") << 5 << QStringList();
}

void TestReplyAnalysis::analyze()
{
    QFETCH(QString, reply);
    QFETCH(int, code);
    QFETCH(QStringList, warnings);

    TestEnvironment env;
    FakeConnectionService connection;
    SmtpDelivery delivery(env.program, connection);
    QSignalSpy spy(&delivery, &SmtpDelivery::warning);
    env.program.SmtpReplyCode = 999;

    delivery.AnalyzeSMTP(reply);
    QCOMPARE(env.program.SmtpReplyCode, code);
    QStringList shown;
    for (const QList<QVariant> &warning : spy)
        shown.append(warning.at(0).toString());
    QCOMPARE(shown, warnings);
}

void TestReplyAnalysis::gathering_data()
{
    QTest::addColumn<QList<QByteArray>>("arrivals");
    QTest::addColumn<QList<QByteArray>>("replies"); // complete after the last arrival

    QTest::newRow("one reply") << QList<QByteArray> { "220 ready\r\n" }
                               << QList<QByteArray> { "220 ready\r\n" };
    QTest::newRow("split") << QList<QByteArray> { "2", "20 rea", "dy\r", "\n" }
                           << QList<QByteArray> { "220 ready\r\n" };
    QTest::newRow("incomplete line") << QList<QByteArray> { "250 OK" } << QList<QByteArray> {};
    QTest::newRow("code alone") << QList<QByteArray> { "250\r\n" }
                                << QList<QByteArray> { "250\r\n" };
    QTest::newRow("multi-line over arrivals") << QList<QByteArray> { "220-one\r\n",
        "220-two\r\n220 three\r\n" } << QList<QByteArray> { "220-one\r\n220-two\r\n220 three\r\n" };
    QTest::newRow("multi-line not finished")
        << QList<QByteArray> { "250-one\r\n250-two\r\n" } << QList<QByteArray> {};
    QTest::newRow("two replies in one arrival") << QList<QByteArray> { "250 OK\r\n354 go\r\n" }
                                                << QList<QByteArray> { "250 OK\r\n", "354 go\r\n" };
    QTest::newRow("bare line feeds")
        << QList<QByteArray> { "250-a\n250 b\n" } << QList<QByteArray> { "250-a\n250 b\n" };
    QTest::newRow("text before the final line") << QList<QByteArray> { "hello\r\n", "250 OK\r\n" }
                                                << QList<QByteArray> { "hello\r\n250 OK\r\n" };
}

void TestReplyAnalysis::gathering()
{
    QFETCH(QList<QByteArray>, arrivals);
    QFETCH(QList<QByteArray>, replies);

    SmtpReplyReader reader;
    QList<QByteArray> complete;
    for (const QByteArray &arrival : arrivals)
        complete += reader.append(arrival);
    QCOMPARE(complete, replies);
}

void TestReplyAnalysis::warningWindow()
{
    TestEnvironment env;
    FakeConnectionService connection;
    SmtpDelivery delivery(env.program, connection);
    FrmMailWarning frmMailWarning;
    connect(&delivery, &SmtpDelivery::warning, &frmMailWarning, &FrmMailWarning::ShowWarning);

    QCOMPARE(frmMailWarning.windowTitle(), QStringLiteral("Tolvane Warning"));
    QCOMPARE(frmMailWarning.cmdOkay->text(), QStringLiteral("&OK"));
    QCOMPARE(frmMailWarning.lblMessage->font().family(), QStringLiteral("Arial"));
    const int dpiX = frmMailWarning.logicalDpiX();
    QCOMPARE(frmMailWarning.width(), 5490 * dpiX / 1440);
    QVERIFY(!frmMailWarning.isVisible());

    delivery.AnalyzeSMTP(QStringLiteral("550 <b>no</b> such user\r\n"));
    QVERIFY(frmMailWarning.isVisible());
    QVERIFY(!frmMailWarning.isModal());
    QCOMPARE(frmMailWarning.lblMessage->textFormat(), Qt::PlainText);
    QCOMPARE(frmMailWarning.lblMessage->text(),
        QStringLiteral("SMTP Server responded: 550 <b>no</b> such user\r\n"));

    delivery.AnalyzeSMTP(QStringLiteral("251 elsewhere\r\n"));
    QCOMPARE(frmMailWarning.lblMessage->text(),
        QStringLiteral("SMTP Server responded: User not local; will forward to"));

    QTest::mouseClick(frmMailWarning.cmdOkay, Qt::LeftButton);
    QVERIFY(!frmMailWarning.isVisible());
    // Hidden, not gone: the last text stays until the next warning.
    QCOMPARE(frmMailWarning.lblMessage->text(),
        QStringLiteral("SMTP Server responded: User not local; will forward to"));
}

void TestReplyAnalysis::socketsInitialize_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("sockets");
    QTest::addColumn<QString>("text"); // empty: the layer is usable

    QTest::newRow("1.1") << 0 << 0x0101 << 32 << QString();
    QTest::newRow("1.2") << 0 << 0x0201 << 32 << QString();
    QTest::newRow("2.0") << 0 << 0x0002 << 32 << QString();
    QTest::newRow("not responding")
        << 10091 << 0x0101 << 32 << QStringLiteral("Winsock.dll is not responding.");
    QTest::newRow("1.0") << 0 << 0x0001 << 32
                         << QStringLiteral(
                                "Windows Sockets version 1.0 is not supported by winsock.dll ");
    QTest::newRow("0.9") << 0 << 0x0900 << 32
                         << QStringLiteral(
                                "Windows Sockets version 0.9 is not supported by winsock.dll ");
    QTest::newRow("no sockets")
        << 0 << 0x0101 << 0
        << QStringLiteral("This application requires a minimum of 1 supported sockets.");
}

void TestReplyAnalysis::socketsInitialize()
{
    QFETCH(int, result);
    QFETCH(int, version);
    QFETCH(int, sockets);
    QFETCH(QString, text);

    ScriptedMessageBoxes boxes;
    FakeSocketLayer layer;
    layer.granted = { result, quint16(version), sockets };

    QCOMPARE(SocketsInitialize(boxes, layer), text.isEmpty());
    QCOMPARE(layer.requestedVersion, quint16(257));
    if (text.isEmpty()) {
        QVERIFY(boxes.shown.isEmpty());
        return;
    }
    QCOMPARE(boxes.shown.size(), 1);
    QCOMPARE(boxes.shown.at(0).text, text);
    QCOMPARE(boxes.shown.at(0).icon, MessageBoxes::Icon::None);
    QCOMPARE(boxes.shown.at(0).buttons, MessageBoxes::Buttons::Ok);
}

void TestReplyAnalysis::systemSockets()
{
    ScriptedMessageBoxes boxes;
    SystemSocketLayer layer;
    QVERIFY(SocketsInitialize(boxes, layer));
    QVERIFY(boxes.shown.isEmpty());
}

QTEST_MAIN(TestReplyAnalysis)
#include "tst_replyanalysis.moc"

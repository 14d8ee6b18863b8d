#include "DeliveryFixture.h"
#include "delivery/FrmMailWarning.h"
#include "delivery/SocketLayer.h"
#include "delivery/SocketsInitialize.h"
#include "delivery/SystemSocketLayer.h"
#include "support/DataColumns.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

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

// Replies as the conversation meets them, split, multi-line or refused, are judged in the
// conversation tests; these are the edges a server does not make on request.
class TestReplyAnalysis : public QObject {
    Q_OBJECT
private slots:
    void analyze_data()
    {
        Columns<QString, int, bool>({ "reply", "code", "warned" });
        QTest::newRow("401") << "401 odd\r\n" << 401 << true;
        QTest::newRow("multi-line 554") << "554-first\r\n554 second\r\n" << 554 << true;
        QTest::newRow("digits as far as they go") << "5x0 what\r\n" << 5 << false;
    }
    void analyze()
    {
        QFETCH(QString, reply);
        QFETCH(bool, warned);
        DeliveryFixture f;
        QSignalSpy spy(&f.delivery, &SmtpDelivery::warning);
        f.env.program.SmtpReplyCode = 999;
        f.delivery.AnalyzeSMTP(reply);
        QTEST(f.env.program.SmtpReplyCode, "code");
        QCOMPARE(spy.size(), warned ? 1 : 0);
        if (warned)
            QCOMPARE(spy.at(0).at(0).toString(), "SMTP Server responded: " + reply);
    }

    void warningWindow()
    {
        DeliveryFixture f;
        FrmMailWarning frmMailWarning;
        connect(&f.delivery, &SmtpDelivery::warning, &frmMailWarning, &FrmMailWarning::ShowWarning);
        QCOMPARE(frmMailWarning.windowTitle(), "Tolvane Warning");
        QCOMPARE(frmMailWarning.cmdOkay->text(), "&OK");
        QVERIFY(!frmMailWarning.isVisible());

        // A server's text is shown as it came, never as markup.
        f.delivery.AnalyzeSMTP("550 <b>no</b> such user\r\n");
        QVERIFY(frmMailWarning.isVisible());
        QVERIFY(!frmMailWarning.isModal());
        QCOMPARE(frmMailWarning.lblMessage->textFormat(), Qt::PlainText);
        QCOMPARE(frmMailWarning.lblMessage->text(),
            "SMTP Server responded: 550 <b>no</b> such user\r\n");
        f.delivery.AnalyzeSMTP("251 elsewhere\r\n");
        QCOMPARE(frmMailWarning.lblMessage->text(),
            "SMTP Server responded: User not local; will forward to");
        QTest::mouseClick(frmMailWarning.cmdOkay, Qt::LeftButton);
        QVERIFY(!frmMailWarning.isVisible());
    }

    void socketsInitialize_data()
    {
        Columns<int, int, int, QString>({ "result", "version", "sockets", "text" });
        QTest::newRow("1.2") << 0 << 0x0201 << 32 << QString();
        QTest::newRow("not responding")
            << 10091 << 0x0101 << 32 << "Winsock.dll is not responding.";
        QTest::newRow("0.9") << 0 << 0x0900 << 32
                             << "Windows Sockets version 0.9 is not supported by winsock.dll ";
        QTest::newRow("no sockets")
            << 0 << 0x0101 << 0 << "This application requires a minimum of 1 supported sockets.";
    }
    void socketsInitialize()
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
        QCOMPARE(boxes.shown.size(), text.isEmpty() ? 0 : 1);
        if (!text.isEmpty()) {
            QCOMPARE(boxes.shown.at(0).text, text);
            QCOMPARE(boxes.shown.at(0).buttons, MessageBoxes::Buttons::Ok);
        }
        SystemSocketLayer system; // the real layer is usable here
        QVERIFY(SocketsInitialize(boxes, system));
    }
};

QTEST_MAIN(TestReplyAnalysis)
#include "tst_replyanalysis.moc"

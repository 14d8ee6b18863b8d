#include "delivery/NetworkCheck.h"
#include "delivery/SocketLayer.h"
#include "delivery/SystemSocketLayer.h"
#include "support/DataColumns.h"

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

// The start-up's question whether the network layer can be used at all.
class TestNetworkCheck : public QObject {
    Q_OBJECT
private slots:
    void problem_data()
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
    void problem()
    {
        QFETCH(int, result);
        QFETCH(int, version);
        QFETCH(int, sockets);
        FakeSocketLayer layer;
        layer.granted = { result, quint16(version), sockets };
        QTEST(NetworkCheck::problem(layer), "text");
        QCOMPARE(layer.requestedVersion, quint16(257));
        SystemSocketLayer system; // the real layer is usable here
        QCOMPARE(NetworkCheck::problem(system), QString());
    }
};

QTEST_GUILESS_MAIN(TestNetworkCheck)
#include "tst_networkcheck.moc"

#include "app/Program.h"
#include "delivery/FrmTimer.h"
#include "delivery/SmtpDelivery.h"
#include "support/DataColumns.h"
#include "support/FakeConnectionService.h"
#include "support/FullDisk.h"
#include "support/ScriptedSmtpServer.h"
#include "support/TestEnvironment.h"

#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <optional>

namespace {

const QString Phone = QStringLiteral("ann@phone.example");

// Ann, with her own server and phone, and a delivery that waits 1.5 s for each reply.
struct Delivery {
    explicit Delivery(const QString &server)
    {
        env.addUser(1, "Ann", Phone, "ann@home.example", server);
        delivery.setReplyTimeout(std::chrono::milliseconds(1500));
    }
    TestEnvironment env;
    FakeConnectionService connection;
    SmtpDelivery delivery { env.program, connection };
};

} // namespace

class TestDeliverySafety : public QObject {
    Q_OBJECT

private slots:
    // Whatever the text holds (an instant message is never cleaned by a file, a file may be
    // edited by hand), it reaches the server as one line of the mail and never as a
    // command of its own.
    void textCannotAddCommands_data()
    {
        Columns<QString, QByteArray>({ "text", "body" });
        QTest::newRow("bare CR around a dot") << "one\r.\rRSET" << QByteArray("one . RSET");
        QTest::newRow("bare LF around a dot") << "one\n.\nMAIL FROM: <x@evil.example>"
                                              << QByteArray("one . MAIL FROM: <x@evil.example>");
        QTest::newRow("CR LF, dot, CR LF") << "one\r\n.\r\nRCPT TO: <x@evil.example>"
                                           << QByteArray("one  .  RCPT TO: <x@evil.example>");
        QTest::newRow("LF dot CR LF") << "one\n.\r\nQUIT" << QByteArray("one .  QUIT");
        QTest::newRow("NUL") << QStringLiteral("one") + QChar(0) + QStringLiteral("two")
                             << QByteArray("onetwo");
        QTest::newRow("dot and line end only") << ".\r\n" << QByteArray("..  ");
    }
    void textCannotAddCommands()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, body);
        ScriptedSmtpServer server;
        Delivery d(server.address());
        QSignalSpy rows(&d.delivery, &SmtpDelivery::rowColoured);
        d.delivery.ProcessMessage("212026/03/14 10:00 AMN" + text + "|" + Phone + ",");
        QCOMPARE(rows.size(), 1);
        QVERIFY(rows.at(0).at(4).toBool());
        QCOMPARE(server.verbs(), QList<QByteArray>({ "HELO", "MAIL", "RCPT", "DATA", "QUIT" }));
        QCOMPARE(server.content, "Subject: Tolvane\r\n\r\n" + body + "\r\n.\r\n");
    }

    // A delivery that cannot be made at all (a record without its recipient list, a user
    // without a server) fails once: later ticks, also those that run while its error box
    // is open, do not hand the record over again, and one box is shown.
    void failedDeliveryIsHandedOverOnce_data()
    {
        Columns<QString, QString, int>({ "record", "server", "boxes" });
        QTest::newRow("record without a bar") << "2026/03/14 10:01 AMNHello"
                                              << "mail.example" << 1;
        QTest::newRow("no server") << "2026/03/14 10:01 AMNHello|" + Phone + ","
                                   << " " << 0;
    }
    void failedDeliveryIsHandedOverOnce()
    {
        QFETCH(QString, record);
        QFETCH(QString, server);
        Delivery d(server);
        d.env.program.ShowErrors = true;
        d.env.writeMessageFile(1, { record });
        FrmTimer timer(d.env.program, d.delivery, d.connection);
        QSignalSpy rows(&d.delivery, &SmtpDelivery::rowColoured);
        int ticksInBox = 0;
        d.env.boxes.whileShown = [&] {
            for (; ticksInBox < 3; ++ticksInBox) {
                d.env.clock.advanceSecs(1);
                timer.CheckSend();
            }
        };
        d.env.clock.set(QDateTime(QDate(2026, 3, 14), QTime(10, 0)));
        timer.LoadNextMessage();
        d.env.clock.set(QDateTime(QDate(2026, 3, 14), QTime(10, 1)));
        timer.CheckSend();
        QCoreApplication::processEvents();
        d.env.clock.advanceSecs(1);
        timer.CheckSend();
        QCOMPARE(rows.size(), 1);
        QTEST(int(d.env.boxes.shown.size()), "boxes");
        QVERIFY(!d.env.program.Sending);
    }

    // The mail went out but the file cannot take the mark (a full disk): the user hears of
    // it in the warning window, the row shows the message as sent, no modal box stops the
    // delivery whatever ShowErrors says, and the message does not go out again.
    void unmarkableMessageIsNotSentAgain_data()
    {
        Columns<bool>({ "showErrors" });
        QTest::newRow("errors hidden") << false;
        QTest::newRow("errors shown") << true;
    }
    void unmarkableMessageIsNotSentAgain()
    {
        QFETCH(bool, showErrors);
        ScriptedSmtpServer server;
        Delivery d(server.address());
        d.env.program.ShowErrors = showErrors;
        const QString record = "2026/03/14 10:01 AMNHello|" + Phone + ",";
        d.env.writeMessageFile(1, { record, "2026/03/14 10:03 AMNLater|" + Phone + "," });
        const QByteArray before = d.env.readMessageFileBytes(1);
        FrmTimer timer(d.env.program, d.delivery, d.connection);
        timer.LoadNextMessage();
        QSignalSpy warnings(&d.delivery, &SmtpDelivery::warning);
        QSignalSpy rows(&d.delivery, &SmtpDelivery::rowColoured);

        auto fullDisk = std::make_optional<FullDisk>(before.size() - 1);
        d.env.clock.set(QDateTime(QDate(2026, 3, 14), QTime(10, 1)));
        timer.CheckSend();
        d.env.clock.advanceSecs(30);
        timer.CheckSend();
        timer.LoadNextMessage();
        timer.CheckSend();
        fullDisk.reset();

        QCOMPARE(server.connections, 1);
        QCOMPARE(rows.size(), 1);
        QVERIFY(rows.at(0).at(4).toBool());
        QCOMPARE(warnings.size(), 1);
        const QString warning = warnings.at(0).at(0).toString();
        QVERIFY2(warning.startsWith("The message was sent, but it could not be marked as sent"),
            qPrintable(warning));
        QVERIFY(d.env.boxes.shown.isEmpty());
        QCOMPARE(d.env.readMessageFileBytes(1), before);
        QVERIFY(!d.env.program.Sending);
        // The next message is still on its way.
        QCOMPARE(d.env.program.NextMessage[1], "01" + d.env.readMessageFile(1).at(1));
    }
};

QTEST_MAIN(TestDeliverySafety)
#include "tst_deliverysafety.moc"

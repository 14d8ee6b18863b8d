#include "DeliveryFixture.h"
#include "support/DataColumns.h"

#include <QSignalSpy>

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
};

QTEST_MAIN(TestReplyAnalysis)
#include "tst_replyanalysis.moc"

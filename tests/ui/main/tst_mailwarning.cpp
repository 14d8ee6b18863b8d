#include "ui/main/MailWarning.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

// The delivery's warning window: the latest warning as it came, shown without waiting for
// anyone; OK hides it.
class TestMailWarning : public QObject {
    Q_OBJECT
private slots:
    void showsTheLatestWarning()
    {
        MailWarning window;
        auto *message = window.findChild<QLabel *>("messageLabel");
        auto *ok = window.findChild<QPushButton *>("okButton");
        QCOMPARE(window.windowTitle(), "Tolvane Warning");
        QCOMPARE(ok->text(), "&OK");
        QVERIFY(!window.isVisible());

        // A server's text is shown as it came, never as markup.
        window.showWarning("SMTP Server responded: 550 <b>no</b> such user\r\n");
        QVERIFY(window.isVisible());
        QVERIFY(!window.isModal());
        QCOMPARE(message->textFormat(), Qt::PlainText);
        QCOMPARE(message->text(), "SMTP Server responded: 550 <b>no</b> such user\r\n");
        window.showWarning("SMTP Server responded: User not local; will forward to");
        QCOMPARE(message->text(), "SMTP Server responded: User not local; will forward to");
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!window.isVisible());
    }
};

QTEST_MAIN(TestMailWarning)
#include "tst_mailwarning.moc"

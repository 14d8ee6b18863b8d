#include "app/Main.h"

#include "app/Program.h"
#include "app/SettingsStore.h"
#include "delivery/FrmTimer.h"
#include "delivery/MessageProcessor.h"
#include "platform/Paths.h"
#include "platform/QtConnectionService.h"
#include "platform/QtMessageBoxes.h"
#include "platform/SystemClock.h"

#include <QApplication>

namespace {

const QString Options = QStringLiteral("Options");

// Stands in until the SMTP conversation exists: the entry is not delivered.
class NoDelivery final : public MessageProcessor {
public:
    explicit NoDelivery(Program &program)
        : p(program)
    {
    }
    void ProcessMessage(const QString &entry) override
    {
        qWarning("Tolvane cannot deliver yet: %s", qPrintable(entry));
        p.Sending = false;
    }

private:
    Program &p;
};

} // namespace

int Main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    QApplication::setQuitOnLastWindowClosed(false);

    SettingsStore settings(Paths::settingsFile());
    SystemClock clock;
    QtMessageBoxes boxes;
    Program p(settings, clock, boxes);

    p.FirstRun = settings.ReadSetting(Options, QStringLiteral("Current User"), QStringLiteral("0"))
        == QStringLiteral("0");
    p.ProgramPath = QCoreApplication::applicationFilePath();
    p.ProgramDir = Paths::dataDir();
    p.StartSmall = settings.ReadSetting(Options, QStringLiteral("StartSmall"), QStringLiteral("0"))
        == QStringLiteral("1");

    QtConnectionService connection;
    NoDelivery delivery(p);
    FrmTimer frmTimer(p, delivery, connection);
    frmTimer.tmrExecute.setEnabled(true);
    frmTimer.tmrCheckSend.setEnabled(true);
    frmTimer.LoadNextMessage();

    return app.exec();
}

#include "ui/main/Startup.h"

#include "app/ErrorTrap.h"
#include "app/Program.h"
#include "delivery/FrmTimer.h"
#include "store/CodePage.h"
#include "ui/entry/EntryDialog.h"
#include "ui/entry/UserPicker.h"
#include "ui/main/FrmMain.h"
#include "ui/setup/DialogPlacement.h"
#include "ui/setup/FrmSplash.h"
#include "ui/setup/SetupWizard.h"

#include <QEvent>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace

Startup::Startup(Program &program, FrmTimer &frmTimer, QObject *parent)
    : QObject(parent)
    , endProgram([] { std::_Exit(0); })
    , p(program)
    , m_timer(frmTimer)
    , m_store(program.ProgramDir, program.clock)
    , m_main(std::make_unique<FrmMain>(program))
{
    m_entry = new EntryDialog(p, m_store, m_main.get());
    m_main->editSlot = [this](const QDateTime &slot) {
        m_entry->editSlot(slot);
        m_entry->exec();
    };
    m_main->composeInstantMessage = [this] {
        m_entry->composeInstantMessage();
        m_entry->exec();
        return m_entry->instantMessage();
    };
    m_main->sendInstantMessage = [this](int user, const MessageRecord &message) {
        // The scheduler's instant slot: the user's number plus 20, which tells it to mark
        // the message sent in no file, then the record's line. It goes at the next check.
        p.NextMessage[0] = QStringLiteral("%1").arg(user + 20, 2, 10, QLatin1Char('0'))
            + CodePage::decode(message.line);
    };
    m_main->loadNextMessage = [this] { m_timer.LoadNextMessage(); };
    m_main->showAbout = [this] { m_splash->ShowAbout(); };

    m_wizard = std::make_unique<SetupWizard>(p);
    m_main->tmrReappear = &m_timer.tmrReappear;
    m_main->openSetupWizard
        = [this](SetupWizard::Mode mode, int user) { return m_wizard->run(mode, user); };
    m_main->pickUsers
        = [this](const UserPicker::Mode &mode) { return m_entry->picker().pick(mode); };
    m_splash = std::make_unique<FrmSplash>(p, *m_wizard);
    m_splash->setHooks({
        [this] {
            return QList<QWidget *> { &m_entry->picker(), m_entry };
        },
        [this] { m_main->showMainWindow(); },
    });

    FrmTimer::Hooks hooks;
    hooks.shutdownBranch = [this] { ShutdownBranch(); };
    hooks.mainWindowVisible = [this] {
        // Asking loads the window, hidden, when it is not loaded.
        if (!m_main->isLoaded())
            m_main->Form_Load();
        return m_main->isVisible();
    };
    hooks.moveIntoTray = [this] { m_main->MoveIntoTray(); };
    hooks.dayRollover = [this] { m_main->cmdToday_Click(); };
    m_timer.setHooks(std::move(hooks));
}

Startup::~Startup() = default;

void Startup::Run()
{
    Trap(p, "mod1.Main", [&] {
        PlaceDialog(*m_splash);
        m_splash->Form_Load();
        m_splash->show();
        m_timer.tmrExecute.setEnabled(true);
        m_timer.tmrCheckSend.setEnabled(true);
        m_timer.LoadNextMessage();
    });
}

void Startup::ShutdownBranch()
{
    // No tick may enter while the question is open; deliveries go on meanwhile.
    m_timer.tmrExecute.setEnabled(false);
    if (m_main->isVisible())
        m_main->SaveScreen();
    m_main->FirstTimeMessages();
    if (p.ShutdownRequested) {
        endProgram();
        return;
    }
    m_timer.tmrExecute.setEnabled(true);
    m_main->Unload();
}

void Startup::exitAfterFirstPaint(int delayMs)
{
    m_exitDelayMs = delayMs;
    m_splash->tmrSplash1.setInterval(0);
    m_main->centralWidget()->installEventFilter(this);
}

bool Startup::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && m_exitDelayMs >= 0) {
        const int delay = m_exitDelayMs;
        m_exitDelayMs = -1;
        watched->removeEventFilter(this);
        std::printf("first-paint\n");
        std::fflush(stdout);
        QTimer::singleShot(delay, this, [] {
            std::printf("rss-kb %ld\n", residentKilobytes());
            std::fflush(stdout);
            std::_Exit(0);
        });
    }
    return QObject::eventFilter(watched, event);
}

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "program/Application.h"

#include "app/AppContext.h"
#include "app/ErrorTrap.h"
#include "delivery/DeliveryHistory.h"
#include "delivery/Scheduler.h"
#include "store/SeriesStore.h"
#include "store/StoreError.h"
#include "ui/entry/EntryDialog.h"
#include "ui/entry/UserPicker.h"
#include "ui/main/DeliveryHistoryWindow.h"
#include "ui/main/MailWarning.h"
#include "ui/main/MainWindow.h"
#include "ui/setup/SetupWizard.h"
#include "ui/setup/SplashScreen.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QTimer>
#include <cstdio>

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

Application::Application(AppContext &context, MessageStore &store, SeriesStore &series,
    Scheduler &scheduler, QObject *parent)
    : QObject(parent)
    , endProgram([] { QCoreApplication::quit(); })
    , m_context(context)
    , m_series(series)
    , m_scheduler(scheduler)
    , m_main(std::make_unique<MainWindow>(context))
    , m_mailWarning(std::make_unique<MailWarning>())
    , m_history(std::make_unique<DeliveryHistory>(context.historyFile, context.settings))
{
    m_entry = new EntryDialog(m_context, store, series, m_main.get());
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
        m_scheduler.sendInstantMessage(user, message);
    };
    m_main->reloadScheduler = [this] { m_scheduler.reload(); };
    m_main->userRemoved = [this](int user) { m_series.forgetUser(user); };
    m_main->showAbout = [this] { m_splash->showAbout(); };
    m_main->showDeliveryHistory = [this] { historyWindow().showInFront(); };

    m_wizard = std::make_unique<SetupWizard>(m_context);
    m_main->openSetupWizard
        = [this](SetupWizard::Mode mode, int user) { return m_wizard->run(mode, user); };
    m_main->pickUsers
        = [this](const UserPicker::Mode &mode) { return m_entry->picker().pick(mode); };
    m_splash = std::make_unique<SplashScreen>(m_context, *m_wizard);
    m_splash->setHooks({
        [this] {
            return QList<QWidget *> { &m_entry->picker(), m_entry };
        },
        [this] { m_main->showMainWindow(); },
    });
    connect(m_splash.get(), &SplashScreen::firstRunSetUp, m_main.get(),
        &MainWindow::setFirstTimeMessagesDue);

    // What the scheduler reports reaches the windows; its error trap reports are shown
    // once its work has returned to the event loop, so that it never waits for a box.
    connect(&m_scheduler, &Scheduler::delivered, m_main.get(), &MainWindow::colourRow);
    connect(&m_scheduler, &Scheduler::retrying, m_main.get(), &MainWindow::showRetry);
    connect(&m_scheduler, &Scheduler::warning, m_mailWarning.get(), &MailWarning::showWarning);
    connect(&m_scheduler, &Scheduler::failure, this,
        [this](const QString &where, const QString &text) { m_context.reportLater(where, text); });
    // The new day's records are written before the calendar goes to it, so that its marks
    // and the grid, read once the day has settled, show them.
    connect(&m_scheduler, &Scheduler::dayChanged, this, &Application::extendSeries);
    connect(&m_scheduler, &Scheduler::dayChanged, m_main.get(), &MainWindow::goToToday);
    // Every attempt goes into the history, and from there to its window and to the warning
    // that came during it.
    connect(&m_scheduler, &Scheduler::attempted, m_history.get(), &DeliveryHistory::append);
    connect(m_history.get(), &DeliveryHistory::appended, m_mailWarning.get(),
        &MailWarning::attemptEnded);
    connect(m_mailWarning.get(), &MailWarning::historyRequested, this,
        [this] { historyWindow().showAttempt(m_mailWarning->attempt()); });
    connect(&m_housekeeping, &SecondTicker::tick, this, &Application::housekeep);
}

Application::~Application() = default;

DeliveryHistoryWindow &Application::historyWindow()
{
    if (!m_historyWindow)
        m_historyWindow = std::make_unique<DeliveryHistoryWindow>(*m_history);
    return *m_historyWindow;
}

void Application::start()
{
    trap(m_context, "mod1.Main", [&] {
        m_splash->start();
        m_housekeeping.setEnabled(true);
        extendSeries();
        // A series file that had to be set aside is told of once, without holding the start.
        if (const QString warning = m_series.takeWarning(); !warning.isEmpty())
            m_mailWarning->showWarning(warning);
        m_scheduler.start();
        m_scheduler.reload();
    });
}

void Application::extendSeries()
{
    trapLater(m_context, "mod1.ExtendSeries", [&] {
        try {
            if (!m_series.extend().isEmpty())
                m_scheduler.reload();
        } catch (const StoreError &error) {
            m_mailWarning->showWarning(QString::fromLocal8Bit(error.what()));
        }
    });
}

void Application::housekeep()
{
    trapLater(m_context, "frmTimer.TimedExecution", [&] {
        if (m_main->isShutdownRequested()) {
            answerShutdown();
            return;
        }
        if (!m_splash->isDone() || m_main->isInTray())
            return;
        // Asking whether the window is shown loads it, hidden, when it is not loaded.
        if (!m_main->isLoaded())
            m_main->load();
        if (!m_main->isVisible())
            m_main->moveIntoTray();
    });
}

void Application::answerShutdown()
{
    // No tick may enter while the question is open; deliveries go on meanwhile.
    m_housekeeping.setEnabled(false);
    if (m_main->isVisible())
        m_main->saveWindowPlace();
    m_main->showClosingMessages();
    if (m_main->isShutdownRequested()) {
        // Nothing more goes out, not even the rest of a message under way.
        m_scheduler.abortDelivery();
        m_main->leaveDesktop();
        endProgram();
        return;
    }
    m_housekeeping.setEnabled(true);
    m_main->unload();
}

void Application::exitAfterFirstPaint(int delayMs)
{
    m_exitDelayMs = delayMs;
    m_splash->setStandingTime(0);
    m_main->centralWidget()->installEventFilter(this);
}

bool Application::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && m_exitDelayMs >= 0) {
        const int delay = m_exitDelayMs;
        m_exitDelayMs = -1;
        watched->removeEventFilter(this);
        std::printf("first-paint\n");
        std::fflush(stdout);
        QTimer::singleShot(delay, this, [this] {
            std::printf("rss-kb %ld\n", residentKilobytes());
            std::fflush(stdout);
            // exit(), not quit(): quit() would ask the window on show to close, and its
            // unloading would save its place into the settings the benchmark reuses.
            QCoreApplication::exit(0);
        });
    }
    return QObject::eventFilter(watched, event);
}

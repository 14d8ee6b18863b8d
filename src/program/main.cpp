// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/AppContext.h"
#include "app/AppTitle.h"
#include "app/SettingsFileCheck.h"
#include "app/SettingsStore.h"
#include "app/StartValues.h"
#include "delivery/MailDelivery.h"
#include "delivery/NetworkCheck.h"
#include "delivery/Scheduler.h"
#include "delivery/SystemSocketLayer.h"
#include "platform/LoggedMessageBoxes.h"
#include "platform/Paths.h"
#include "platform/QtConnectionService.h"
#include "platform/ResumeWatcher.h"
#include "platform/SingleInstance.h"
#include "platform/SystemClock.h"
#include "program/Application.h"
#include "program/CommandLine.h"
#include "program/Translations.h"
#include "store/MessageStore.h"
#include "store/SeriesStore.h"
#include "ui/common/QtMessageBoxes.h"
#include "ui/common/TolvaneIcon.h"
#include "ui/setup/InstalledMailAccounts.h"
#include "ui/setup/SetupWizard.h"

#include <QApplication>
#include <memory>

// The start-up in its order, then the event loop.
int main(int argc, char **argv)
{
    // --help and --version need no display, and neither touches the lock or a setting.
    if (const auto status = CommandLine::answerBeforeDisplay(argc, argv))
        return *status;
    CommandLine::guardDisplay();
    QApplication app(argc, argv);
    CommandLine::displayOpened();
    installTranslations();
    if (const auto status = CommandLine::refuseUnknown())
        return *status;
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    // Wayland compositors find the launcher, and with it the icon, by this name.
    QApplication::setDesktopFileName(QStringLiteral("io.github.tolvane.Tolvane"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(tolvaneIcon());

    QtMessageBoxes shownBoxes;
    std::unique_ptr<LoggedMessageBoxes> loggedBoxes;
#ifdef TOLVANE_TEST_SWITCHES
    // Only the test build runs unwatched; the installed program shows every box, since a
    // question such as "Shutting Down?" must never be answered for the user.
    if (qEnvironmentVariableIsSet("TOLVANE_BOX_LOG"))
        loggedBoxes = std::make_unique<LoggedMessageBoxes>(qEnvironmentVariable("TOLVANE_BOX_LOG"));
#endif
    MessageBoxes &boxes = loggedBoxes ? static_cast<MessageBoxes &>(*loggedBoxes) : shownBoxes;

    // Looked at before anything touches it: a settings file that cannot be one would start
    // the first-run wizard as if nothing were set up, and every write after it would fail.
    const QString settingsPath = Paths::settingsFilePath();
    if (const QString problem = settingsFileProblem(settingsPath); !problem.isEmpty()) {
        showSettingsFileProblem(boxes, settingsPath, problem);
        return 1;
    }
    SettingsStore settings(Paths::settingsFile());
    SystemClock clock;
    AppContext context(settings, clock, boxes);

    SingleInstance instance(SingleInstance::defaultLockPath());
    switch (instance.tryLock()) {
    case SingleInstance::Result::Locked:
        break;
    case SingleInstance::Result::HeldByOtherCopy:
        showAlreadyRunning(boxes);
        return 0;
    case SingleInstance::Result::NotCreated:
        // Not a second copy: without the lock nothing stops one, so the program ends.
        showLockNotCreated(boxes, instance.path(), instance.creationFailure());
        return 1;
    }

    readStartValues(context, QCoreApplication::applicationFilePath(), Paths::dataDir());
    context.historyFile = Paths::deliveryHistoryFile();

    // Without usable sockets nothing can be delivered: the program ends.
    SystemSocketLayer sockets;
    if (const QString problem = NetworkCheck::problem(sockets); !problem.isEmpty()) {
        boxes.show(AppTitle, problem, MessageBoxes::Icon::None, MessageBoxes::Buttons::Ok);
        return 1;
    }

    QtConnectionService connection;
    MessageStore store(context.dataFolder, clock);
    SeriesStore series(context.dataFolder, store, clock);
    MailDelivery delivery(context, store, connection);
    Scheduler scheduler(context, store, delivery, connection);
    // Awake again, or online again: what could not go may go now.
    ResumeWatcher resume;
    QObject::connect(&resume, &ResumeWatcher::resumed, &scheduler, &Scheduler::catchUp);
    Application program(context, store, series, scheduler);
    program.wizard().mailAccountGuess = installedMailAccountGuess;
#ifdef TOLVANE_TEST_SWITCHES
    if (qEnvironmentVariableIsSet("TOLVANE_EXIT_AFTER_PAINT"))
        program.exitAfterFirstPaint(qEnvironmentVariableIntValue("TOLVANE_EXIT_AFTER_PAINT"));
#endif
    program.start();

    return app.exec();
}

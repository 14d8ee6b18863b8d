#include "app/StartValues.h"

#include "app/AppTitle.h"
#include "app/AppContext.h"
#include "app/SettingsStore.h"
#include "platform/MessageBoxes.h"

namespace {
const QString Options = QStringLiteral("Options");
}

QString AlreadyRunningText()
{
    return QStringLiteral("Tolvane is already running!") + QChar(13)
        + QStringLiteral("Double-Click on the Cellular Phone in your")
        + QStringLiteral(" System Tray to display Tolvane.");
}

void ShowAlreadyRunning(MessageBoxes &boxes)
{
    boxes.show(
        AppTitle, AlreadyRunningText(), MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok);
}

void ShowSettingsFileProblem(MessageBoxes &boxes, const QString &path, const QString &reason)
{
    boxes.show(AppTitle, QStringLiteral("Cannot use the settings file %1: %2").arg(path, reason),
        MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok);
}

void ShowLockNotCreated(MessageBoxes &boxes, const QString &lockPath, const QString &reason)
{
    boxes.show(AppTitle, QStringLiteral("Cannot create the lock file %1: %2").arg(lockPath, reason),
        MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok);
}

void ReadStartValues(AppContext &program, const QString &executablePath, const QString &programDir)
{
    const SettingsStore &settings = program.settings;
    program.firstRun
        = settings.ReadSetting(Options, QStringLiteral("Current User"), QStringLiteral("0"))
        == QStringLiteral("0");
    program.programPath = executablePath;
    program.dataFolder = programDir;
    program.startSmall
        = settings.ReadSetting(Options, QStringLiteral("StartSmall"), QStringLiteral("0"))
        == QStringLiteral("1");
}

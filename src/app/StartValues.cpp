// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/StartValues.h"

#include "app/AppContext.h"
#include "app/AppTitle.h"
#include "app/SettingsStore.h"
#include "platform/MessageBoxes.h"

#include <QCoreApplication>

namespace {
const QString Options = QStringLiteral("Options");
}

QString alreadyRunningText()
{
    return QCoreApplication::translate("StartValues", "Tolvane is already running!") + QChar(13)
        + QCoreApplication::translate("StartValues",
            "Double-Click on the Cellular Phone in your System Tray to display Tolvane.");
}

void showAlreadyRunning(MessageBoxes &boxes)
{
    boxes.show(
        AppTitle, alreadyRunningText(), MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok);
}

void showSettingsFileProblem(MessageBoxes &boxes, const QString &path, const QString &reason)
{
    boxes.show(AppTitle,
        QCoreApplication::translate("StartValues", "Cannot use the settings file %1: %2")
            .arg(path, reason),
        MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok);
}

void showLockNotCreated(MessageBoxes &boxes, const QString &lockPath, const QString &reason)
{
    boxes.show(AppTitle,
        QCoreApplication::translate("StartValues", "Cannot create the lock file %1: %2")
            .arg(lockPath, reason),
        MessageBoxes::Icon::Critical, MessageBoxes::Buttons::Ok);
}

void readStartValues(AppContext &context, const QString &executablePath, const QString &programDir)
{
    const SettingsStore &settings = context.settings;
    context.firstRun
        = settings.readSetting(Options, QStringLiteral("Current User"), QStringLiteral("0"))
        == QStringLiteral("0");
    context.programPath = executablePath;
    context.dataFolder = programDir;
    context.startSmall
        = settings.readSetting(Options, QStringLiteral("StartSmall"), QStringLiteral("0"))
        == QStringLiteral("1");
}

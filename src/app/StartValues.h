// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

class MessageBoxes;
class AppContext;

// The first steps of Main, kept apart from the event loop so that they can be run on
// their own.

// The refusal shown by a second copy: two lines parted by a bare carriage return.
QString alreadyRunningText();
void showAlreadyRunning(MessageBoxes &boxes);

// The settings file at path cannot be used, for the reason given.
void showSettingsFileProblem(MessageBoxes &boxes, const QString &path, const QString &reason);

// The lock file at lockPath could not be created, for the reason given.
void showLockNotCreated(MessageBoxes &boxes, const QString &lockPath, const QString &reason);

// FirstRun, ProgramPath, ProgramDir and StartSmall. The message files live in the data
// directory (programDir, ending with "/"), not beside the executable.
void readStartValues(AppContext &context, const QString &executablePath, const QString &programDir);

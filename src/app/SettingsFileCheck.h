// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// Why the settings file at path cannot serve as one, in words for the user: it is there
// but is no regular file or cannot be read and written, or it is missing and cannot be
// made. Empty when it can be used. It only looks: nothing is made or changed, so that the
// start can refuse a file before SettingsStore creates it or changes its permissions.
QString settingsFileProblem(const QString &path);

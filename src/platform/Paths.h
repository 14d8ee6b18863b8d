// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// Where the program keeps its files, following the XDG base directories so that
// XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_STATE_HOME point it elsewhere.
namespace Paths {

// $XDG_CONFIG_HOME/Tolvane (default ~/.config/Tolvane), created private to the account.
QString configDir();

// The settings file inside configDir().
QString settingsFile();

// Where settingsFile() is, found without making any folder: the start looks at the file
// before anything is made.
QString settingsFilePath();

// $XDG_DATA_HOME/Tolvane/ (default ~/.local/share/Tolvane/): the message files.
// Created private to the account; ends with "/".
QString dataDir();

// $XDG_STATE_HOME/Tolvane/deliveries.log (default ~/.local/state/Tolvane/): the delivery
// history. Nothing is made here; the history makes its folder when it first writes.
QString deliveryHistoryFile();

// Creates a directory (and its parents) and makes it readable by its owner only.
bool makePrivateDir(const QString &path);

} // namespace Paths

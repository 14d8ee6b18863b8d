// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// Starting the program when the user logs in: an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/tolvane.desktop, whose Exec line runs the program's path.
namespace AutoStart {

QString entryPath();

// Whether the entry is there; the "Auto Load Tolvane" tick says the same.
bool exists();

// Writes the entry for the given program path, replacing it whole (a crash leaves the old
// entry or the new one, never half of one). Readable by its owner only. Returns whether
// the entry is now on disk.
bool write(const QString &programPath);

// Removes the entry; true when it is gone afterwards.
bool remove();

// The value of the Exec key that runs exactly this path, whatever characters it holds.
// An empty path gives an empty command.
QString execLine(const QString &programPath);

} // namespace AutoStart

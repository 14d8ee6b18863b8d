// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>

// What the command line asks before any window opens. Tolvane takes no arguments of its
// own besides --help and --version; Qt's own options (-style, -platform, ...) are taken
// out by QApplication first.
namespace CommandLine {

// Answers --help and --version (and an unknown option given with them) on the standard
// streams, with no display needed. Returns the exit status when the program is to end.
std::optional<int> answerBeforeDisplay(int argc, char **argv);

// After QApplication has taken its own options: an unknown option or an argument ends the
// program with status 2 and a line saying why.
std::optional<int> refuseUnknown();

// A start without a usable display ends with one clear line on standard error instead of
// Qt's abort. Call before constructing QApplication; done() once it exists.
void guardDisplay();
void displayOpened();

} // namespace CommandLine

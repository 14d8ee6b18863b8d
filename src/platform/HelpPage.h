// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// The help page, Tolvane.html. An installed program finds it in share/tolvane/ beside its
// bin/ folder, and a program run from its build folder finds the copy the build puts in
// the same place there; a page installed elsewhere in the XDG data folders is found too.

// The page's full path, or empty text when there is none.
QString findHelpPage(const QString &executableDir);

// Opens the page in the desktop's browser. Returns what to tell the user when it could not
// (no page, or no program to show it: then where the page is, to open by hand), or empty
// text when the page was handed to the browser.
QString openHelpPage();

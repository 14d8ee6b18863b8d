#pragma once

#include <QString>

// The help page, Tolvane.html. An installed program finds it in share/tolvane/ beside its
// bin/ folder, and a program run from its build folder finds the copy the build puts in
// the same place there; a page installed elsewhere in the XDG data folders is found too.

// The page's full path, or empty text when there is none.
QString findHelpPage(const QString &executableDir);

// Opens the page in the desktop's browser. A missing page, or a desktop that cannot
// show it, leaves everything as it was and says nothing.
void openHelpPage();

#pragma once

#include <QIcon>

// The program's icon (a phone with a clock), drawn at any size from the artwork that
// is compiled into the program: the splash, every window and the tray use it.
QIcon tolvaneIcon();

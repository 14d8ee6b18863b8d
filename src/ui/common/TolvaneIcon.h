// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QIcon>

// The program's icon (a phone with a clock), drawn at any size from the artwork that
// is compiled into the program: the splash, every window and the tray use it.
QIcon tolvaneIcon();

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// The program's title, used where a message box carries no title of its own.
inline const QString AppTitle = QStringLiteral("Tolvane");

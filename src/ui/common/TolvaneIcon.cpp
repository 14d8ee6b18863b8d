// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/common/TolvaneIcon.h"

// The artwork lives in a static library, whose resources the linker leaves out unless
// they are registered by hand. Q_INIT_RESOURCE must stand outside any namespace.
static void registerArtwork()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(tolvane);
        return true;
    }();
    Q_UNUSED(registered);
}

QIcon tolvaneIcon()
{
    registerArtwork();
    return QIcon(QStringLiteral(":/tolvane.svg"));
}

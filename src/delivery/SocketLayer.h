// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QtGlobal>

// The sockets layer as start-up asks about it: whether it starts, the version it grants
// (major number in the low byte, minor in the high byte) and how many sockets it offers.
class SocketLayer {
public:
    struct StartUp {
        int result = 0; // 0 when the layer started
        quint16 version = 0;
        int maxSockets = 0;
    };

    virtual ~SocketLayer() = default;
    virtual StartUp startUp(quint16 requestedVersion) = 0;
};

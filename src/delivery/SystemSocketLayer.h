// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "delivery/SocketLayer.h"

// The machine's own sockets: usable when a TCP socket can be created. It grants the
// version asked for and offers as many sockets as the process may open files.
class SystemSocketLayer final : public SocketLayer {
public:
    StartUp startUp(quint16 requestedVersion) override;
};

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/ConnectionService.h"

// The connection flags from Qt's network information: online, site or local
// reachability counts as a LAN connection, a disconnected machine has no flag. Where no
// backend loads, the machine is taken to be on a LAN. There is no modem to dial here.
class QtConnectionService final : public ConnectionService {
public:
    QtConnectionService();
    int flags() override;
    bool autodial() override { return false; }
    void hangUp() override { }

private:
    bool m_haveBackend = false;
};

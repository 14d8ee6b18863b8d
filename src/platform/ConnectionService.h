// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The machine's Internet connection, as the delivery code asks about it before it
// connects: which connection flags are set, dialling a modem line and hanging it up.
class ConnectionService {
public:
    enum Flag { Modem = 1, Lan = 2, Configured = 64 };

    virtual ~ConnectionService() = default;
    virtual int flags() = 0;
    // Dials the default connection unattended; returns whether a connection exists after.
    virtual bool autodial() = 0;
    virtual void hangUp() = 0;
};

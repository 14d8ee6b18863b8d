// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QtGlobal>

class SocketLayer;

// The two bytes of a 16-bit value.
constexpr int hibyte(quint16 value)
{
    return (value / 256) & 255;
}
constexpr int lobyte(quint16 value)
{
    return value & 255;
}

namespace NetworkCheck {

// Starts the sockets layer, asking for version 1.1, and says why it cannot be used: the
// text the start-up shows before the program ends, since nothing could be delivered.
// Empty when it can be used.
QString problem(SocketLayer &layer);

} // namespace NetworkCheck

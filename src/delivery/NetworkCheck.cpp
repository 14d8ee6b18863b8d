// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "delivery/NetworkCheck.h"

#include "delivery/SocketLayer.h"

#include <QCoreApplication>

namespace {

constexpr quint16 RequestedVersion = 257; // 1.1
constexpr int MinSockets = 1;

} // namespace

QString NetworkCheck::problem(SocketLayer &layer)
{
    const SocketLayer::StartUp granted = layer.startUp(RequestedVersion);
    if (granted.result != 0)
        return QCoreApplication::translate("NetworkCheck", "Winsock.dll is not responding.");
    const int major = lobyte(granted.version);
    const int minor = hibyte(granted.version);
    if (major < 1 || (major == 1 && minor < 1))
        return QCoreApplication::translate(
            "NetworkCheck", "Windows Sockets version %1.%2 is not supported by winsock.dll ")
            .arg(major)
            .arg(minor);
    if (granted.maxSockets < MinSockets)
        return QCoreApplication::translate(
            "NetworkCheck", "This application requires a minimum of %1 supported sockets.")
            .arg(MinSockets);
    return {};
}

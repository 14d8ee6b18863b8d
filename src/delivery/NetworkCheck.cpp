#include "delivery/NetworkCheck.h"

#include "delivery/SocketLayer.h"

namespace {

constexpr quint16 RequestedVersion = 257; // 1.1
constexpr int MinSockets = 1;

} // namespace

QString NetworkCheck::problem(SocketLayer &layer)
{
    const SocketLayer::StartUp granted = layer.startUp(RequestedVersion);
    if (granted.result != 0)
        return QStringLiteral("Winsock.dll is not responding.");
    const int major = lobyte(granted.version);
    const int minor = hibyte(granted.version);
    if (major < 1 || (major == 1 && minor < 1))
        return QStringLiteral("Windows Sockets version %1.%2 is not supported by winsock.dll ")
            .arg(major)
            .arg(minor);
    if (granted.maxSockets < MinSockets)
        return QStringLiteral("This application requires a minimum of %1 supported sockets.")
            .arg(MinSockets);
    return {};
}

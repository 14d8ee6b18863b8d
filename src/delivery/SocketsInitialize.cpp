#include "delivery/SocketsInitialize.h"

#include "app/AppTitle.h"
#include "delivery/SocketLayer.h"
#include "platform/MessageBoxes.h"

namespace {

constexpr quint16 RequestedVersion = 257; // 1.1
constexpr int MinSockets = 1;

void tell(MessageBoxes &boxes, const QString &text)
{
    boxes.show(AppTitle, text, MessageBoxes::Icon::None, MessageBoxes::Buttons::Ok);
}

} // namespace

bool SocketsInitialize(MessageBoxes &boxes, SocketLayer &layer)
{
    const SocketLayer::StartUp granted = layer.startUp(RequestedVersion);
    if (granted.result != 0) {
        tell(boxes, QStringLiteral("Winsock.dll is not responding."));
        return false;
    }
    const int major = lobyte(granted.version);
    const int minor = hibyte(granted.version);
    if (major < 1 || (major == 1 && minor < 1)) {
        tell(boxes,
            QStringLiteral("Windows Sockets version %1.%2 is not supported by winsock.dll ")
                .arg(major)
                .arg(minor));
        return false;
    }
    if (granted.maxSockets < MinSockets) {
        tell(boxes,
            QStringLiteral("This application requires a minimum of %1 supported sockets.")
                .arg(MinSockets));
        return false;
    }
    return true;
}

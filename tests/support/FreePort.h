#pragma once

#include <QTcpServer>

// A loopback TCP port that nothing listens on at the moment of the call.
inline quint16 FreeLoopbackPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

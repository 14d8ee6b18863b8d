#include "support/FreePort.h"

#include <QTcpServer>

quint16 FreeLoopbackPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

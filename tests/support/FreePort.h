#pragma once

#include <QtGlobal>

// A loopback TCP port that nothing listens on at the moment of the call.
quint16 FreeLoopbackPort();

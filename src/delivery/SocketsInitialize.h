#pragma once

#include <QtGlobal>

class MessageBoxes;
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

// Starts the sockets layer, asking for version 1.1. When the layer cannot be used it
// says why in a message box and returns false: the program cannot deliver and ends.
bool SocketsInitialize(MessageBoxes &boxes, SocketLayer &layer);

#pragma once

#include "app/Program.h"

#include <QString>
#include <exception>
#include <utility>

// Runs one procedure under the program's error trap: an unexpected failure ends the
// procedure (its guards have already released what it held) and, when ShowErrors is on,
// shows "Error occurred in <module>.<procedure>". Nothing escapes to end the program.
// Returns whether the procedure ran to its end.
template<class Procedure>
bool Trap(Program &program, const char *where, Procedure &&procedure) noexcept
{
    try {
        std::forward<Procedure>(procedure)();
        return true;
    } catch (...) {
    }
    try {
        program.ReportError(QString::fromLatin1(where));
    } catch (...) {
    }
    return false;
}

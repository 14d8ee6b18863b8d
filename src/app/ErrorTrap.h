// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/AppContext.h"
#include "platform/UserFacingError.h"

#include <QString>
#include <exception>
#include <utility>

// Runs one procedure under the program's error trap: an unexpected failure ends the
// procedure (its guards have already released what it held) and, when ShowErrors is on,
// shows "Error occurred in <module>.<procedure>". A file that could not be read or
// written is no programming error: the user is told what failed whatever ShowErrors
// says. Nothing escapes to end the program. Returns whether the procedure ran to its end.
template<class Procedure>
bool trap(
    AppContext &context, const char *where, Procedure &&procedure, bool later = false) noexcept
{
    QString failure;
    try {
        std::forward<Procedure>(procedure)();
        return true;
    } catch (const UserFacingError &error) {
        try {
            failure = QString::fromUtf8(error.what());
        } catch (...) {
        }
    } catch (...) {
    }
    try {
        if (later)
            context.reportLater(QString::fromLatin1(where), failure);
        else if (failure.isEmpty())
            context.reportError(QString::fromLatin1(where));
        else
            context.reportFailure(failure);
    } catch (...) {
    }
    return false;
}

// The error trap of work that must never wait for a user (the scheduler, the delivery):
// the report is shown once that work has returned to the event loop.
template<class Procedure>
bool trapLater(AppContext &context, const char *where, Procedure &&procedure) noexcept
{
    return trap(context, where, std::forward<Procedure>(procedure), true);
}

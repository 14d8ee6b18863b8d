// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "app/MailServerOptions.h"

#include <QString>
#include <functional>

// What a search of the installed mail clients' account data found: the sender address
// of the first account that has one, and the outgoing server read from that same
// account with the security, port and login it is reached with (never a password).
// Either may be missing; a found value may be the empty text. The options belong to the
// server: without one found they stay as the plain conversation.
struct MailAccount {
    bool addressFound = false;
    QString address;
    bool serverFound = false;
    QString server;
    MailServerOptions options;
};

// The search itself. The second page runs it on every showing during first-run set-up
// and decides how what it found stands against the values already confirmed. Without
// a source of account data it finds nothing.
using MailAccountGuess = std::function<MailAccount()>;

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ui/setup/MailAccountGuess.h"
#include "ui/setup/MailAccountStore.h"

// The mail-account search over two stores, tried in order. The first store that has an
// account with a sender address wins, and within it the lowest such account; the server
// is read from that same account only, even when it has none and another account does.
// With no address anywhere the server is still read from the second store's account 0.
// The security, port and login are read with the server, from its account, and only when
// it was found. A port that is not a number from 1 to 65535 is left out, and so is the
// usual port of the security found, which an empty port stands for already. A login
// comes only with STARTTLS or TLS. A value longer than 254 characters cannot be read, as
// a missing one; a value read has its outer blanks removed.
MailAccount searchMailAccounts(const MailAccountStore &first, const MailAccountStore &second);

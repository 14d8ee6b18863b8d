#pragma once

#include "ui/setup/MailAccountGuess.h"
#include "ui/setup/MailAccountStore.h"

// The mail-account search over two stores, tried in order. The first store that has an
// account with a sender address wins, and within it the lowest such account; the server
// is read from that same account only, even when it has none and another account does.
// With no address anywhere the server is still read from the second store's account 0.
// A value longer than 254 characters cannot be read, as a missing one; a value read has
// its outer blanks removed.
MailAccount SearchMailAccounts(const MailAccountStore &first, const MailAccountStore &second);

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ui/setup/MailAccountStore.h"

// Evolution's accounts, read only, from its sources folder (normally
// $XDG_CONFIG_HOME/evolution/sources): each enabled mail identity is one account, with
// its address and the host, security, port and user of the mail transport it submits
// through. Evolution keeps no order of its own among identities; they are taken in the
// order of their source names, so that the guess stays the same from one showing to the
// next. A missing or unreadable folder gives no accounts.
MailAccountStore evolutionAccounts(const QString &sourcesDir);

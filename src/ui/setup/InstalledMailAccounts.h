// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ui/setup/MailAccountGuess.h"

// The mail-account search over the mail clients installed for this account: Thunderbird
// first (its usual folder, then the Snap and Flatpak ones), then Evolution. Read only;
// finding nothing is silent.
MailAccount installedMailAccountGuess();

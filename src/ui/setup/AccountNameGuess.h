// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>

// The user name offered on the first wizard page: the login name of the account that
// runs the program. At most 99 characters; empty when the name cannot be had.
QString accountNameGuess();

// The guess made from a login name as found: a name too long for the 99 characters
// gives the empty text, as a name that does not fit is no name at all. Nothing is
// trimmed and the case is kept.
QString fitAccountName(const QString &loginName);

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <stdexcept>

// A failure the user must hear about whatever ShowErrors says: a file that could not be
// read or written, where the user can do something about it (free some disk space, fix
// a folder's rights). Its text says what went wrong in words a user can act on.
class UserFacingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "platform/UserFacingError.h"

// A message file could not be read or written. The file is as it was before the
// operation; the text says what went wrong in words a user can act on.
class StoreError : public UserFacingError {
public:
    using UserFacingError::UserFacingError;
};

#pragma once

#include "platform/UserFacingError.h"

// A message file could not be read or written. The file is as it was before the
// operation; the text says what went wrong in words a user can act on.
class StoreError : public UserFacingError {
public:
    using UserFacingError::UserFacingError;
};

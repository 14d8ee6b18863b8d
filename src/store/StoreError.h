#pragma once

#include <stdexcept>
#include <string>

// A message file could not be read or written. The file is as it was before the
// operation; the text says what went wrong in words a user can act on.
class StoreError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

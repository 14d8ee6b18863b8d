#pragma once

#include <QString>

// Delivers one next-message entry (a two-digit user code followed by a whole record).
// Returns after success and after failure alike, and clears Sending on every way out.
class MessageProcessor {
public:
    virtual ~MessageProcessor() = default;
    virtual void ProcessMessage(const QString &entry) = 0;
};

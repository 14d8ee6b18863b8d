#pragma once

#include <QString>
#include <array>

// One next-message entry as delivery takes it apart: a two-digit user code followed by a
// whole message record. Taking it apart never fails; what is missing stays empty, and
// the delivery decides what a missing part means.
struct DeliveryEntry {
    explicit DeliveryEntry(const QString &entry);

    int userCode = 0; // 1..10 scheduled, 21..30 instant
    int user = 0; // the sending user: the code, less 20 for an instant message
    QString record; // the entry without its code, as the message file holds it
    QString date; // "YYYY/MM/DD"
    QString time; // "HH:MM AMPM", as the record holds it
    QString text; // up to the first "|" (the rest of the record when there is none)
    bool hasSeparator = false;
    QString recipientList; // after the first "|"

    bool isInstant() const { return userCode >= 20; }
};

// The recipient list cut at each ",": at most 11 addresses, entries 0 to 10; an empty
// piece leaves its entry empty. Throws std::runtime_error on a twelfth address.
using RecipientEntries = std::array<QString, 11>;
RecipientEntries SplitRecipients(const QString &list);

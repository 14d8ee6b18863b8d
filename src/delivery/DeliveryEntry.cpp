#include "delivery/DeliveryEntry.h"

#include "store/MessageRecord.h"

#include <stdexcept>

DeliveryEntry::DeliveryEntry(const QString &entry)
{
    bool ok = false;
    userCode = entry.left(2).toInt(&ok);
    if (!ok)
        userCode = 0;
    user = userCode >= 20 ? userCode - 20 : userCode;
    record = entry.mid(2);
    date = record.left(10);
    time = record.mid(11, 8);
    const QString rest = record.mid(MessageRecord::TextPos);
    const qsizetype bar = rest.indexOf(u'|');
    hasSeparator = bar >= 0;
    text = hasSeparator ? rest.left(bar) : rest;
    if (hasSeparator)
        recipientList = rest.mid(bar + 1);
}

RecipientEntries SplitRecipients(const QString &list)
{
    RecipientEntries entries;
    std::size_t index = 0;
    for (const QChar c : list) {
        if (c == u',') {
            ++index;
            continue;
        }
        if (index >= entries.size())
            throw std::runtime_error("more than 11 recipient addresses");
        entries[index].append(c);
    }
    return entries;
}

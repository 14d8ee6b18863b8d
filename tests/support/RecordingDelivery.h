// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "delivery/Deliverer.h"
#include "store/CodePage.h"
#include "store/MessageStore.h"

#include <functional>
#include <optional>

// Stands for the mail delivery: records every message it is handed as the user's two-digit
// code (user + 20 for an instant message) and the record's line, runs the test's own
// piece while "delivering", and answers with `result` at once, or when released if told
// to hold. A scheduled message it answers as sent is taken, and marked in its file unless
// the mark is to fail.
class RecordingDelivery final : public Deliverer {
public:
    explicit RecordingDelivery(MessageStore &store)
        : m_store(store)
    {
    }
    void start(int user, const MessageRecord &record, bool instant) override
    {
        entries.append(QStringLiteral("%1").arg(instant ? user + 20 : user, 2, 10, QChar(u'0'))
            + CodePage::decode(record.line));
        m_underWay = { user, instant ? std::optional<MessageRecord>() : record };
        if (during)
            during();
        if (!hold)
            release();
    }
    void abort() override { m_underWay.reset(); }
    bool underWay() const { return m_underWay.has_value(); }
    void release()
    {
        if (const auto handed = std::exchange(m_underWay, std::nullopt)) {
            Result ended = result;
            ended.taken |= ended.sent;
            if (ended.sent && handed->second) {
                emit taken(handed->first, *handed->second);
                if ((ended.marked = !markFails))
                    m_store.markSent(handed->first, *handed->second);
            }
            emit finished(ended);
        }
    }

    QStringList entries;
    Result result {};
    bool hold = false;
    bool markFails = false;
    std::function<void()> during;

private:
    MessageStore &m_store;
    std::optional<std::pair<int, std::optional<MessageRecord>>> m_underWay; // none: instant
};

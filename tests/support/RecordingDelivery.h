#pragma once

#include "app/Program.h"
#include "delivery/MessageProcessor.h"
#include "store/CodePage.h"
#include "store/MessageStore.h"

#include <QTest>
#include <functional>

// Stands for the SMTP conversation: records every entry it is handed, runs the test's own
// piece while "delivering" (a real delivery lets other events run while it waits for the
// server) and, when told to succeed, marks a scheduled message sent.
class RecordingDelivery final : public MessageProcessor {
public:
    explicit RecordingDelivery(Program &program)
        : p(program)
    {
    }
    void ProcessMessage(const QString &entry) override
    {
        QVERIFY(p.Sending);
        entries.append(entry);
        if (during)
            during();
        if (succeed && entry.left(2).toInt() < 20)
            MessageStore(p.ProgramDir, p.clock)
                .markSent(
                    entry.left(2).toInt(), MessageRecord::parse(CodePage::encode(entry.mid(2))));
        p.Sending = false;
    }
    QStringList entries;
    bool succeed = false;
    std::function<void()> during;

private:
    Program &p;
};

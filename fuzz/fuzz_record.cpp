// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A message file from anywhere (a crash, another program, a disk error, a hand edit): each
// line and its fields and its text as it goes by mail, then the whole content through the
// readers, the scheduler's look-ahead and one rewrite. A line that cannot be read must never
// be lost.

#include "FuzzSupport.h"
#include "delivery/Scheduler.h"
#include "delivery/SmtpWire.h"
#include "store/CodePage.h"
#include "store/MessageStore.h"
#include "store/Stamp.h"
#include "support/FakeConnectionService.h"
#include "support/RecordingDelivery.h"
#include "support/TestEnvironment.h"

#include <algorithm>
#include <tuple>

namespace {

struct World {
    TestEnvironment env;
    MessageStore store { env.dataDir(), env.clock };
    FakeConnectionService connection;
    RecordingDelivery delivery { store }; // never handed anything: nothing is due
    Scheduler scheduler { env.program, store, delivery, connection };
    const QDateTime someSlot { QDate(2026, 3, 14), QTime(10, 15) };
};
World *world = nullptr;

bool sameFields(const MessageRecord &a, const MessageRecord &b)
{
    return std::tie(a.date, a.minuteOfDay, a.sent, a.text, a.hasRecipientList, a.recipients)
        == std::tie(b.date, b.minuteOfDay, b.sent, b.text, b.hasRecipientList, b.recipients);
}

// A text as it goes by mail, quoted-printable and, when it fits a line, 8-bit: CR and LF
// only as line ends, no NUL, lines within their limits and dot-stuffed, ASCII alone and
// characters whole on a line when quoted-printable, and the text's UTF-8 back once the
// stuffing and the encoding are undone.
void checkMail(const QString &text)
{
    for (const bool eightBit : { false, true }) {
        if (eightBit && !SmtpWire::fitsEightBit(text))
            continue;
        const QByteArray content = SmtpWire::messageContent(
            { QStringLiteral("ann@home.example"), { QStringLiteral("bob@phone.example") },
                world->someSlot, QStringLiteral("<1.2@home.example>"), text, eightBit });
        QList<QByteArray> lines;
        qsizetype from = 0;
        for (qsizetype end; (end = content.indexOf("\r\n", from)) >= 0; from = end + 2)
            lines.append(content.sliced(from, end - from));
        FUZZ_CHECK(from == content.size() && lines.size() > 2 && lines.takeLast() == ".");
        QByteArray body;
        bool inBody = false;
        for (QByteArray line : std::as_const(lines)) {
            FUZZ_CHECK(!line.contains('\r') && !line.contains('\n') && !line.contains('\0'));
            if (line.startsWith('.')) {
                FUZZ_CHECK(line.startsWith(".."));
                line.remove(0, 1);
            }
            FUZZ_CHECK(line.size() <= (eightBit ? SmtpWire::MaxLineOctets : 76));
            FUZZ_CHECK(
                eightBit || std::all_of(line.begin(), line.end(), [](char c) { return c > 0; }));
            // A character's octets are not parted by a soft line break.
            FUZZ_CHECK(!inBody || eightBit || !line.startsWith('=')
                || (QByteArray::fromHex(line.mid(1, 2)).front() & 0xc0) != 0x80);
            if (inBody)
                body += line.endsWith('=') && !eightBit ? line.chopped(1) : line + "\r\n";
            inBody |= line.isEmpty();
        }
        const QByteArray sent = eightBit ? body : QByteArray::fromPercentEncoding(body, '=');
        FUZZ_CHECK(sent == SmtpWire::oneLine(text).toUtf8() + "\r\n");
    }
}

// Checks one line; whether it is readable.
bool checkLine(QByteArrayView line)
{
    const QString text = CodePage::decode(line);
    const QStringView view(text);
    const MessageRecord record = MessageRecord::parse(line);
    checkMail(record.text);
    // The text parsers read the stamp as the line's reader does, and take exactly the texts
    // the formatters write.
    const QDate date = Stamp::parseDate(view.left(Stamp::DateLength));
    const int minute = Stamp::parseTime(view.mid(Stamp::DateLength + 1, Stamp::TimeLength));
    FUZZ_CHECK(!date.isValid() || Stamp::formatDate(date) == view.left(Stamp::DateLength));
    FUZZ_CHECK(minute == Stamp::NoTime
        || (minute >= 0 && minute < 24 * 60 && Stamp::formatTime(minute) == view.mid(11, 8)));
    const bool stamped = date.isValid() && minute != Stamp::NoTime && view[10] == u' ';
    FUZZ_CHECK(record.line == line && record.date == (stamped ? date : QDate()));
    FUZZ_CHECK(record.minuteOfDay == (stamped ? minute : -1));
    FUZZ_CHECK(record.sent == (view.mid(MessageRecord::StatusPos, 1) == u"S"));

    // The text, its "|" and the recipients, each followed by ",", are the rest of the line.
    const QStringList &to = record.recipients;
    const QStringView rest = view.sliced(qMin(text.size(), MessageRecord::TextPos));
    const QString listed = to.isEmpty() ? QString() : to.join(u',') + u',';
    FUZZ_CHECK(!record.text.contains(u'|') && record.hasRecipientList == rest.contains(u'|'));
    FUZZ_CHECK(rest.startsWith(record.text + (record.hasRecipientList ? u'|' + listed : listed)));
    FUZZ_CHECK(listed.count(u',') == to.size());

    // A record made of these fields reads back as them; how its text is cleaned is
    // tst_messagestore's composeCleansText.
    const QDateTime due = stamped ? record.due() : world->someSlot;
    const MessageRecord made = MessageRecord::compose(due, text, to);
    FUZZ_CHECK(made.due() == due && !made.sent && made.hasRecipientList && made.recipients == to);
    FUZZ_CHECK(sameFields(MessageRecord::parse(made.line), made));
    return stamped;
}

// The file's lines as the program sees them: split at LF, one CR before it dropped,
// empty lines carrying nothing.
QList<QByteArray> linesOf(const QByteArray &content)
{
    QList<QByteArray> lines = content.split('\n');
    for (QByteArray &line : lines)
        line.chop(line.endsWith('\r') ? 1 : 0);
    lines.removeAll(QByteArray());
    return lines;
}

} // namespace

void setUpFuzz()
{
    world = new World;
    // Every procedure's error trap shows its box: a trap that fires is a finding.
    world->env.program.showErrors = true;
}

void fuzzOne(const QByteArray &content)
{
    TestEnvironment &env = world->env;
    MessageStore &store = world->store;
    // Any bytes read as text write back as the same bytes.
    const QString text = CodePage::decode(content);
    FUZZ_CHECK(text.size() == content.size() && CodePage::canEncode(text));
    FUZZ_CHECK(CodePage::encode(text) == content);
    QList<QByteArray> readable, unreadable;
    for (const QByteArray &line : linesOf(content))
        (checkLine(line) ? readable : unreadable).append(line);
    writeFuzzFile(env.userFile(1), content);

    // The readers hand over exactly the readable lines, in file order, each record read
    // as on its own (the visitor's record is reused from line to line).
    QList<QByteArray> visited, listed;
    store.read(1, [&](const MessageRecord &record) {
        FUZZ_CHECK(record.isReadable() && sameFields(record, MessageRecord::parse(record.line)));
        visited.append(record.line);
        return true;
    });
    for (const MessageRecord &record : store.read(1))
        listed.append(record.line);
    FUZZ_CHECK(visited == readable && listed == readable);
    if (!readable.isEmpty()) {
        const auto found = store.find(1, MessageRecord::parse(readable.first()).due());
        FUZZ_CHECK(found && found->line == readable.first());
    }

    // The look-ahead takes the earliest record that is neither sent nor past, wherever it
    // stands; the first of equals.
    world->scheduler.reload();
    const QDateTime now = env.clock.now(), thisMinute = now.addSecs(-now.time().second());
    QByteArray expected;
    QDateTime earliest;
    for (const QByteArray &line : readable) {
        const MessageRecord r = MessageRecord::parse(line);
        if (!r.sent && r.due() >= thisMinute && (!earliest.isValid() || r.due() < earliest))
            std::tie(earliest, expected) = std::pair(r.due(), line);
    }
    const auto &loaded = world->scheduler.slot(1);
    FUZZ_CHECK((loaded ? loaded->record.line : QByteArray()) == expected);
    FUZZ_CHECK(env.boxes.shown.isEmpty());

    // One rewrite: the middle record's slot gets a new text, or a fixed slot a new record.
    const QDateTime slot = readable.isEmpty()
        ? world->someSlot
        : MessageRecord::parse(readable[readable.size() / 2]).due();
    const MessageRecord record = MessageRecord::compose(
        slot, QStringLiteral("fuzzed slot"), { QStringLiteral("5551234567@sms.example.net") });
    store.save(1, record);
    FUZZ_CHECK(!QFile::exists(env.dataDir() + QStringLiteral("tmp.tmp")));
    const QByteArray saved = env.readMessageFileBytes(1);
    FUZZ_CHECK(saved.endsWith("\r\n"));
    QList<QByteArray> keptUnreadable, atSlot, others;
    for (const QByteArray &line : linesOf(saved)) {
        const MessageRecord read = MessageRecord::parse(line);
        (!read.isReadable() ? keptUnreadable : read.due() == slot ? atSlot : others).append(line);
    }
    // Every unreadable line survives byte for byte, in its order.
    FUZZ_CHECK(keptUnreadable == unreadable && atSlot == QList { record.line });
    for (const QByteArray &line : others)
        FUZZ_CHECK(readable.contains(line));
}

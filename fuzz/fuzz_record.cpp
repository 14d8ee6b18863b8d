// A message file from anywhere (a crash, another program, a disk error, a hand edit): each
// line and its fields, then the whole content through the readers, the scheduler's
// look-ahead and one rewrite. A line that cannot be read must never be lost.

#include "FuzzSupport.h"
#include "delivery/Scheduler.h"
#include "store/CodePage.h"
#include "store/MessageStore.h"
#include "store/Stamp.h"
#include "support/FakeConnectionService.h"
#include "support/RecordingDelivery.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QSet>

namespace {

struct World {
    TestEnvironment env;
    MessageStore store { env.dataDir(), env.clock };
    FakeConnectionService connection;
    RecordingDelivery delivery { store }; // never handed anything: nothing is due
    Scheduler scheduler { env.program, store, delivery, connection };
};

World *world = nullptr;

// Any bytes read as text write back as the same bytes.
void checkCodePage(QByteArrayView bytes)
{
    const QString text = CodePage::decode(bytes);
    FUZZ_CHECK(text.size() == bytes.size());
    FUZZ_CHECK(CodePage::canEncode(text));
    FUZZ_CHECK(CodePage::encode(text) == bytes);
}

// A text the parsers accept is exactly the text the formatters write for it.
void checkStampTexts(QStringView text)
{
    const QStringView date = text.first(qMin<qsizetype>(text.size(), Stamp::DateLength));
    const QDate d = Stamp::parseDate(date);
    if (d.isValid())
        FUZZ_CHECK(Stamp::formatDate(d) == date);
    const QStringView time = text.first(qMin<qsizetype>(text.size(), Stamp::TimeLength));
    const int minute = Stamp::parseTime(time);
    if (minute != Stamp::NoTime) {
        FUZZ_CHECK(minute >= 0 && minute < 24 * 60);
        FUZZ_CHECK(Stamp::formatTime(minute) == time);
    }
}

void checkLine(QByteArrayView line)
{
    checkCodePage(line);
    const QString text = CodePage::decode(line);
    checkStampTexts(text);
    if (text.size() > Stamp::DateLength + 1)
        checkStampTexts(QStringView(text).sliced(Stamp::DateLength + 1));

    const MessageRecord record = MessageRecord::parse(line);
    FUZZ_CHECK(record.line == line);
    FUZZ_CHECK(record.sent == (text.size() > MessageRecord::StatusPos && text[19] == u'S'));
    if (record.isReadable()) {
        FUZZ_CHECK(record.minuteOfDay >= 0 && record.minuteOfDay < 24 * 60);
        FUZZ_CHECK(Stamp::formatStamp(record.due()) == QStringView(text).first(Stamp::StampLength));
    } else {
        FUZZ_CHECK(!record.date.isValid() && !record.due().isValid());
        if (line.size() >= Stamp::StampLength && line[10] == ' ') {
            // The text form of the parsers refuses it as well.
            FUZZ_CHECK(!Stamp::parseDate(QStringView(text).first(Stamp::DateLength)).isValid()
                || Stamp::parseTime(QStringView(text).sliced(11, Stamp::TimeLength))
                    == Stamp::NoTime);
        }
    }

    // The text and the recipients are the fields of the line.
    const QString &body = record.text;
    const QStringList &to = record.recipients;
    FUZZ_CHECK(!body.contains(QLatin1Char('|')));
    if (text.size() <= MessageRecord::TextPos) {
        FUZZ_CHECK(body.isEmpty() && to.isEmpty() && !record.hasRecipientList);
    } else {
        const QStringView rest = QStringView(text).sliced(MessageRecord::TextPos);
        FUZZ_CHECK(rest.startsWith(body));
        FUZZ_CHECK(record.hasRecipientList == rest.contains(QLatin1Char('|')));
        if (!to.isEmpty()) {
            const QStringView after = rest.sliced(body.size() + 1);
            FUZZ_CHECK(after.startsWith(to.join(QLatin1Char(',')) + QLatin1Char(',')));
        }
    }
    FUZZ_CHECK(record.hasRecipientList || to.isEmpty());
    for (const QString &address : to)
        FUZZ_CHECK(!address.contains(QLatin1Char(',')));

    // A record made of these fields reads back as them, with the text cleaned.
    const QDateTime due
        = record.isReadable() ? record.due() : QDateTime(QDate(2026, 3, 14), QTime(10, 15));
    const MessageRecord made = MessageRecord::compose(due, text, to);
    FUZZ_CHECK(made.isReadable() && made.due() == due && !made.sent && made.hasRecipientList);
    FUZZ_CHECK(made.text.size() == text.size());
    FUZZ_CHECK(!made.text.contains(QLatin1Char('\r')) && !made.text.contains(QLatin1Char('\n'))
        && !made.text.contains(QLatin1Char('|')));
    FUZZ_CHECK(made.recipients == to);
    const MessageRecord reread = MessageRecord::parse(made.line);
    FUZZ_CHECK(reread.text == made.text && reread.recipients == made.recipients);
}

// The file's lines as the program sees them: split at LF, one CR before it dropped,
// empty lines carrying nothing.
QList<QByteArray> linesOf(const QByteArray &content)
{
    QList<QByteArray> lines;
    for (QByteArray line : content.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

bool isDue(const MessageRecord &record, const QDateTime &now)
{
    const QDate today = now.date();
    return !record.sent
        && (record.date > today
            || (record.date == today && record.minuteOfDay >= Stamp::minuteOfDay(now.time())));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    StartFuzzProcess(argc, argv);
    world = new World;
    // Every procedure's error trap shows its box: a trap that fires is a finding.
    world->env.program.showErrors = true;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TestEnvironment &env = world->env;
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    checkCodePage(content);

    QList<QByteArray> readable;
    QList<QByteArray> unreadable;
    for (const QByteArray &line : linesOf(content)) {
        checkLine(line);
        (MessageRecord::parse(line).isReadable() ? readable : unreadable).append(line);
    }

    QFile file(env.userFile(1));
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(content) == content.size());
    file.close();
    MessageStore store(env.dataDir(), env.clock);

    // The readers hand over exactly the readable lines, in file order, each record read
    // as on its own (the visitor's record is reused from line to line).
    QList<QByteArray> visited;
    store.read(1, [&](const MessageRecord &record) {
        const MessageRecord alone = MessageRecord::parse(record.line);
        FUZZ_CHECK(record.isReadable() && record.due() == alone.due());
        FUZZ_CHECK(record.sent == alone.sent && record.text == alone.text);
        FUZZ_CHECK(record.hasRecipientList == alone.hasRecipientList);
        FUZZ_CHECK(record.recipients == alone.recipients);
        visited.append(record.line);
        return true;
    });
    FUZZ_CHECK(visited == readable);
    QList<QByteArray> listed;
    for (const MessageRecord &record : store.read(1))
        listed.append(record.line);
    FUZZ_CHECK(listed == readable);

    if (!readable.isEmpty()) {
        const MessageRecord first = MessageRecord::parse(readable.first());
        const auto found = store.find(1, first.due());
        FUZZ_CHECK(found && found->line == first.line);
    }

    // The look-ahead takes the earliest record that is neither sent nor past, wherever it
    // stands; the first of equals.
    world->scheduler.reload();
    const QDateTime now = env.clock.now();
    QByteArray expected;
    QDateTime earliest;
    for (const QByteArray &line : readable) {
        const MessageRecord record = MessageRecord::parse(line);
        if (isDue(record, now) && (!earliest.isValid() || record.due() < earliest)) {
            earliest = record.due();
            expected = line;
        }
    }
    const auto &loaded = world->scheduler.slot(1);
    FUZZ_CHECK((loaded ? loaded->record.line : QByteArray()) == expected);
    FUZZ_CHECK(env.boxes.shown.isEmpty());

    // One rewrite: the middle record's slot gets a new text, or a fixed slot a new record.
    const QDateTime slot = readable.isEmpty()
        ? QDateTime(QDate(2026, 3, 14), QTime(10, 15))
        : MessageRecord::parse(readable[readable.size() / 2]).due();
    const MessageRecord record = MessageRecord::compose(
        slot, QStringLiteral("fuzzed slot"), { QStringLiteral("5551234567@sms.example.net") });
    store.save(1, record);
    FUZZ_CHECK(!QFile::exists(env.dataDir() + QStringLiteral("tmp.tmp")));

    const QByteArray saved = env.readMessageFileBytes(1);
    FUZZ_CHECK(saved.endsWith("\r\n"));
    QList<QByteArray> keptUnreadable;
    int records = 0;
    const QSet<QByteArray> before(readable.cbegin(), readable.cend());
    for (const QByteArray &line : linesOf(saved)) {
        const MessageRecord read = MessageRecord::parse(line);
        if (!read.isReadable()) {
            keptUnreadable.append(line);
        } else if (read.due() == slot) {
            FUZZ_CHECK(line == record.line);
            ++records;
        } else {
            FUZZ_CHECK(before.contains(line));
        }
    }
    // Every unreadable line survives byte for byte, in its order.
    FUZZ_CHECK(keptUnreadable == unreadable);
    FUZZ_CHECK(records == 1);
    return 0;
}

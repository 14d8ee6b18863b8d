// A message file from anywhere (a crash, another program, a disk error, a hand edit): each
// line and its fields, then the whole content through the readers, the scheduler's
// look-ahead and one rewrite. A line that cannot be read must never be lost.

#include "FuzzSupport.h"
#include "delivery/FrmTimer.h"
#include "delivery/MessageProcessor.h"
#include "store/CodePage.h"
#include "store/MessageFile.h"
#include "store/MessageRecord.h"
#include "store/Stamp.h"
#include "support/FakeConnectionService.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QSet>

namespace {

class NoDelivery final : public MessageProcessor {
public:
    void ProcessMessage(const QString &) override { }
};

struct World {
    TestEnvironment env;
    FakeConnectionService connection;
    NoDelivery processor;
    FrmTimer timer { env.program, processor, connection };
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
    checkStampTexts(QString::fromUtf8(line));
    if (text.size() > Stamp::DateLength + 1)
        checkStampTexts(QStringView(text).sliced(Stamp::DateLength + 1));

    const RecordView view(line);
    FUZZ_CHECK(view.line() == text);
    if (view.isReadable()) {
        FUZZ_CHECK(view.date().isValid());
        FUZZ_CHECK(view.minuteOfDay() >= 0 && view.minuteOfDay() < 24 * 60);
        FUZZ_CHECK(Stamp::formatDate(view.date()) + QLatin1Char(' ')
                + Stamp::formatTime(view.minuteOfDay())
            == QStringView(text).first(Stamp::StampLength));
    } else if (line.size() >= Stamp::StampLength && line[10] == ' ') {
        // The text form of the parsers refuses it as well.
        FUZZ_CHECK(!Stamp::parseDate(QStringView(text).first(Stamp::DateLength)).isValid()
            || Stamp::parseTime(QStringView(text).sliced(11, Stamp::TimeLength)) == Stamp::NoTime);
    }

    const QString body = Record::text(text);
    const QStringList to = Record::recipients(text);
    FUZZ_CHECK(view.text() == body);
    FUZZ_CHECK(view.recipients() == to);
    FUZZ_CHECK(!body.contains(QLatin1Char('|')));
    if (text.size() <= Record::TextPos) {
        FUZZ_CHECK(body.isEmpty() && to.isEmpty());
    } else {
        FUZZ_CHECK(QStringView(text).sliced(Record::TextPos).startsWith(body));
        if (!to.isEmpty()) {
            const QStringView after = QStringView(text).sliced(Record::TextPos + body.size() + 1);
            FUZZ_CHECK(after.startsWith(to.join(QLatin1Char(',')) + QLatin1Char(',')));
        }
    }
    for (const QString &address : to)
        FUZZ_CHECK(!address.contains(QLatin1Char(',')));

    const QString cleaned = Record::clean(text);
    FUZZ_CHECK(cleaned.size() == text.size());
    FUZZ_CHECK(!cleaned.contains(QLatin1Char('\r')) && !cleaned.contains(QLatin1Char('\n'))
        && !cleaned.contains(QLatin1Char('|')));
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

bool isDue(const RecordView &record, const QDateTime &now)
{
    const QDate today = now.date();
    return !record.isSent()
        && (record.date() > today
            || (record.date() == today && record.minuteOfDay() >= Stamp::minuteOfDay(now.time())));
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(content) == content.size());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    StartFuzzProcess(argc, argv);
    world = new World;
    // Every procedure's error trap shows its box: a trap that fires is a finding.
    world->env.program.ShowErrors = true;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TestEnvironment &env = world->env;
    Program &program = env.program;
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    checkCodePage(content);

    QList<QByteArray> readable;
    QList<QByteArray> unreadable;
    for (const QByteArray &line : linesOf(content)) {
        checkLine(line);
        (RecordView(line).isReadable() ? readable : unreadable).append(line);
    }

    writeFile(env.userFile(1), content);

    // The readers hand over exactly the readable lines, in file order.
    QList<QByteArray> visited;
    ReadMessageRecords(program, 1, [&](const RecordView &record) {
        FUZZ_CHECK(record.isReadable());
        visited.append(record.raw().toByteArray());
        return true;
    });
    FUZZ_CHECK(visited == readable);
    FUZZ_CHECK(!program.FileBusy.isSet());

    if (!readable.isEmpty()) {
        const RecordView first(readable.first());
        const auto found = FindMessageRecord(program, 1, CodePage::decode(first.stamp()));
        FUZZ_CHECK(found && *found == first.line());
    }
    const auto any = FindMessageRecord(program, 1, CodePage::decode(content.left(19)));
    if (any) {
        FUZZ_CHECK(any->startsWith(CodePage::decode(content.left(19))));
        FUZZ_CHECK(readable.contains(CodePage::encode(*any)));
    }
    FUZZ_CHECK(!program.FileBusy.isSet());

    // The look-ahead takes the first record that is neither sent nor past.
    program.LastSent.fill(QString());
    world->timer.LoadNextMessage();
    const QDateTime now = env.clock.now();
    QString expected;
    for (const QByteArray &line : readable) {
        if (isDue(RecordView(line), now)) {
            expected = QStringLiteral("01") + CodePage::decode(line);
            break;
        }
    }
    FUZZ_CHECK(program.NextMessage[1] == expected);
    FUZZ_CHECK(env.boxes.shown.isEmpty());

    // One rewrite: the middle record's slot gets a new text, or a fixed slot a new record.
    const QString stamp = readable.isEmpty()
        ? QStringLiteral("2026/03/14 10:15 AM")
        : CodePage::decode(RecordView(readable[readable.size() / 2]).stamp());
    const QString record = stamp + QStringLiteral("Nfuzzed slot|5551234567@sms.example.net,");
    SaveMessageRecord(program, 1, record);
    FUZZ_CHECK(!program.FileBusy.isSet());
    FUZZ_CHECK(!QFile::exists(env.dataDir() + QStringLiteral("tmp.tmp")));

    const QByteArray saved = env.readMessageFileBytes(1);
    FUZZ_CHECK(saved.endsWith("\r\n"));
    QList<QByteArray> keptUnreadable;
    int records = 0;
    const QSet<QByteArray> before(readable.cbegin(), readable.cend());
    for (const QByteArray &line : linesOf(saved)) {
        const RecordView view(line);
        if (!view.isReadable()) {
            keptUnreadable.append(line);
        } else if (view.stamp() == QByteArrayView(CodePage::encode(stamp))) {
            FUZZ_CHECK(view.line() == record);
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

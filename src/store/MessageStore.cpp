// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/MessageStore.h"

#include "platform/Clock.h"
#include "platform/Paths.h"
#include "store/CodePage.h"
#include "store/Stamp.h"
#include "store/StoreError.h"
#include "store/StoreFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using StoreFiles::describe;
using StoreFiles::readRegularFile;
using StoreFiles::replaceFile;
using StoreFiles::told;

const QByteArray Crlf("\r\n");
constexpr int MaxFileUser = 10;
constexpr int MaxLinks = 40; // as many as the system itself follows

QString scratchPath(const QString &dataFolder)
{
    return dataFolder + QStringLiteral("tmp.tmp");
}

// Calls f for every non-empty line of the file content, without its line end.
template<class F> void forEachLine(const QByteArray &content, F &&f)
{
    const char *p = content.constData();
    const char *end = p + content.size();
    while (p < end) {
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        const char *lineEnd = nl ? nl : end;
        qsizetype length = lineEnd - p;
        if (length > 0 && p[length - 1] == '\r')
            --length;
        if (length > 0 && !f(QByteArrayView(p, length)))
            return;
        p = nl ? nl + 1 : end;
    }
}

// Where a rewrite puts its result, and the scratch file it goes through.
struct Destination {
    QString file;
    QString scratch;
};

// For the message file itself: the file, through "tmp.tmp" in the data folder. A message
// file that is a symbolic link stays one: the file at the end of its links (which need
// not exist yet) is replaced, so that whatever else points there sees the change too.
// Its scratch file lies in that file's own folder, since a rename cannot cross file
// systems, under a name of its own that keeps clear of anybody's tmp.tmp there.
Destination destinationOf(const QString &dataFolder, const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    QByteArray current = name;
    for (int links = 0;; ++links) {
        struct stat info { };
        if (::lstat(current.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            break;
        if (links == MaxLinks) {
            errno = ELOOP;
            throw StoreError(
                describe(QT_TRANSLATE_NOOP("MessageStore", "Cannot follow the link %1: %2"), path));
        }
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t length = ::readlink(current.constData(), target.data(), size_t(PATH_MAX));
        if (length < 0)
            throw StoreError(
                describe(QT_TRANSLATE_NOOP("MessageStore", "Cannot follow the link %1: %2"), path));
        target.truncate(length);
        // A relative link counts from the folder the link is in.
        if (!target.startsWith('/'))
            target.prepend(current.left(current.lastIndexOf('/') + 1));
        current = target;
    }
    if (current == name)
        return { path, scratchPath(dataFolder) };
    const QString file = QFile::decodeName(current);
    const qsizetype slash = file.lastIndexOf(QLatin1Char('/'));
    return { file,
        file.left(slash + 1) + QLatin1Char('.') + file.mid(slash + 1)
            + QStringLiteral(".tolvane-tmp") };
}

// A clean-up tool or a sync client may take the whole data folder away while the program
// runs; a save makes it again, private as at the start, rather than failing until then.
void makeDataFolder(const QString &dataFolder)
{
    if (!QDir(dataFolder).exists() && !Paths::makePrivateDir(dataFolder))
        throw StoreError(told(QT_TRANSLATE_NOOP("MessageStore",
                                  "Cannot make the folder for the message files, %1, again. "
                                  "Check that no file has taken its name and that you may write "
                                  "in the folder above it."),
            dataFolder));
}

// A rewrite killed half-way leaves its scratch file behind.
void removeLeftoverScratch(const QString &dataFolder, const Destination &to)
{
    QFile::remove(scratchPath(dataFolder));
    if (to.scratch != scratchPath(dataFolder))
        QFile::remove(to.scratch);
}

// The frame shared by the rewrites: perLine turns each old line into what the new content
// holds for it, atEnd may add to the end; an unchanged content is not written again. A
// missing file is made (and its folder with it) only when createWhenMissing says so;
// growth is what the new content may add, for the buffer.
template<class PerLine, class AtEnd>
void rewrite(const QString &dataFolder, const QString &path, bool createWhenMissing,
    qsizetype growth, PerLine &&perLine, AtEnd &&atEnd)
{
    const Destination to = destinationOf(dataFolder, path);
    removeLeftoverScratch(dataFolder, to);
    const std::optional<QByteArray> read = readRegularFile(path);
    if (!read && !createWhenMissing)
        return;
    if (!read)
        makeDataFolder(dataFolder);
    const QByteArray old = read.value_or(QByteArray());
    QByteArray out;
    out.reserve(old.size() + growth);
    forEachLine(old, [&](QByteArrayView line) {
        perLine(line, out);
        return true;
    });
    atEnd(out);
    if (!read || out != old)
        replaceFile(to.file, to.scratch, out);
}

void appendLine(QByteArray &out, QByteArrayView line)
{
    out.append(line.data(), line.size());
    out.append(Crlf);
}

// The rewrites look at nothing but the stamps, and the scheduler's look-ahead at little
// more; the rest of a line is copied as it is.
struct LineStamp {
    QDate date;
    int minute = Stamp::NoTime;
    bool sent = false;

    explicit LineStamp(QByteArrayView line)
        : sent(line.size() > MessageRecord::StatusPos && line[MessageRecord::StatusPos] == 'S')
    {
        Stamp::parseStamp(line, date, minute);
    }
    bool isReadable() const { return minute != Stamp::NoTime; }
    bool isAt(const QDate &d, int m) const { return isReadable() && date == d && minute == m; }
};

// A readable stamp as one number that sorts as the stamps do.
qint64 slotKey(const QDate &date, int minute)
{
    return date.toJulianDay() * 24 * 60 + minute;
}

} // namespace

MessageStore::MessageStore(QString dataFolder, const Clock &clock)
    : m_dataFolder(std::move(dataFolder))
    , m_clock(clock)
{
}

QString MessageStore::filePath(int user) const
{
    return m_dataFolder + QStringLiteral("u") + QString::number(user) + QStringLiteral(".usr");
}

// The lines of a user's file, for the readers. A file that cannot be reached at all (its
// folder gone or made a file) has no records to show or send; only a rewrite needs to say
// why it cannot be made.
template<class F> void MessageStore::forEachLineOf(int user, F &&f) const
{
    const QString path = filePath(user);
    if (QFileInfo::exists(path))
        forEachLine(readRegularFile(path).value_or(QByteArray()), std::forward<F>(f));
}

QList<MessageRecord> MessageStore::read(int user) const
{
    QList<MessageRecord> records;
    read(user, [&](const MessageRecord &record) {
        records.append(record);
        return true;
    });
    return records;
}

void MessageStore::read(int user, const Visitor &visit) const
{
    MessageRecord record;
    forEachLineOf(user, [&](QByteArrayView line) {
        record.assign(line);
        return !record.isReadable() || visit(record);
    });
}

void MessageStore::readAt(int user, const QList<QDateTime> &minutes, const Visitor &visit) const
{
    QSet<qint64> wanted;
    for (const QDateTime &slot : minutes)
        if (slot.date().isValid() && slot.time().isValid())
            wanted.insert(slotKey(slot.date(), Stamp::minuteOfDay(slot.time())));
    if (wanted.isEmpty())
        return;
    MessageRecord record;
    forEachLineOf(user, [&](QByteArrayView line) {
        const LineStamp stamp(line);
        if (!stamp.isReadable() || !wanted.contains(slotKey(stamp.date, stamp.minute)))
            return true;
        record.assign(line);
        return visit(record);
    });
}

std::optional<MessageRecord> MessageStore::earliestUnsent(
    int user, const QDateTime &from, const Acceptor &accept) const
{
    std::optional<MessageRecord> earliest;
    QDateTime earliestDue;
    MessageRecord record;
    // Turning a local time into a moment asks the C library for the offset, which re-reads
    // the time zone file when TZ is not set; a file holds a year of records. The dates
    // alone decide for every record more than a day from the start or from the earliest
    // found, since no offset changes by a day; only the records near them are converted.
    const QDate firstDay = from.date().addDays(-1);
    forEachLineOf(user, [&](QByteArrayView line) {
        const LineStamp stamp(line);
        if (!stamp.isReadable() || stamp.sent || stamp.date < firstDay)
            return true;
        if (earliestDue.isValid() && stamp.date > earliestDue.date().addDays(1))
            return true;
        const QDateTime due = Stamp::dueMoment(stamp.date, stamp.minute);
        if (due < from || (earliestDue.isValid() && due >= earliestDue))
            return true;
        record.assign(line);
        if (accept(record)) {
            earliest = record;
            earliestDue = due;
        }
        return true;
    });
    return earliest;
}

std::optional<MessageRecord> MessageStore::find(int user, const QDateTime &slot) const
{
    // Only the slot's date and time of day count: a minute that the clock skips when
    // summer time begins still names the records stamped with it.
    const QDate date = slot.date();
    if (!date.isValid() || !slot.time().isValid())
        return std::nullopt;
    const int minute = Stamp::minuteOfDay(slot.time());
    std::optional<MessageRecord> found;
    forEachLineOf(user, [&](QByteArrayView line) {
        const LineStamp stamp(line);
        if (stamp.isAt(date, minute)) {
            found = MessageRecord::parse(line);
            return false;
        }
        // The file is in date order: no later day can hold the slot.
        return !stamp.isReadable() || stamp.date <= date;
    });
    return found;
}

void MessageStore::save(int user, const MessageRecord &record)
{
    saveMany(user, { record });
}

void MessageStore::saveMany(
    int user, QList<MessageRecord> records, const QList<QDateTime> &removedSlots)
{
    // The scheduler reads the files of users 1 to 10 only: a message stored for another
    // number would never be sent.
    if (user < 1 || user > MaxFileUser)
        throw StoreError(told(QT_TRANSLATE_NOOP(
            "MessageStore", "No user is logged in to keep the message for. Set up a user first.")));
    qsizetype growth = 0;
    for (const MessageRecord &record : records) {
        if (!record.isReadable())
            throw StoreError(told(QT_TRANSLATE_NOOP("MessageStore",
                                      "A message record must begin with a date and time: %1"),
                CodePage::decode(
                    QByteArrayView(record.line)
                        .first(qMin<qsizetype>(record.line.size(), Stamp::StampLength)))));
        growth += record.line.size() + Crlf.size();
    }
    if (records.isEmpty() && removedSlots.isEmpty())
        return;
    const auto keyOf = [](const MessageRecord &r) { return slotKey(r.date, r.minuteOfDay); };
    // Of two records for one minute the later given stands, as two saves would leave it.
    std::stable_sort(records.begin(), records.end(),
        [&](const MessageRecord &a, const MessageRecord &b) { return keyOf(a) < keyOf(b); });
    const auto doubled = std::unique(records.rbegin(), records.rend(),
        [&](const MessageRecord &a, const MessageRecord &b) { return keyOf(a) == keyOf(b); });
    records.erase(records.begin(), records.begin() + (records.rend() - doubled));
    QSet<qint64> replaced;
    for (const MessageRecord &record : records)
        replaced.insert(keyOf(record));
    for (const QDateTime &slot : removedSlots)
        if (slot.date().isValid() && slot.time().isValid())
            replaced.insert(slotKey(slot.date(), Stamp::minuteOfDay(slot.time())));
    // Most lines of a full file lie outside the stretch a change touches.
    const qint64 lowest
        = replaced.isEmpty() ? 0 : *std::min_element(replaced.begin(), replaced.end());
    const qint64 highest
        = replaced.isEmpty() ? -1 : *std::max_element(replaced.begin(), replaced.end());

    // One pass: each new record goes in before the first readable line that does not sort
    // before it, and the lines of its minute go. The lines that sort before the first new
    // record and are dated more than 365 days before today are purged.
    const QDate today = m_clock.now().date();
    const qint64 firstNew
        = records.isEmpty() ? std::numeric_limits<qint64>::min() : keyOf(records[0]);
    qsizetype next = 0;
    const auto perLine = [&](QByteArrayView line, QByteArray &out) {
        const LineStamp l(line);
        if (!l.isReadable()) {
            appendLine(out, line);
            return;
        }
        const qint64 key = slotKey(l.date, l.minute);
        while (next < records.size() && keyOf(records[next]) <= key)
            appendLine(out, records[next++].line);
        if ((key >= lowest && key <= highest && replaced.contains(key))
            || (key < firstNew && l.date.daysTo(today) > 365))
            return;
        appendLine(out, line);
    };
    const auto atEnd = [&](QByteArray &out) {
        while (next < records.size())
            appendLine(out, records[next++].line);
    };
    rewrite(m_dataFolder, filePath(user), !records.isEmpty(), growth, perLine, atEnd);
}

void MessageStore::removeSlot(int user, const QDateTime &slot)
{
    const QDate date = slot.date();
    const int minute = slot.time().isValid() ? Stamp::minuteOfDay(slot.time()) : Stamp::NoTime;
    const auto perLine = [&](QByteArrayView line, QByteArray &out) {
        if (!LineStamp(line).isAt(date, minute))
            appendLine(out, line);
    };
    rewrite(m_dataFolder, filePath(user), false, 0, perLine, [](QByteArray &) {});
}

void MessageStore::markSent(int user, const MessageRecord &record)
{
    const QByteArray &target = record.line;
    const auto perLine = [&](QByteArrayView line, QByteArray &out) {
        if (line == QByteArrayView(target) && line.size() > MessageRecord::StatusPos) {
            QByteArray marked = target;
            marked[MessageRecord::StatusPos] = 'S';
            appendLine(out, marked);
        } else {
            appendLine(out, line);
        }
    };
    rewrite(m_dataFolder, filePath(user), false, 0, perLine, [](QByteArray &) {});
}

void MessageStore::removeFile(int user)
{
    // A link is taken away, not the file it leads to; a link that leads nowhere stays.
    QFile file(filePath(user));
    if (QFileInfo::exists(file.fileName()) && !file.remove())
        throw StoreError(told(QT_TRANSLATE_NOOP("MessageStore", "Cannot delete %1: %2"),
            file.fileName(), file.errorString()));
}

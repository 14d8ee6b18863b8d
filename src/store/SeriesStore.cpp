// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/SeriesStore.h"

#include "platform/Clock.h"
#include "platform/Paths.h"
#include "store/MessageStore.h"
#include "store/Stamp.h"
#include "store/StoreFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTimeZone>
#include <algorithm>
#include <cstdio>

// The series file, "series.ini" in the data folder: UTF-8, LF line ends, private to the
// user like the message files. Its first line is "Tolvane series 1"; then one section per
// series, each line "key=value" with the value taken to the end of the line as it is:
//
//   [series 0f3a9c21]
//   user=1                      the user whose message file holds the records
//   rule=weekly                 never, daily, weekdays, weekly or monthly
//   until=2026/12/31            optional: the last day an occurrence may fall on
//   times=10                    optional: how many occurrences there are in all
//   first=2026/03/14            the first occurrence's day, which the rule counts from
//   time=08:00 AM               the minute of the day, as the message files write it
//   text=Take the pill          the text as the records hold it
//   recipient=5551234567@txt.example.net     one line per phone address, in order
//   through=2027/03/14          the last day whose occurrence has been written or passed over
//   written=2026/03/14 2026/03/21 ...        the days it wrote a record for
//
// Anything else (an unknown key, a value that is not one, a section without one of its
// keys) makes the file damaged: it is set aside whole rather than half understood.

struct SeriesStore::Kept {
    Series series;
    // Days up to here are never looked at again: a record removed or changed by hand is
    // not written anew, whatever the series says of its day.
    QDate through;
};

namespace {

constexpr int DaysAhead = 365;
constexpr int MinutesPerDay = 24 * 60;
constexpr int MaxUser = 10;
const char *const RuleNames[] = { "never", "daily", "weekdays", "weekly", "monthly" };
const QString Header = QStringLiteral("Tolvane series 1");

qint64 slotKey(const QDate &date, int minute)
{
    return date.toJulianDay() * MinutesPerDay + minute;
}

qint64 slotKey(const MessageRecord &record)
{
    return slotKey(record.date, record.minuteOfDay);
}

// The minute a series' record stands at on a day: its own, or on the day summer time
// begins and the clock skips it, the minute it falls due at, so that the grid shows it
// where it goes out. -1 when the day has no such minute left.
int exactMinuteOn(const QDate &day, int minuteOfDay)
{
    const QDateTime due = Stamp::dueMoment(day, minuteOfDay);
    return due.date() == day ? Stamp::minuteOfDay(due.time()) : -1;
}

// A minute as the message files name it, by its date and time of day alone. A local
// QDateTime asks the C library for its offset as it is made, a read of the zone file
// each time when TZ is not set; the stores look at nothing but the date and the time.
QDateTime wallClock(const QDate &day, int minute)
{
    return QDateTime(day, Stamp::timeOfMinute(minute), Qt::UTC);
}

bool isOwn(const Series &series, const MessageRecord &record)
{
    return record.hasRecipientList && record.text == series.text
        && record.recipients == series.recipients;
}

// Text and recipients as the records will hold them (no line breaks, "|" made "!", what
// the code page lacks made "?"), so that a record can be compared with its series.
void normalise(Series &series)
{
    const MessageRecord sample = MessageRecord::compose(
        QDateTime(QDate(2000, 1, 1), QTime(12, 0)), series.text, series.recipients);
    series.text = sample.text;
    series.recipients = sample.recipients;
}

QString told(const char *text, const QString &a, const QString &b = {})
{
    const QString said = QCoreApplication::translate("SeriesStore", text);
    return b.isNull() ? said.arg(a) : said.arg(a, b);
}

QByteArray serialise(const QList<Series> &series, const QList<QDate> &through)
{
    QString out = Header + QLatin1Char('\n');
    for (qsizetype i = 0; i < series.size(); ++i) {
        const Series &s = series[i];
        const auto line = [&](const char *key, const QString &value) {
            out += QLatin1String(key) + QLatin1Char('=') + value + QLatin1Char('\n');
        };
        out += QStringLiteral("\n[series %1]\n").arg(s.id);
        line("user", QString::number(s.user));
        line("rule", QLatin1String(RuleNames[int(s.repetition.rule)]));
        if (s.repetition.until.isValid())
            line("until", Stamp::formatDate(s.repetition.until));
        if (s.repetition.times > 0)
            line("times", QString::number(s.repetition.times));
        line("first", Stamp::formatDate(s.first));
        line("time", Stamp::formatTime(s.minuteOfDay));
        line("text", s.text);
        for (const QString &recipient : s.recipients)
            line("recipient", recipient);
        line("through", Stamp::formatDate(through[i]));
        QStringList days;
        for (const QDate &day : s.written)
            days << Stamp::formatDate(day);
        line("written", days.join(QLatin1Char(' ')));
    }
    return out.toUtf8();
}

// The series of the file, or none when it is damaged.
template<class Kept> std::optional<QList<Kept>> parse(const QByteArray &content)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(content);
    if (utf8.hasError())
        return std::nullopt;
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines) // a file saved by an editor that ends lines with CR LF
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    if (lines.first() != Header)
        return std::nullopt;
    QList<Kept> all;
    // Each key once, "recipient" as often as there are recipients; these are needed.
    const QStringList keys { "user", "rule", "until", "times", "first", "time", "text", "through",
        "written" };
    constexpr unsigned Needed = 0b111110011;
    unsigned seen = Needed;
    for (qsizetype n = 1; n < lines.size(); ++n) {
        const QString &line = lines[n];
        if (line.isEmpty())
            continue;
        if (line.startsWith(QLatin1String("[series ")) && line.endsWith(QLatin1Char(']'))) {
            if ((seen & Needed) != Needed)
                return std::nullopt;
            seen = 0;
            Kept kept;
            kept.series.id = line.mid(8, line.size() - 9);
            if (kept.series.id.isEmpty() || std::any_of(all.begin(), all.end(), [&](const Kept &k) {
                    return k.series.id == kept.series.id;
                }))
                return std::nullopt;
            all.append(kept);
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (all.isEmpty() || equals < 0)
            return std::nullopt;
        Series &s = all.last().series;
        const QStringView key = QStringView(line).first(equals);
        const QStringView value = QStringView(line).sliced(equals + 1);
        if (key == u"recipient") {
            s.recipients.append(value.toString());
            continue;
        }
        const qsizetype which = keys.indexOf(key.toString());
        if (which < 0 || (seen & (1u << which)))
            return std::nullopt;
        seen |= 1u << which;
        bool ok = true;
        if (key == u"user") {
            s.user = value.toInt(&ok);
            ok = ok && s.user >= 1 && s.user <= MaxUser;
        } else if (key == u"rule") {
            const auto *found = std::find_if(std::begin(RuleNames), std::end(RuleNames),
                [&](const char *name) { return QLatin1String(name) == value; });
            ok = found != std::end(RuleNames);
            s.repetition.rule = Repetition::Rule(found - std::begin(RuleNames));
        } else if (key == u"times") {
            s.repetition.times = value.toInt(&ok);
            ok = ok && s.repetition.times > 0;
        } else if (key == u"time") {
            s.minuteOfDay = Stamp::parseTime(value);
            ok = s.minuteOfDay != Stamp::NoTime;
        } else if (key == u"text") {
            s.text = value.toString();
        } else if (key == u"written") {
            for (const QStringView day : value.split(u' ', Qt::SkipEmptyParts)) {
                s.written.append(Stamp::parseDate(day));
                ok = ok && s.written.last().isValid();
            }
        } else {
            const QDate date = Stamp::parseDate(value);
            ok = date.isValid();
            (key == u"until"          ? s.repetition.until
                    : key == u"first" ? s.first
                                      : all.last().through)
                = date;
        }
        if (!ok)
            return std::nullopt;
    }
    if ((seen & Needed) != Needed)
        return std::nullopt;
    return all;
}

} // namespace

SeriesStore::SeriesStore(QString dataFolder, MessageStore &messages, const Clock &clock)
    : m_dataFolder(std::move(dataFolder))
    , m_messages(messages)
    , m_clock(clock)
{
}

QString SeriesStore::filePath() const
{
    return m_dataFolder + QStringLiteral("series.ini");
}

QString SeriesStore::takeWarning()
{
    return std::exchange(m_warning, QString());
}

int SeriesStore::minuteOn(const QDate &day, int minuteOfDay) const
{
    return !m_clockChangesKnown || m_clockChangeDays.contains(day) ? exactMinuteOn(day, minuteOfDay)
                                                                   : minuteOfDay;
}

QDateTime SeriesStore::slotOn(const QDate &day, int minuteOfDay) const
{
    return wallClock(day, minuteOn(day, minuteOfDay));
}

QList<SeriesStore::Kept> SeriesStore::load() const
{
    // Asking the C library about every day's minute costs a read of the zone file each
    // time when TZ is not set (the usual desktop); the zone's changes of offset, taken once
    // per operation, say which few days need asking. Every operation begins here.
    const QDate today = m_clock.now().date();
    const QTimeZone zone = QTimeZone::systemTimeZone();
    m_clockChangesKnown = zone.isValid();
    m_clockChangeDays.clear();
    if (m_clockChangesKnown)
        for (const QTimeZone::OffsetData &change :
            zone.transitions(QDateTime(today.addDays(-2 * DaysAhead), QTime(0, 0), Qt::UTC),
                QDateTime(today.addDays(2 * DaysAhead), QTime(0, 0), Qt::UTC))) {
            const QDate day = change.atUtc.addSecs(change.offsetFromUtc).date();
            m_clockChangeDays << day.addDays(-1) << day << day.addDays(1);
        }

    const QString path = filePath();
    std::optional<QList<Kept>> all;
    try {
        const std::optional<QByteArray> content = StoreFiles::readRegularFile(path);
        if (!content)
            return {};
        all = parse<Kept>(*content);
    } catch (const StoreError &) {
        // Not a regular file, or not readable: as damaged as bad syntax.
    }
    if (all)
        return *all;
    // Set aside rather than removed, so that somebody can look at it; the records it wrote
    // stay in the message files as ordinary messages.
    const QString stem = path + QStringLiteral(".damaged-")
        + m_clock.now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = stem;
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = stem + QLatin1Char('-') + QString::number(n);
    if (std::rename(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData()) != 0)
        throw StoreError(
            StoreFiles::describe(QT_TRANSLATE_NOOP("MessageStore", "Cannot replace %1: %2"), path));
    m_warning = told(QT_TRANSLATE_NOOP("SeriesStore",
                         "The file of repeating messages could not be read and was set aside as "
                         "%1. The messages it had scheduled stay, each on its own: they are no "
                         "longer changed together or continued."),
        aside);
    return {};
}

void SeriesStore::keep(QList<Kept> all) const
{
    // What the message files no longer hold (they keep a year) is forgotten, and so is a
    // series with no record left and no day to come.
    const QDate forgotten = m_clock.now().date().addDays(-DaysAhead - 1);
    for (Kept &kept : all)
        kept.series.written.removeIf([&](const QDate &day) { return day < forgotten; });
    all.removeIf([&](const Kept &kept) {
        const Series &s = kept.series;
        // Nor is one the file could not say (no such user or minute): it wrote nothing.
        return !s.first.isValid() || !kept.through.isValid() || s.user < 1 || s.user > MaxUser
            || s.minuteOfDay < 0 || s.minuteOfDay >= MinutesPerDay
            || (s.written.isEmpty()
                && s.repetition.days(s.first, kept.through.addDays(1), kept.through.addYears(1))
                       .isEmpty());
    });
    QList<Series> series;
    QList<QDate> through;
    for (const Kept &kept : all) {
        series << kept.series;
        through << kept.through;
    }
    if (!QDir(m_dataFolder).exists())
        Paths::makePrivateDir(m_dataFolder);
    const QString scratch = m_dataFolder + QStringLiteral("series.tmp");
    QFile::remove(scratch); // left by a write that was killed
    StoreFiles::replaceFile(filePath(), scratch, serialise(series, through));
}

QList<QDate> SeriesStore::ownDays(const Series &series) const
{
    QHash<qint64, QDate> wanted;
    QList<QDateTime> minutes;
    for (const QDate &day : series.written)
        if (const int minute = minuteOn(day, series.minuteOfDay); minute >= 0) {
            wanted.insert(slotKey(day, minute), day);
            minutes.append(wallClock(day, minute));
        }
    QList<QDate> own;
    m_messages.readAt(series.user, minutes, [&](const MessageRecord &record) {
        const auto it = wanted.constFind(slotKey(record));
        if (it != wanted.constEnd() && isOwn(series, record)) {
            own.append(*it);
            wanted.erase(it);
        }
        return !wanted.isEmpty();
    });
    std::sort(own.begin(), own.end());
    return own;
}

std::optional<qsizetype> SeriesStore::indexAt(
    const QList<Kept> &all, int user, const QDateTime &slot, bool ownOnly) const
{
    const QDate day = slot.date();
    if (!day.isValid() || !slot.time().isValid())
        return std::nullopt;
    const int minute = Stamp::minuteOfDay(slot.time());
    for (qsizetype i = 0; i < all.size(); ++i) {
        const Series &s = all[i].series;
        if (s.user != user || !s.written.contains(day) || minuteOn(day, s.minuteOfDay) != minute)
            continue;
        if (!ownOnly)
            return i;
        const std::optional<MessageRecord> record = m_messages.find(user, slot);
        if (record && isOwn(s, *record))
            return i;
    }
    return std::nullopt;
}

QList<MessageRecord> SeriesStore::plan(const Series &series, const QDate &from) const
{
    const QDateTime now = m_clock.now();
    const QDate today = now.date();
    const int nowMinute = Stamp::minuteOfDay(now.time());
    QList<MessageRecord> records;
    for (const QDate &day :
        series.repetition.days(series.first, std::max(from, today), today.addDays(DaysAhead))) {
        const int minute = minuteOn(day, series.minuteOfDay);
        if (minute >= 0 && (day > today || minute >= nowMinute))
            records.append(
                MessageRecord::compose(wallClock(day, minute), series.text, series.recipients));
    }
    return records;
}

QSet<qint64> SeriesStore::occupied(
    int user, const QList<MessageRecord> &records, const QSet<qint64> &freed) const
{
    QList<QDateTime> minutes;
    for (const MessageRecord &record : records)
        minutes.append(wallClock(record.date, record.minuteOfDay));
    QSet<qint64> taken;
    m_messages.readAt(user, minutes, [&](const MessageRecord &record) {
        if (!freed.contains(slotKey(record)))
            taken.insert(slotKey(record));
        return true;
    });
    return taken;
}

QList<QDate> SeriesStore::occupiedDays(const Series &series) const
{
    const QList<Kept> all = load();
    QSet<qint64> freed;
    for (const Kept &kept : all)
        if (!series.id.isEmpty() && kept.series.id == series.id && kept.series.user == series.user)
            for (const QDate &day : ownDays(kept.series))
                if (day >= series.first)
                    freed.insert(slotKey(day, minuteOn(day, kept.series.minuteOfDay)));
    const QList<MessageRecord> records = plan(series, series.first);
    const QSet<qint64> taken = occupied(series.user, records, freed);
    QList<QDate> days;
    for (const MessageRecord &record : records)
        if (taken.contains(slotKey(record)))
            days.append(record.date);
    return days;
}

// The records a new series writes now, and its days written; the other series of its
// user give up the minutes it takes.
QList<MessageRecord> SeriesStore::writeOut(
    QList<Kept> &all, Series &series, Occupied occupiedSlots, const QSet<qint64> &freed) const
{
    QList<MessageRecord> records = plan(series, series.first);
    if (occupiedSlots == Occupied::Skip) {
        const QSet<qint64> taken = occupied(series.user, records, freed);
        records.removeIf([&](const MessageRecord &r) { return taken.contains(slotKey(r)); });
    }
    QSet<qint64> takenOver;
    series.written.clear();
    for (const MessageRecord &record : records) {
        series.written.append(record.date);
        takenOver.insert(slotKey(record));
    }
    for (Kept &kept : all)
        if (kept.series.user == series.user)
            kept.series.written.removeIf([&](const QDate &day) {
                return takenOver.contains(slotKey(day, minuteOn(day, kept.series.minuteOfDay)));
            });
    QString id;
    do
        id = QString::number(QRandomGenerator::global()->generate(), 16).rightJustified(8, u'0');
    while (std::any_of(all.begin(), all.end(), [&](const Kept &k) { return k.series.id == id; }));
    series.id = id;
    all.append({ series, m_clock.now().date().addDays(DaysAhead) });
    return records;
}

Series SeriesStore::create(Series series, Occupied occupiedSlots)
{
    QList<Kept> all = load();
    normalise(series);
    const QList<MessageRecord> records = writeOut(all, series, occupiedSlots, {});
    // The records first: should the series file then fail to be written, they are
    // ordinary messages, still sent; the next extension takes them as its own.
    m_messages.saveMany(series.user, records);
    keep(all);
    return series;
}

std::optional<Series> SeriesStore::seriesAt(int user, const QDateTime &slot) const
{
    const QList<Kept> all = load();
    const std::optional<qsizetype> i = indexAt(all, user, slot, true);
    if (!i)
        return std::nullopt;
    Series series = all[*i].series;
    series.written = ownDays(series);
    return series;
}

void SeriesStore::detach(int user, const QDateTime &slot)
{
    QList<Kept> all = load();
    if (const std::optional<qsizetype> i = indexAt(all, user, slot, false)) {
        all[*i].series.written.removeAll(slot.date());
        keep(all);
    }
}

QList<QDateTime> SeriesStore::endBefore(Series &series, const QDate &cut) const
{
    QList<QDateTime> removed;
    for (const QDate &day : ownDays(series))
        if (day >= cut)
            removed.append(slotOn(day, series.minuteOfDay));
    series.written.removeIf([&](const QDate &day) { return day >= cut; });
    if (!series.repetition.until.isValid() || series.repetition.until >= cut)
        series.repetition.until = cut.addDays(-1);
    return removed;
}

Series SeriesStore::changeFromHere(
    int user, const QDateTime &slot, Series changed, Occupied occupiedSlots)
{
    QList<Kept> all = load();
    const QList<Kept> before = all;
    changed.user = user;
    if (!changed.first.isValid())
        changed.first = slot.date();
    normalise(changed);
    QList<QDateTime> removed;
    QSet<qint64> freed;
    if (const std::optional<qsizetype> i = indexAt(all, user, slot, true)) {
        removed = endBefore(all[*i].series, std::min(slot.date(), changed.first));
        for (const QDateTime &gone : removed)
            freed.insert(slotKey(gone.date(), Stamp::minuteOfDay(gone.time())));
    }
    const QList<MessageRecord> records = writeOut(all, changed, occupiedSlots, freed);
    // The series first: should the message file then fail to be written, the series go
    // back as they were; after a crash between the two the old records stay, ordinary
    // messages, rather than the old series continuing beside the new one.
    keep(all);
    try {
        m_messages.saveMany(user, records, removed);
    } catch (...) {
        keep(before);
        throw;
    }
    return changed;
}

void SeriesStore::deleteFromHere(int user, const QDateTime &slot)
{
    QList<Kept> all = load();
    const QList<Kept> before = all;
    const std::optional<qsizetype> i = indexAt(all, user, slot, true);
    if (!i)
        return;
    const QList<QDateTime> removed = endBefore(all[*i].series, slot.date());
    keep(all); // first, as for a change
    try {
        m_messages.saveMany(user, {}, removed);
    } catch (...) {
        keep(before);
        throw;
    }
}

void SeriesStore::forgetUser(int user)
{
    QList<Kept> all = load();
    if (all.removeIf([&](const Kept &kept) { return kept.series.user == user; }) > 0)
        keep(std::move(all));
}

QList<int> SeriesStore::extend()
{
    QList<Kept> all = load();
    const QDate last = m_clock.now().date().addDays(DaysAhead);
    // A message file gone (its user removed, or the file deleted) takes its series with it:
    // they would otherwise make it again with the next day's record.
    const qsizetype before = all.size();
    all.removeIf([&](const Kept &kept) {
        return !QFileInfo::exists(m_messages.filePath(kept.series.user));
    });
    bool moved = all.size() != before;
    QMap<int, QList<std::pair<qsizetype, QList<MessageRecord>>>> byUser;
    for (qsizetype i = 0; i < all.size(); ++i) {
        Kept &kept = all[i];
        if (kept.through >= last)
            continue;
        byUser[kept.series.user].append({ i, plan(kept.series, kept.through.addDays(1)) });
        kept.through = last;
        moved = true;
    }
    QList<int> users;
    for (auto [user, planned] : byUser.asKeyValueRange()) {
        QHash<qint64, MessageRecord> present;
        QList<QDateTime> minutes;
        for (const auto &[i, records] : planned)
            for (const MessageRecord &record : records)
                minutes.append(wallClock(record.date, record.minuteOfDay));
        m_messages.readAt(user, minutes, [&](const MessageRecord &record) {
            if (!present.contains(slotKey(record)))
                present.insert(slotKey(record), record);
            return true;
        });
        // Never over another message: an occupied slot is passed over, unless it already
        // holds this very record (written before a crash kept the series file from saying so).
        QList<MessageRecord> toWrite;
        QSet<qint64> taken;
        for (const auto &[i, records] : planned) {
            Series &series = all[i].series;
            for (const MessageRecord &record : records) {
                const qint64 key = slotKey(record);
                const auto there = present.constFind(key);
                if (taken.contains(key) || (there != present.constEnd() && !isOwn(series, *there)))
                    continue;
                if (there == present.constEnd())
                    toWrite.append(record);
                taken.insert(key);
                series.written.append(record.date);
            }
        }
        if (!toWrite.isEmpty()) {
            m_messages.saveMany(user, toWrite);
            users.append(user);
        }
    }
    if (moved)
        keep(all);
    return users;
}

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/MessageRecord.h"
#include "store/Repetition.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

class Clock;
class MessageStore;

// A repeating message: the rule, the minute of the day, the text and recipients, and the
// days it has written an ordinary record for in the user's message file. The records are
// all the scheduler, the grid and the calendar ever see; the series only remembers where
// they came from, so that they can be changed together later.
struct Series {
    QString id; // unique among the series; given by create()
    int user = 0;
    Repetition repetition;
    QDate first; // the day of the first occurrence
    int minuteOfDay = 0;
    QString text;
    QStringList recipients; // phone addresses, as the records hold them
    QList<QDate> written; // the days whose record is still the series' own
};

// The series of every user, kept in a private file beside the message files, and the
// records they write through the message store. Every change to a user's message file is
// one rewrite, as a single save is: the file holds all of a change or none of it. A record
// changed or removed by other means is never written again by its series. A series file
// that cannot be read is set aside (renamed) and reported once; the message files are
// untouched by that. On the day summer time skips a series' minute, its record stands at
// the first minute after it that the clock shows (3:00 AM for 2:30 AM in Berlin), where
// it goes out, so that the grid shows it at that time. Failures throw StoreError.
class SeriesStore {
public:
    // What to do where an occurrence would land on a slot that already holds a message.
    enum class Occupied { Replace, Skip };

    SeriesStore(QString dataFolder, MessageStore &messages, const Clock &clock);

    // The days, among those the series would write now, whose slot already holds a
    // message of its user. For a change from here (the series' id set to the one changed,
    // `first` to its first changed day), the changed series' own records from that day on
    // do not count: the change takes them away.
    QList<QDate> occupiedDays(const Series &series) const;
    // Writes the occurrences not yet past, up to a year ahead, and remembers the series.
    // Returns it as stored: its id and the days written.
    Series create(Series series, Occupied occupied);

    // The series the user's record at that minute belongs to, if it is still its own; its
    // `written` holds the days whose record is still its own.
    std::optional<Series> seriesAt(int user, const QDateTime &slot) const;
    // Takes the occurrence at that minute out of its series ("this message only"); its
    // record stays as it is, to be changed or deleted by the caller.
    void detach(int user, const QDateTime &slot);
    // "This and all later ones": removes the series' records from that minute's day on and
    // writes the changed series from that day on, in one rewrite. The series before that
    // day ends there. The changed series begins on its `first` (that minute's day when it
    // is invalid); when that is earlier, the old series ends before it instead.
    Series changeFromHere(int user, const QDateTime &slot, Series changed, Occupied occupied);
    // "This and all later ones" for Delete: removes the series' records from that minute's
    // day on, and ends the series before it.
    void deleteFromHere(int user, const QDateTime &slot);

    // Forgets every series of a user who was removed, so that none goes on into the file
    // of whoever takes the user's number next. Their records go with their message file.
    void forgetUser(int user);

    // Writes the missing occurrences of every series without an end up to a year ahead
    // (at start and at each day's roll-over). Returns the users whose files changed.
    QList<int> extend();

    // The warning about a series file that was set aside, once; empty otherwise.
    QString takeWarning();

    QString filePath() const;

private:
    struct Kept;
    QList<Kept> load() const;
    void keep(QList<Kept> all) const;
    QList<QDate> ownDays(const Series &series) const;
    std::optional<qsizetype> indexAt(
        const QList<Kept> &all, int user, const QDateTime &slot, bool ownOnly) const;
    QList<MessageRecord> plan(const Series &series, const QDate &from) const;
    QSet<qint64> occupied(
        int user, const QList<MessageRecord> &records, const QSet<qint64> &freed) const;
    QList<MessageRecord> writeOut(
        QList<Kept> &all, Series &series, Occupied occupied, const QSet<qint64> &freed) const;
    QList<QDateTime> endBefore(Series &series, const QDate &cut) const;
    int minuteOn(const QDate &day, int minuteOfDay) const;
    QDateTime slotOn(const QDate &day, int minuteOfDay) const;

    QString m_dataFolder;
    MessageStore &m_messages;
    const Clock &m_clock;
    mutable QString m_warning;
    // The days near a change of the clock's offset, found at the start of each operation.
    mutable QSet<QDate> m_clockChangeDays;
    mutable bool m_clockChangesKnown = false;
};

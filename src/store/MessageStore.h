// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "store/MessageRecord.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

class Clock;

// The message file of each user: u<n>.usr in the data folder, one record per line in
// ascending order of date and time, CR LF line ends, Windows-1252 text. Every operation
// runs to its end at once; nothing else touches the files meanwhile. A rewrite goes
// through the scratch file "tmp.tmp", which is flushed to disk and then renamed over the
// user's file, so that a crash at any moment leaves either the old or the new content. A
// line that cannot be read is passed over by the readers and kept as it is by the
// rewrites. A message file that is not a regular file (a folder, a pipe, a device) is
// neither opened nor replaced. One that is a symbolic link is read through it, and a
// rewrite replaces the file it leads to, the same way (scratch file beside it), so that
// the link stays a link; a link that leads nowhere counts as no file, and a save makes
// the file it names. A missing file reads as one without records.
// Failures throw StoreError and leave the user's file untouched.
class MessageStore {
public:
    // The data folder ends with "/"; the clock says which records the purge drops.
    MessageStore(QString dataFolder, const Clock &clock);

    QString filePath(int user) const;

    // The readable records, in file order.
    QList<MessageRecord> read(int user) const;
    // The same, handed to the visitor one by one until it returns false. The record lives
    // for the call only (a copy keeps it); a reader of a whole file goes many times as
    // fast this way as through the list, which holds every record of the file at once.
    using Visitor = std::function<bool(const MessageRecord &)>;
    void read(int user, const Visitor &visit) const;

    // The readable records stamped with those minutes (date and time of day, as find()
    // takes them), in file order. Only their lines are read in full, which makes looking up
    // a year of days in a full file a fraction of reading it.
    void readAt(int user, const QList<QDateTime> &minutes, const Visitor &visit) const;

    // The earliest record that is not sent, is due at or after `from` and that `accept`
    // takes, wherever it stands in the file (a hand edit may have put it out of order);
    // the first of equals. Only the lines that could be it are read in full: the
    // scheduler asks this of every file whenever its slots are refilled.
    using Acceptor = std::function<bool(const MessageRecord &)>;
    std::optional<MessageRecord> earliestUnsent(
        int user, const QDateTime &from, const Acceptor &accept) const;

    // The record of exactly that minute, or none. Stops reading at the first later day.
    std::optional<MessageRecord> find(int user, const QDateTime &slot) const;

    // Inserts the record in stamp order, replacing the record of the same stamp in its
    // place, and drops the records that sort before it and are dated more than 365 days
    // before today. A missing file is created, and a missing data folder with it.
    void save(int user, const MessageRecord &record);
    // Saves many records as save() saves one (of two for one minute, the later given) and
    // removes every record of the given minutes, in one rewrite: the file then holds all of
    // it or, after a failure or a crash, none of it. Only a call that saves makes a file.
    void saveMany(
        int user, QList<MessageRecord> records, const QList<QDateTime> &removedSlots = {});

    // Removes every record of that minute.
    void removeSlot(int user, const QDateTime &slot);

    // Every line equal to the record's line, as it was read, gets the status flag "S".
    void markSent(int user, const MessageRecord &record);

    // Deletes the user's message file; a missing one is no error.
    void removeFile(int user);

private:
    template<class F> void forEachLineOf(int user, F &&f) const;

    QString m_dataFolder;
    const Clock &m_clock;
};

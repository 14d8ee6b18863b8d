// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <utility>

// The records whose content a server took but whose "S" in the message file may be
// missing: written, and flushed to disk, before the mark is tried, and cleared once it is
// made. So neither a mark that fails (a full disk, a file held elsewhere) nor an end of the
// program between the server's answer and the mark can send a record a second time when
// its minute is still within the late-sending window. A small file of its own beside the
// message files ("taken.lst", private to the account): one line per record, the user's
// number, a space and the record's line as the message file holds it.
class TakenRecords {
public:
    using Entry = std::pair<int, QByteArray>;

    explicit TakenRecords(QString path);

    // Reads the file; a missing or unreadable one holds nothing. Entries of a day before
    // `keepFrom` can never come due again and are dropped.
    QList<Entry> load(const QDate &keepFrom);
    // Adds or removes one record and writes the whole file again, flushed to disk before
    // it returns; false when the file could not be written.
    bool add(int user, const QByteArray &line);
    bool remove(int user, const QByteArray &line);

private:
    bool save();

    QString m_path;
    QList<Entry> m_entries;
};

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

// One line of a message file, read once into its fields: a 19-character stamp
// "YYYY/MM/DD HH:MM AMPM", a status flag ("N" or "S"), the text, "|", and the
// recipients' phone addresses, each followed by ",". The line's own bytes travel with
// it, so that a rewrite writes it back unchanged and a mark finds exactly the line that
// was read.
struct MessageRecord {
    static constexpr qsizetype StatusPos = 19; // 0-based; character 20
    static constexpr qsizetype TextPos = 20; // 0-based; character 21

    QDate date; // invalid for a line that cannot be read
    int minuteOfDay = -1; // 0..1439
    bool sent = false; // status "S"
    QString text; // up to the first "|" (to the end when there is none)
    bool hasRecipientList = false; // the line has its "|"
    QStringList recipients; // the phone addresses; a last piece without its "," is none
    QByteArray line; // the line exactly as the file holds it (no line end)

    // A line whose stamp is not a real date and time cannot be read: readers pass it
    // over and rewrites keep it as it is.
    bool isReadable() const { return date.isValid() && minuteOfDay >= 0; }
    // The slot the record names. For a minute the clock skips when summer time begins it
    // is not a valid moment, but its date and time still name the slot.
    QDateTime due() const;
    // When the record falls due (Stamp::dueMoment).
    qint64 dueMSecs() const;

    static MessageRecord parse(QByteArrayView line);
    // The same into this record, keeping the storage of its fields where nothing shares
    // it: a reader going through a whole file then allocates almost nothing per line.
    void assign(QByteArrayView line);

    // A new record due at that minute: stamp, "N", the text with each CR and each LF made
    // a space and each "|" an "!", then "|" and each address followed by ",". Its fields
    // are what the file will hold, so a character the code page lacks reads as "?".
    static MessageRecord compose(
        const QDateTime &due, const QString &text, const QStringList &recipientAddresses);
};

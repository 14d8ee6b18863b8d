// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "delivery/DeliveryAttempt.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <optional>

class SettingsStore;

// What became of every delivery attempt, kept in one file of JSON Lines (one object a
// line: "time", "user", "userName", "stamp", "instant", "recipients" with "address" and
// "channel", "result", "reply", and "nextTry" for a retry), so that a user can look back
// and a script can read it. The file holds the last MaxLines attempts and at most MaxBytes:
// once an append has passed either, the file is rewritten with the newest attempts up to
// a lower mark as soon as the event loop turns, so that a rewrite comes once in a thousand
// appends or so and the newest line always stays. Appending needs no reading of the file
// but once in a run, to count its lines. A write that fails is noted for the history
// window and forgotten: it never holds up a delivery nor asks for the user.
class DeliveryHistory : public QObject {
    Q_OBJECT
public:
    // One line: the attempt and the sending user's name when it ended.
    struct Entry {
        DeliveryAttempt attempt;
        QString userName;
    };

    static constexpr qsizetype MaxLines = 10'000;
    static constexpr qint64 MaxBytes = 2'000'000;

    // The names of the users come from the settings; an empty path keeps nothing.
    DeliveryHistory(const QString &path, const SettingsStore &settings, QObject *parent = nullptr);

    QString path() const { return m_path; }
    // The attempts in the file, oldest first, and those of this run that could not be
    // written, in order of time; a line that is not an attempt in JSON (cut short by a
    // full disk, edited by hand) is left out.
    QList<Entry> read() const;
    // Why the last append could not be written; empty when it was.
    QString problem() const { return m_problem; }

    // An entry as its line (without the line end), and back.
    static QByteArray line(const Entry &entry);
    static std::optional<Entry> parse(QByteArrayView line);

public slots:
    void append(const DeliveryAttempt &attempt);

signals:
    // Every attempt appended, written or not.
    void appended(const DeliveryHistory::Entry &entry);
    void problemChanged(const QString &problem);

private:
    // The reason of a failure, empty on success.
    QString write(const QByteArray &line);
    void countLines();
    void trim();

    const SettingsStore &m_settings;
    QString m_path;
    bool m_counted = false;
    qsizetype m_lines = 0; // lines in the file, once counted
    bool m_endsMidLine = false; // a write cut short left half a line
    bool m_trimDue = false;
    QString m_problem;
    QList<Entry> m_unwritten; // the newest MaxLines
};

Q_DECLARE_METATYPE(DeliveryHistory::Entry)

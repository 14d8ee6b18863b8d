// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QHash>
#include <QList>
#include <QString>

// A small reader of "[Group]" and "key=value" files (Mozilla's profiles.ini, Evolution's
// sources). Groups keep the order of the file; lines starting with "#" or ";" are notes.
// Nothing is written back.
class KeyFile {
public:
    // Reads the file; a file that cannot be read gives no groups. With glibEscapes the
    // values' \s, \n, \t, \r and \\ are undone, as GLib writes them.
    static KeyFile read(const QString &path, bool glibEscapes = false);

    QList<QString> groups() const { return m_order; }
    bool hasGroup(const QString &group) const { return m_values.contains(group); }
    QString value(const QString &group, const QString &key, const QString &fallback = {}) const;

private:
    QList<QString> m_order;
    QHash<QString, QHash<QString, QString>> m_values;
};

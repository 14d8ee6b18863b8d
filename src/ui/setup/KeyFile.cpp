// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/setup/KeyFile.h"

#include <QFile>

namespace {

QString undoGlibEscapes(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar next = text.at(++i);
        switch (next.unicode()) {
        case 's':
            out += u' ';
            break;
        case 'n':
            out += u'\n';
            break;
        case 't':
            out += u'\t';
            break;
        case 'r':
            out += u'\r';
            break;
        default:
            out += next;
            break;
        }
    }
    return out;
}

} // namespace

KeyFile KeyFile::read(const QString &path, bool glibEscapes)
{
    KeyFile keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return keys;
    QString group;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n');
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            group = line.mid(1, line.size() - 2);
            if (!keys.m_values.contains(group)) {
                keys.m_order.append(group);
                keys.m_values.insert(group, {});
            }
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0 || group.isEmpty())
            continue;
        const QString value = line.mid(equals + 1).trimmed();
        keys.m_values[group].insert(
            line.left(equals).trimmed(), glibEscapes ? undoGlibEscapes(value) : value);
    }
    return keys;
}

QString KeyFile::value(const QString &group, const QString &key, const QString &fallback) const
{
    const auto g = m_values.constFind(group);
    if (g == m_values.constEnd())
        return fallback;
    return g->value(key, fallback);
}

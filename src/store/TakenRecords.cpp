// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/TakenRecords.h"

#include "store/Stamp.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <fcntl.h>
#include <unistd.h>

TakenRecords::TakenRecords(QString path)
    : m_path(std::move(path))
{
}

QList<TakenRecords::Entry> TakenRecords::load(const QDate &keepFrom)
{
    m_entries.clear();
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return m_entries;
    const qsizetype before = file.size();
    for (const QByteArray &text : file.readAll().split('\n')) {
        const qsizetype space = text.indexOf(' ');
        const QByteArray line = text.mid(space + 1);
        const QDate date = Stamp::parseDate(
            QByteArrayView(line).first(qMin<qsizetype>(line.size(), Stamp::DateLength)));
        if (space > 0 && date.isValid() && date >= keepFrom)
            m_entries.append({ text.left(space).toInt(), line });
    }
    file.close();
    if (m_entries.isEmpty() && before > 0)
        QFile::remove(m_path);
    return m_entries;
}

bool TakenRecords::add(int user, const QByteArray &line)
{
    if (m_entries.contains(Entry { user, line }))
        return true;
    m_entries.append({ user, line });
    return save();
}

bool TakenRecords::remove(int user, const QByteArray &line)
{
    return m_entries.removeAll(Entry { user, line }) == 0 || save();
}

bool TakenRecords::save()
{
    if (m_entries.isEmpty())
        return !QFile::exists(m_path) || QFile::remove(m_path);
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    for (const auto &[user, line] : std::as_const(m_entries))
        file.write(QByteArray::number(user) + ' ' + line + '\n');
    if (!file.commit())
        return false;
    // The rename is on disk only once its folder is.
    const int dir = ::open(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(),
        O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

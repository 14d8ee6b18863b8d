// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "support/TestEnvironment.h"

#include "app/Roster.h"

#include <QDir>

TestEnvironment::TestEnvironment()
    : settings(dir.filePath("Tolvane.ini"))
    , program(settings, clock, boxes)
{
    QDir().mkpath(dataDir());
    program.dataFolder = dataDir();
    program.historyFile = dir.filePath("state/Tolvane/deliveries.log");
}

void TestEnvironment::writeMessageFile(int user, const QStringList &lines)
{
    QFile file(userFile(user));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    for (const QString &line : lines)
        file.write(line.toLatin1() + "\r\n");
}

QByteArray TestEnvironment::readMessageFileBytes(int user) const
{
    QFile file(userFile(user));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList TestEnvironment::readMessageFile(int user) const
{
    const QString text = QString::fromLatin1(readMessageFileBytes(user));
    return text.isEmpty() ? QStringList()
                          : text.chopped(text.endsWith("\r\n") ? 2 : 0).split("\r\n");
}

void TestEnvironment::addUser(
    int n, const QString &name, const QString &cell, const QString &email, const QString &smtp)
{
    const QString keys[] { "Name", "CellEmail", "Email", "SMTP" },
        values[] { name, cell, email, smtp };
    for (int i = 0; i < 4; ++i)
        settings.writeSetting(Roster::userSection(n), keys[i], values[i]);
}

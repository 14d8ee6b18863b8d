#include "support/TestEnvironment.h"

#include "app/Roster.h"

#include <QDir>

TestEnvironment::TestEnvironment()
    : settings(dir.filePath("Tolvane.ini"))
    , program(settings, clock, boxes)
{
    QDir().mkpath(dataDir());
    program.dataFolder = dataDir();
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
    QStringList lines
        = QString::fromLatin1(readMessageFileBytes(user)).split(QStringLiteral("\r\n"));
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void TestEnvironment::addUser(
    int n, const QString &name, const QString &cell, const QString &email, const QString &smtp)
{
    const QStringList keys { "Name", "CellEmail", "Email", "SMTP" },
        values { name, cell, email, smtp };
    for (int i = 0; i < keys.size(); ++i)
        settings.WriteSetting(Roster::UserSection(n), keys[i], values[i]);
}

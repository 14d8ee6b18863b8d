#include "support/TestEnvironment.h"

#include "app/Roster.h"

#include <QDir>
#include <QFile>

TestEnvironment::TestEnvironment()
    : settings(dir.path() + QStringLiteral("/Tolvane.ini"))
    , program(settings, clock, boxes)
{
    QDir().mkpath(dataDir());
    program.ProgramDir = dataDir();
}

QString TestEnvironment::userFile(int user) const
{
    return dataDir() + QStringLiteral("u%1.usr").arg(user);
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
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QStringList TestEnvironment::readMessageFile(int user) const
{
    const QByteArray bytes = readMessageFileBytes(user);
    QStringList lines = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void TestEnvironment::addUser(
    int n, const QString &name, const QString &cell, const QString &email, const QString &smtp)
{
    const QString section = Roster::UserSection(n);
    settings.WriteSetting(section, QStringLiteral("Name"), name);
    settings.WriteSetting(section, QStringLiteral("CellEmail"), cell);
    settings.WriteSetting(section, QStringLiteral("Email"), email);
    settings.WriteSetting(section, QStringLiteral("SMTP"), smtp);
}

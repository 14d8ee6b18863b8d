// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/AutoStart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <fcntl.h>
#include <unistd.h>

namespace AutoStart {

namespace {

// One argument in double quotes, as desktop entries quote: a backslash before each of
// the four characters that keep a meaning inside the quotes.
QString quoted(const QString &argument)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            out += u'\\';
        out += c;
    }
    return out + u'"';
}

// The string escapes every desktop-entry value goes through before its Exec quoting is
// read; a line break in a path would otherwise end the value.
QString escapedValue(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (c == u'\t')
            out += QStringLiteral("\\t");
        else
            out += c;
    }
    return out;
}

void syncDirectory(const QString &dir)
{
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

QString entryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/autostart/tolvane.desktop");
}

bool exists()
{
    return QFileInfo::exists(entryPath());
}

QString execLine(const QString &programPath)
{
    if (programPath.isEmpty())
        return {};
    QString command = quoted(programPath);
    if (programPath.contains(u'%')) {
        // "%" is a field code and must be doubled; GLib's launcher, though, looks for
        // the program under the doubled name and refuses to start it. A shell that is
        // handed the path as its $0 is found, and the doubling is undone in its argument.
        command = QStringLiteral("/bin/sh -c ") + quoted(QStringLiteral("exec \"$0\"")) + u' '
            + command;
    }
    command.replace(u'%', QStringLiteral("%%"));
    return escapedValue(command);
}

bool write(const QString &programPath)
{
    const QString path = entryPath();
    const QString dir = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(dir))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    const QString entry = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Tolvane\n"
                                         "Comment=Sends scheduled text messages to phones\n"
                                         "Exec=%1\n"
                                         "Icon=tolvane\n"
                                         "Terminal=false\n")
                              .arg(execLine(programPath));
    file.write(entry.toUtf8());
    if (!file.commit())
        return false;
    syncDirectory(dir);
    return true;
}

bool remove()
{
    const QString path = entryPath();
    if (!QFileInfo::exists(path))
        return true;
    if (!QFile::remove(path))
        return false;
    syncDirectory(QFileInfo(path).absolutePath());
    return true;
}

} // namespace AutoStart

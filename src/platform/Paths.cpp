// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/Paths.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace Paths {

namespace {

QString configDirPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/Tolvane");
}

const QString SettingsFileName = QStringLiteral("/Tolvane.ini");

} // namespace

QString configDir()
{
    const QString dir = configDirPath();
    makePrivateDir(dir);
    return dir;
}

QString settingsFile()
{
    return configDir() + SettingsFileName;
}

QString settingsFilePath()
{
    return configDirPath() + SettingsFileName;
}

QString dataDir()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString dir = base + QStringLiteral("/Tolvane");
    makePrivateDir(dir);
    return dir + QLatin1Char('/');
}

QString deliveryHistoryFile()
{
    // Qt 6.4 knows no state location. As the XDG base directories say, a value that is not
    // an absolute path is ignored.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/Tolvane/deliveries.log");
}

bool makePrivateDir(const QString &path)
{
    if (!QDir().mkpath(path))
        return false;
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace Paths

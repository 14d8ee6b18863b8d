// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "app/SettingsFileCheck.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

QString settingsFileProblem(const QString &path)
{
    struct stat info { };
    if (::stat(QFile::encodeName(path).constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return QCoreApplication::translate("SettingsFileCheck", "it is a folder, not a file");
        if (!S_ISREG(info.st_mode))
            return QCoreApplication::translate("SettingsFileCheck", "it is not a regular file");
        if (::access(QFile::encodeName(path).constData(), R_OK | W_OK) != 0)
            return systemReason(errno);
        return {};
    }
    // A file in place of a folder on the way (ENOTDIR), a folder that may not be searched.
    if (errno != ENOENT)
        return systemReason(errno);

    // Missing: the file and the folders it lacks are made in the nearest folder there is.
    QString dir = QFileInfo(path).absolutePath();
    while (::stat(QFile::encodeName(dir).constData(), &info) != 0) {
        if (errno != ENOENT)
            return systemReason(errno);
        const QString parent = QFileInfo(dir).absolutePath();
        if (parent == dir)
            break;
        dir = parent;
    }
    if (::access(QFile::encodeName(dir).constData(), W_OK | X_OK) != 0)
        return QCoreApplication::translate("SettingsFileCheck", "it cannot be created in %1: %2")
            .arg(dir, systemReason(errno));
    return {};
}

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/StoreFiles.h"

#include "store/StoreError.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace StoreFiles {

// A failure in the user's language, as the UTF-8 text a StoreError carries.
std::string told(const char *text, const QString &a, const QString &b)
{
    QString said = QCoreApplication::translate("MessageStore", text);
    if (!a.isNull())
        said = b.isNull() ? said.arg(a) : said.arg(a, b);
    return said.toStdString();
}

// what: "Cannot ... %1: %2", given the file and the system's reason.
std::string describe(const char *what, const QString &path)
{
    const QString reason = QString::fromLocal8Bit(std::strerror(errno));
    return told(what, path, reason);
}

namespace {

void writeAll(int fd, const QByteArray &data, const QString &path)
{
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw StoreError(
                describe(QT_TRANSLATE_NOOP("MessageStore", "Cannot write %1: %2"), path));
        }
        p += n;
        left -= n;
    }
}

void syncDirectory(const QString &dir)
{
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return; // the rename itself has happened; only its durability is less certain
    ::fsync(fd);
    ::close(fd);
}

} // namespace

StoreError notRegularFile(const QString &path)
{
    return StoreError(told(QT_TRANSLATE_NOOP("MessageStore",
                               "Cannot read %1: it is not a regular file but a folder, a pipe or "
                               "a device. Move it out of the way, and the next message saved "
                               "makes a new message file there."),
        path));
}

// The whole content of the file, or none when there is no file. Only a regular file is
// opened: opening a pipe for reading would wait for a writer that may never come, and a
// device is nobody's message file. The non-blocking open and the second look at what was
// opened cover a file swapped for a pipe between the two.
std::optional<QByteArray> readRegularFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info { };
    if (::stat(name.constData(), &info) != 0) {
        if (errno == ENOENT)
            return std::nullopt;
        throw StoreError(describe(QT_TRANSLATE_NOOP("MessageStore", "Cannot read %1: %2"), path));
    }
    if (!S_ISREG(info.st_mode))
        throw notRegularFile(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        throw StoreError(describe(QT_TRANSLATE_NOOP("MessageStore", "Cannot read %1: %2"), path));
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw notRegularFile(path);
    }
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw StoreError(told(
            QT_TRANSLATE_NOOP("MessageStore", "Cannot read %1: %2"), path, file.errorString()));
    return content;
}

// Writes the new content to the scratch file, flushes it to disk and renames it over
// the destination file. On any failure the scratch file is removed and the destination
// is left as it was.
void replaceFile(const QString &path, const QString &scratch, const QByteArray &content)
{
    const QByteArray scratchName = QFile::encodeName(scratch);
    // Only a file made here and now: never write through something already at that name.
    const int fd = ::open(scratchName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        throw StoreError(
            describe(QT_TRANSLATE_NOOP("MessageStore", "Cannot create %1: %2"), scratch));
    try {
        writeAll(fd, content, scratch);
        if (::fsync(fd) != 0)
            throw StoreError(
                describe(QT_TRANSLATE_NOOP("MessageStore", "Cannot flush %1: %2"), scratch));
    } catch (...) {
        ::close(fd);
        ::unlink(scratchName.constData());
        throw;
    }
    if (::close(fd) != 0) {
        const std::string why
            = describe(QT_TRANSLATE_NOOP("MessageStore", "Cannot write %1: %2"), scratch);
        ::unlink(scratchName.constData());
        throw StoreError(why);
    }
    if (::rename(scratchName.constData(), QFile::encodeName(path).constData()) != 0) {
        const std::string why
            = describe(QT_TRANSLATE_NOOP("MessageStore", "Cannot replace %1: %2"), path);
        ::unlink(scratchName.constData());
        throw StoreError(why);
    }
    syncDirectory(QFileInfo(path).absolutePath());
}

} // namespace StoreFiles

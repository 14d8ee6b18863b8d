#include "store/MessageFile.h"

#include "app/Program.h"
#include "platform/BusyFlag.h"
#include "platform/Clock.h"
#include "platform/Paths.h"
#include "store/CodePage.h"
#include "store/Stamp.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray Crlf("\r\n");
constexpr int MaxFileUser = 10;
constexpr int MaxLinks = 40; // as many as the system itself follows

std::string describe(const char *what, const QString &path)
{
    return std::string(what) + " " + QFile::encodeName(path).toStdString() + ": "
        + std::strerror(errno);
}

QString scratchPath(const Program &program)
{
    return program.ProgramDir + QStringLiteral("tmp.tmp");
}

StoreError notRegularFile(const QString &path)
{
    return StoreError("Cannot read " + QFile::encodeName(path).toStdString()
        + ": it is not a regular file but a folder, a pipe or a device. Move it out of the "
          "way, and the next message saved makes a new message file there.");
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
        throw StoreError(describe("Cannot read", path));
    }
    if (!S_ISREG(info.st_mode))
        throw notRegularFile(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        throw StoreError(describe("Cannot read", path));
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw notRegularFile(path);
    }
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw StoreError(
            "Cannot read " + name.toStdString() + ": " + file.errorString().toStdString());
    return content;
}

// Calls f for every non-empty line of the file content, without its line end.
template<class F> void forEachLine(const QByteArray &content, F &&f)
{
    const char *p = content.constData();
    const char *end = p + content.size();
    while (p < end) {
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        const char *lineEnd = nl ? nl : end;
        qsizetype length = lineEnd - p;
        if (length > 0 && p[length - 1] == '\r')
            --length;
        if (length > 0 && !f(QByteArrayView(p, length)))
            return;
        p = nl ? nl + 1 : end;
    }
}

void writeAll(int fd, const QByteArray &data, const QString &path)
{
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw StoreError(describe("Cannot write", path));
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

// Where a rewrite puts its result, and the scratch file it goes through.
struct Destination {
    QString file;
    QString scratch;
};

// For the message file itself: the file, through "tmp.tmp" in the data folder. A message
// file that is a symbolic link stays one: the file at the end of its links (which need
// not exist yet) is replaced, so that whatever else points there sees the change too.
// Its scratch file lies in that file's own folder, since a rename cannot cross file
// systems, under a name of its own that keeps clear of anybody's tmp.tmp there.
Destination destinationOf(const Program &program, const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    QByteArray current = name;
    for (int links = 0;; ++links) {
        struct stat info { };
        if (::lstat(current.constData(), &info) != 0 || !S_ISLNK(info.st_mode))
            break;
        if (links == MaxLinks) {
            errno = ELOOP;
            throw StoreError(describe("Cannot follow the link", path));
        }
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t length = ::readlink(current.constData(), target.data(), size_t(PATH_MAX));
        if (length < 0)
            throw StoreError(describe("Cannot follow the link", path));
        target.truncate(length);
        // A relative link counts from the folder the link is in.
        if (!target.startsWith('/'))
            target.prepend(current.left(current.lastIndexOf('/') + 1));
        current = target;
    }
    if (current == name)
        return { path, scratchPath(program) };
    const QString file = QFile::decodeName(current);
    const qsizetype slash = file.lastIndexOf(QLatin1Char('/'));
    return { file,
        file.left(slash + 1) + QLatin1Char('.') + file.mid(slash + 1)
            + QStringLiteral(".tolvane-tmp") };
}

// Writes the new content to the scratch file, flushes it to disk and renames it over
// the destination file. On any failure the scratch file is removed and the destination
// is left as it was.
void replaceFile(const Destination &to, const QByteArray &content)
{
    const QString &scratch = to.scratch;
    const QString &path = to.file;
    const QByteArray scratchName = QFile::encodeName(scratch);
    // Only a file made here and now: never write through something already at that name.
    const int fd = ::open(scratchName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        throw StoreError(describe("Cannot create", scratch));
    try {
        writeAll(fd, content, scratch);
        if (::fsync(fd) != 0)
            throw StoreError(describe("Cannot flush", scratch));
    } catch (...) {
        ::close(fd);
        ::unlink(scratchName.constData());
        throw;
    }
    if (::close(fd) != 0) {
        const std::string why = describe("Cannot write", scratch);
        ::unlink(scratchName.constData());
        throw StoreError(why);
    }
    if (::rename(scratchName.constData(), QFile::encodeName(path).constData()) != 0) {
        const std::string why = describe("Cannot replace", path);
        ::unlink(scratchName.constData());
        throw StoreError(why);
    }
    syncDirectory(QFileInfo(path).absolutePath());
}

// A clean-up tool or a sync client may take the whole data folder away while the program
// runs; a save makes it again, private as at the start, rather than failing until then.
void makeDataFolder(const Program &program)
{
    if (!QDir(program.ProgramDir).exists() && !Paths::makePrivateDir(program.ProgramDir))
        throw StoreError("Cannot make the folder for the message files, "
            + QFile::encodeName(program.ProgramDir).toStdString()
            + ", again. Check that no file has taken its name and that you may write in the folder "
              "above it.");
}

// A rewrite killed half-way leaves its scratch file behind.
void removeLeftoverScratch(const Program &program, const Destination &to)
{
    QFile::remove(scratchPath(program));
    if (to.scratch != scratchPath(program))
        QFile::remove(to.scratch);
}

// The frame shared by the three rewrites: perLine turns each old line into what the new
// content holds for it, atEnd may add to the end; an unchanged content is not written again.
template<class PerLine, class AtEnd>
void rewrite(Program &program, int user, bool createWhenMissing, const QByteArray &firstLine,
    PerLine &&perLine, AtEnd &&atEnd)
{
    BusyGuard busy(program.FileBusy);
    const QString path = MessageFilePath(program, user);
    const Destination to = destinationOf(program, path);
    removeLeftoverScratch(program, to);
    const std::optional<QByteArray> read = readRegularFile(path);
    if (!read) {
        if (createWhenMissing) {
            makeDataFolder(program);
            replaceFile(to, firstLine + Crlf);
        }
        return;
    }
    const QByteArray &old = *read;
    QByteArray out;
    out.reserve(old.size() + firstLine.size() + 2);
    forEachLine(old, [&](QByteArrayView line) {
        perLine(line, out);
        return true;
    });
    atEnd(out);
    if (out != old)
        replaceFile(to, out);
}

void appendLine(QByteArray &out, QByteArrayView line)
{
    out.append(line.data(), line.size());
    out.append(Crlf);
}

} // namespace

QString MessageFilePath(const Program &program, int user)
{
    return program.ProgramDir + QStringLiteral("u") + QString::number(user)
        + QStringLiteral(".usr");
}

void SaveMessageRecord(Program &program, int user, const QString &record)
{
    // The scheduler reads the files of users 1 to 10 only: a message stored for another
    // number would never be sent.
    if (user < 1 || user > MaxFileUser)
        throw StoreError("No user is logged in to keep the message for. Set up a user first.");
    const QByteArray newLine = CodePage::encode(record);
    const RecordView r(newLine);
    if (!r.isReadable())
        throw StoreError("A message record must begin with a date and time: "
            + record.left(Stamp::StampLength).toStdString());
    const QDate today = program.clock.now().date();
    const QByteArrayView newStamp = r.stamp();
    bool written = false;
    const auto perLine = [&](QByteArrayView line, QByteArray &out) {
        const RecordView l(line);
        if (!l.isReadable()) {
            appendLine(out, line);
            return;
        }
        const bool before
            = l.date() < r.date() || (l.date() == r.date() && l.minuteOfDay() < r.minuteOfDay());
        if (before) {
            if (l.date().daysTo(today) <= 365)
                appendLine(out, line);
            return;
        }
        if (!written) {
            appendLine(out, newLine);
            written = true;
        }
        if (l.stamp() != newStamp)
            appendLine(out, line);
    };
    const auto atEnd = [&](QByteArray &out) {
        if (!written)
            appendLine(out, newLine);
    };
    rewrite(program, user, true, newLine, perLine, atEnd);
}

void DeleteMessageSlot(Program &program, int user, const QString &stamp)
{
    const QByteArray stampBytes = CodePage::encode(stamp);
    const RecordView slot(stampBytes);
    const auto perLine = [&](QByteArrayView line, QByteArray &out) {
        const RecordView l(line);
        const bool sameSlot = l.isReadable() && slot.isReadable() && l.date() == slot.date()
            && l.minuteOfDay() == slot.minuteOfDay();
        if (!sameSlot)
            appendLine(out, line);
    };
    rewrite(program, user, false, {}, perLine, [](QByteArray &) {});
}

void MarkMessageSent(Program &program, int user, const QString &record)
{
    const QByteArray target = CodePage::encode(record);
    const auto perLine = [&](QByteArrayView line, QByteArray &out) {
        if (line == QByteArrayView(target) && line.size() > Record::StatusPos) {
            QByteArray marked = target;
            marked[Record::StatusPos] = 'S';
            appendLine(out, marked);
        } else {
            appendLine(out, line);
        }
    };
    rewrite(program, user, false, {}, perLine, [](QByteArray &) {});
}

std::optional<QString> FindMessageRecord(Program &program, int user, const QString &stamp)
{
    const QByteArray wanted = CodePage::encode(stamp);
    const QDate wantedDate = Stamp::parseDate(QStringView(stamp).left(Stamp::DateLength));
    std::optional<QString> found;
    ReadMessageRecords(program, user, [&](const RecordView &record) {
        if (record.stamp() == QByteArrayView(wanted)) {
            found = record.line();
            return false;
        }
        // The file is in date order: no later day can hold the stamp.
        return !(wantedDate.isValid() && record.date() > wantedDate);
    });
    return found;
}

void ReadMessageRecords(Program &program, int user, const RecordVisitor &visit)
{
    const QString path = MessageFilePath(program, user);
    if (!QFileInfo::exists(path))
        return;
    BusyGuard busy(program.FileBusy);
    const QByteArray content = readRegularFile(path).value_or(QByteArray());
    forEachLine(content, [&](QByteArrayView line) {
        const RecordView record(line);
        return !record.isReadable() || visit(record);
    });
}

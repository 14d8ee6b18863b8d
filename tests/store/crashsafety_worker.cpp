// Rewrites user 1's message file until it is killed: a save, a delete or a mark at
// random. Before each operation it appends one line to a log with a single write:
//   <run>.<operation> <hash of the file now> <hash the file will have after it>
// The hash it will have is found by doing the same operation on a copy of the file in a
// second directory first. "-" stands for a file that does not exist.
//
// crashsafety_worker <data dir/> <copy dir/> <log file> <run number>

#include "app/Program.h"
#include "app/SettingsStore.h"
#include "store/MessageFile.h"
#include "store/Stamp.h"
#include "support/FakeClock.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "-";
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex();
}

void mirror(const QString &from, const QString &to)
{
    QFile::remove(to);
    if (QFile::exists(from) && !QFile::copy(from, to))
        throw std::runtime_error("cannot copy the message file");
}

QStringList readRecords(Program &program)
{
    QStringList lines;
    ReadMessageRecords(program, 1, [&](const RecordView &record) {
        lines.append(record.line());
        return true;
    });
    return lines;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5) {
        std::fputs("usage: crashsafety_worker DATA/ COPY/ LOG RUN\n", stderr);
        return 2;
    }
    const QString run = args.at(4);
    FakeClock clock;
    ScriptedMessageBoxes boxes;
    SettingsStore settings(args.at(2) + QStringLiteral("Tolvane.ini"));
    Program real(settings, clock, boxes);
    real.ProgramDir = args.at(1);
    Program copy(settings, clock, boxes);
    copy.ProgramDir = args.at(2);
    const int log = ::open(
        QFile::encodeName(args.at(3)).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (log < 0)
        return 2;
    QRandomGenerator random(run.toUInt());
    const QDate firstDay = clock.now().date().addDays(1);

    std::puts("ready");
    std::fflush(stdout);
    try {
        for (int n = 1;; ++n) {
            const QStringList records = readRecords(real);
            const QString picked
                = records.isEmpty() ? QString() : records.at(random.bounded(records.size()));
            const int kind = picked.isEmpty() ? 0 : random.bounded(10);
            std::function<void(Program &)> operation;
            if (kind < 4) {
                const QDateTime slot(firstDay.addDays(random.bounded(10)),
                    QTime(random.bounded(24), 15 * random.bounded(4)));
                const QString record = Stamp::formatStamp(slot)
                    + QStringLiteral("Nrun %1 op %2|").arg(run).arg(n)
                    + QStringLiteral("5551234567@txt.example.net,");
                operation = [record](Program &p) { SaveMessageRecord(p, 1, record); };
            } else if (kind < 7) {
                const QString stamp = picked.left(Stamp::StampLength);
                operation = [stamp](Program &p) { DeleteMessageSlot(p, 1, stamp); };
            } else {
                operation = [picked](Program &p) { MarkMessageSent(p, 1, picked); };
            }
            const QString realFile = MessageFilePath(real, 1);
            const QString copyPath = MessageFilePath(copy, 1);
            mirror(realFile, copyPath);
            operation(copy);
            const QByteArray line = run.toLatin1() + '.' + QByteArray::number(n) + ' '
                + fileHash(realFile) + ' ' + fileHash(copyPath) + '\n';
            if (::write(log, line.constData(), size_t(line.size())) != line.size())
                return 2;
            operation(real);
        }
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
    }
    return 1;
}

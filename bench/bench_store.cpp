// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The message files at their largest: ten users, each with a year of quarter-hour
// slots (35,040 records). Measures every rewrite of one file, the reads, the scheduler's
// reload over the ten files, one scheduler tick with nothing due (also with a record of
// each user waiting for its next try), and the delivery history's appends at its bound.
//
//   bench_store [runs]        (default 7 runs; medians are printed)
//
// The files lie in a fresh temporary directory ($TMPDIR or /tmp), so the figures are
// those of that directory's disk.

#include "app/AppContext.h"
#include "app/SettingsStore.h"
#include "delivery/Deliverer.h"
#include "delivery/DeliveryHistory.h"
#include "delivery/Scheduler.h"
#include "platform/ConnectionService.h"
#include "platform/MessageBoxes.h"
#include "platform/SystemClock.h"
#include "store/MessageStore.h"
#include "store/SeriesStore.h"
#include "store/Stamp.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

using Timer = std::chrono::steady_clock;

constexpr int Users = 10;
constexpr int SlotsPerDay = 96;
constexpr int Days = 365;
constexpr int Records = SlotsPerDay * Days; // 35,040

class NoBoxes final : public MessageBoxes {
public:
    Answer show(const QString &, const QString &, Icon, Buttons, QWidget *) override
    {
        return Answer::Ok;
    }
};

class NoConnection final : public ConnectionService {
public:
    int flags() override { return Lan; }
    bool autodial() override { return true; }
    void hangUp() override { }
};

class CountingDelivery final : public Deliverer {
public:
    void start(int, const MessageRecord &, bool) override
    {
        ++calls;
        Result result;
        result.mayPass = failForNow;
        emit finished(result);
    }
    void abort() override { }
    int calls = 0;
    bool failForNow = false;
};

double msSince(Timer::time_point start)
{
    return std::chrono::duration<double, std::milli>(Timer::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

QDateTime slotAt(const QDate &first, int slot, int minuteOffset = 0)
{
    return QDateTime(first.addDays(slot / SlotsPerDay),
        Stamp::timeOfMinute((slot % SlotsPerDay) * 15 + minuteOffset));
}

QString stampAt(const QDate &first, int slot)
{
    return Stamp::formatStamp(slotAt(first, slot));
}

// A year of records from tomorrow on; all but the last are marked sent, so the
// scheduler must read to the end of the file to find the next message.
QByteArray yearOfRecords(const QDate &first, int user)
{
    QByteArray content;
    content.reserve(Records * 100);
    for (int slot = 0; slot < Records; ++slot) {
        content += stampAt(first, slot).toLatin1();
        content += slot == Records - 1 ? 'N' : 'S';
        content += "Reminder " + QByteArray::number(slot) + " for user " + QByteArray::number(user)
            + ": call the office back|" + "cell" + QByteArray::number(user)
            + "@sms.example.net,desk@sms.example.net,\r\n";
    }
    return content;
}

void writeFile(const QString &path, const QByteArray &content, bool evict)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || ::write(fd, content.constData(), size_t(content.size())) != content.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
    ::fsync(fd);
    if (evict) // drop this file's pages from the page cache: the next read comes from disk
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

void evictFromCache(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd >= 0) {
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

// Read and write system calls and bytes read by this process so far (/proc/self/io).
struct IoCounters {
    long long syscr = -1;
    long long rchar = -1;
    long long syscw = -1;
};

IoCounters readIo()
{
    IoCounters io;
    if (FILE *f = std::fopen("/proc/self/io", "r")) {
        char name[32];
        long long value = 0;
        while (std::fscanf(f, "%31s %lld", name, &value) == 2) {
            if (!std::strcmp(name, "syscr:"))
                io.syscr = value;
            else if (!std::strcmp(name, "rchar:"))
                io.rchar = value;
            else if (!std::strcmp(name, "syscw:"))
                io.syscw = value;
        }
        std::fclose(f);
    }
    return io;
}

void report(const char *what, const std::vector<double> &ms, const char *target = "")
{
    std::printf("  %-52s median %8.2f ms  (min %.2f, max %.2f)%s\n", what, median(ms),
        *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()), target);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;

    QTemporaryDir dir;
    NoBoxes boxes;
    SystemClock clock;
    SettingsStore settings(dir.path() + QStringLiteral("/Tolvane.ini"));
    AppContext program(settings, clock, boxes);
    program.dataFolder = dir.path() + QStringLiteral("/data/");
    QDir().mkpath(program.dataFolder);
    MessageStore store(program.dataFolder, clock);

    const QDate first = QDate::currentDate().addDays(1);
    QByteArray sample;
    std::printf("Building %d message files of %d records in %s\n", Users, Records,
        qPrintable(program.dataFolder));
    for (int user = 1; user <= Users; ++user) {
        const QByteArray content = yearOfRecords(first, user);
        writeFile(store.filePath(user), content, false);
        if (user == 1)
            sample = content;
    }
    std::printf("  each file %.2f MB, %d runs, medians\n\n", double(sample.size()) / 1e6, runs);

    // One file's rewrites, each a whole pass through the scratch file.
    const int middle = Records / 2;
    const QString lastStamp = stampAt(first, Records - 1);
    std::vector<double> saveMiddle, saveEnd, del, mark, findMiddle, findLast, flush, dirFlush,
        writeOnly;
    for (int run = 0; run < runs; ++run) {
        // A minute off the quarter hours, so it is a new record between two others.
        const QDateTime slot = slotAt(first, middle, 7);
        const MessageRecord record = MessageRecord::compose(
            slot, QStringLiteral("Moved meeting"), { QStringLiteral("cell1@sms.example.net") });
        auto t = Timer::now();
        store.save(1, record);
        saveMiddle.push_back(msSince(t));

        t = Timer::now();
        store.markSent(1, record);
        mark.push_back(msSince(t));

        t = Timer::now();
        const bool found = store.find(1, slotAt(first, middle)).has_value();
        findMiddle.push_back(msSince(t));
        t = Timer::now();
        const bool foundLast = store.find(1, slotAt(first, Records - 1)).has_value();
        findLast.push_back(msSince(t));
        if (!found || !foundLast) {
            std::fprintf(stderr, "find missed a record\n");
            return 1;
        }

        t = Timer::now();
        store.removeSlot(1, slot);
        del.push_back(msSince(t));

        const QDateTime endSlot = slotAt(first, Records - 1, 7);
        t = Timer::now();
        store.save(1,
            MessageRecord::compose(
                endSlot, QStringLiteral("Last word"), { QStringLiteral("cell1@sms.example.net") }));
        saveEnd.push_back(msSince(t));
        store.removeSlot(1, endSlot);

        // The flush to disk alone: the same bytes written to a file beside it, then timed
        // fsync of the file and of the directory, as a rewrite does them.
        const QByteArray path = QFile::encodeName(program.dataFolder + QStringLiteral("flush.tmp"));
        t = Timer::now();
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0 || ::write(fd, sample.constData(), size_t(sample.size())) != sample.size())
            return 1;
        writeOnly.push_back(msSince(t));
        t = Timer::now();
        ::fsync(fd);
        flush.push_back(msSince(t));
        ::close(fd);
        ::unlink(path.constData());
        const int dfd = ::open(QFile::encodeName(program.dataFolder).constData(), O_RDONLY);
        t = Timer::now();
        ::fsync(dfd);
        dirFlush.push_back(msSince(t));
        ::close(dfd);
    }
    if (QFile(store.filePath(1)).size() != sample.size()) {
        std::fprintf(stderr, "user 1's file did not come back to its first content\n");
        return 1;
    }
    std::printf("One file of %d records (target: each rewrite <= 30 ms with its flush)\n", Records);
    report("save, new record in the middle", saveMiddle);
    report("save, new record at the end", saveEnd);
    report("removeSlot, record in the middle", del);
    report("markSent, record in the middle", mark);
    report("find, record in the middle", findMiddle);
    report("find, last record", findLast);
    std::printf("  of a rewrite, writing the same bytes to a new file:\n");
    report("  write()", writeOnly);
    report("  fsync() of the file (the flush)", flush);
    report("  fsync() of the directory after the rename", dirFlush);

    // A daily series of 365 occurrences saved into user 2's full file, each a minute off the
    // quarter hours so that every one is a new record: the records alone in one rewrite,
    // then the whole series (rule, records and the series file), each taken away again.
    SeriesStore series(program.dataFolder, store, clock);
    Series daily;
    daily.user = 2;
    daily.repetition = { Repetition::Rule::Daily, {}, Days };
    daily.first = first;
    daily.minuteOfDay = 8 * 60 + 7;
    daily.text = QStringLiteral("Take the pill");
    daily.recipients = { QStringLiteral("cell2@sms.example.net") };
    QList<MessageRecord> year;
    QList<QDateTime> yearSlots;
    for (int day = 0; day < Days; ++day) {
        yearSlots << QDateTime(first.addDays(day), Stamp::timeOfMinute(daily.minuteOfDay));
        year << MessageRecord::compose(yearSlots.last(), daily.text, daily.recipients);
    }
    std::vector<double> manyIn, manyOut, seriesIn, seriesOut;
    for (int run = 0; run < runs; ++run) {
        auto t = Timer::now();
        store.saveMany(2, year);
        manyIn.push_back(msSince(t));
        t = Timer::now();
        store.saveMany(2, {}, yearSlots);
        manyOut.push_back(msSince(t));
        t = Timer::now();
        const Series created = series.create(daily, SeriesStore::Occupied::Skip);
        seriesIn.push_back(msSince(t));
        if (created.written.size() != Days) {
            std::fprintf(stderr, "the series wrote %d days\n", int(created.written.size()));
            return 1;
        }
        t = Timer::now();
        series.deleteFromHere(2, yearSlots.first());
        seriesOut.push_back(msSince(t));
    }
    if (QFile(store.filePath(2)).size() != QFile(store.filePath(3)).size()) {
        std::fprintf(stderr, "user 2's file did not come back to its first content\n");
        return 1;
    }
    std::printf("\nA daily series of %d occurrences into a file of %d records (target <= 50 ms "
                "with the flush)\n",
        Days, Records);
    report("saveMany, the 365 records in one rewrite", manyIn);
    report("saveMany, the same 365 removed", manyOut);
    report("SeriesStore::create, with the series file", seriesIn);
    report("SeriesStore::deleteFromHere, from the first", seriesOut);

    // The scheduler's reload over the ten files, each user's next record at the end.
    CountingDelivery delivery;
    NoConnection connection;
    Scheduler scheduler(program, store, delivery, connection);
    std::vector<double> warm, cold;
    for (int run = 0; run < runs; ++run) {
        auto t = Timer::now();
        scheduler.reload();
        warm.push_back(msSince(t));
        for (int user = 1; user <= Users; ++user)
            evictFromCache(store.filePath(user));
        t = Timer::now();
        scheduler.reload();
        cold.push_back(msSince(t));
    }
    const auto slotLines = [&] {
        QList<QByteArray> lines;
        for (int user = 1; user <= Users; ++user)
            lines.append(scheduler.slot(user) ? scheduler.slot(user)->record.line : QByteArray());
        return lines;
    };
    const QList<QByteArray> loaded = slotLines();
    for (int user = 1; user <= Users; ++user) {
        if (!loaded.at(user - 1).startsWith(lastStamp.toLatin1())) {
            std::fprintf(stderr, "slot %d holds %s\n", user, loaded.at(user - 1).constData());
            return 1;
        }
    }
    std::printf("\nreload over %d files (target <= 60 ms)\n", Users);
    report("files in the page cache", warm);
    report("files read from disk", cold);

    // One tick with nothing due: every slot holds a record of next year. The history is
    // wired as in the program; it writes only when an attempt ends.
    const QString historyPath = dir.path() + QStringLiteral("/state/Tolvane/deliveries.log");
    DeliveryHistory history(historyPath, settings);
    QObject::connect(&scheduler, &Scheduler::attempted, &history, &DeliveryHistory::append);
    const QString away = dir.path() + QStringLiteral("/away");
    const auto idleTicks = [&](const char *what) {
        QDir().rename(program.dataFolder, away); // a tick that read a file would now find none
        const int callsBefore = delivery.calls;
        const IoCounters probe1 = readIo();
        const IoCounters probe2 = readIo(); // what reading the counters itself costs
        constexpr int Ticks = 200000;
        std::vector<double> tickUs;
        tickUs.reserve(Ticks);
        for (int i = 0; i < Ticks; ++i) {
            const auto t = Timer::now();
            scheduler.checkDue();
            tickUs.push_back(std::chrono::duration<double, std::micro>(Timer::now() - t).count());
        }
        const IoCounters probe3 = readIo();
        QDir().rename(away, program.dataFolder);
        const long long readCalls = (probe3.syscr - probe2.syscr) - (probe2.syscr - probe1.syscr);
        const long long bytesRead = (probe3.rchar - probe2.rchar) - (probe2.rchar - probe1.rchar);
        const long long writeCalls = (probe3.syscw - probe2.syscw) - (probe2.syscw - probe1.syscw);
        const bool slotsKept = slotLines() == loaded;
        std::printf("\ncheckDue with nothing due%s, %d ticks (target <= 20 us, no file access)\n",
            what, Ticks);
        std::printf("  per tick: median %.2f us, 99th percentile %.2f us, max %.2f us\n",
            median(tickUs), percentile(tickUs, 0.99),
            *std::max_element(tickUs.begin(), tickUs.end()));
        std::printf("  read calls during the ticks: %lld, bytes read: %lld, write calls: %lld\n",
            readCalls, bytesRead, writeCalls);
        std::printf("  with the data directory moved away: slots %s, deliveries %d\n",
            slotsKept ? "unchanged" : "CHANGED", delivery.calls - callsBefore);
        return slotsKept && delivery.calls == callsBefore && writeCalls == 0;
    };
    const bool idle = idleTicks("");

    // The same with a late-sending window of a day and each user's record of a minute ago
    // waiting for its next try, a minute on: its delivery failed for a reason that may pass.
    settings.writeSetting(
        QStringLiteral("Options"), QStringLiteral("LateMinutes"), QStringLiteral("1440"));
    const QDateTime minuteAgo = Stamp::startOfMinute(QDateTime::currentDateTime()).addSecs(-60);
    for (int user = 1; user <= Users; ++user)
        store.save(user, MessageRecord::compose(minuteAgo, QStringLiteral("late"), {}));
    int waiting = 0;
    QObject::connect(&scheduler, &Scheduler::retrying, [&] { ++waiting; });
    delivery.failForNow = true;
    scheduler.reload();
    scheduler.checkDue();
    scheduler.reload();
    std::printf("\n%d records waiting for their next try", waiting);
    const bool pending = waiting == Users && idleTicks(", records waiting for a try");
    return idle && pending ? 0 : 1;

    // The history at its bound: a file of 9,998 short attempts (under 2 MB, so that the
    // number of lines is the bound met), then three appends in one run: the first counts
    // the lines (the one read of the file in a run), the second makes 10,000, the third
    // passes the bound; then the rewrite with the newest 9,000 that it left to the event
    // loop.
    const DeliveryAttempt attempt { QDateTime::currentDateTime(), 1, QDateTime::currentDateTime(),
        false, { { QStringLiteral("a@b.example"), DeliveryAttempt::Channel::Mail } },
        DeliveryAttempt::Outcome::Sent, {}, {} };
    const QByteArray line = DeliveryHistory::line({ attempt, QStringLiteral("Ann") }) + '\n';
    QByteArray filled;
    for (int i = 0; i < DeliveryHistory::MaxLines - 2; ++i)
        filled += line;
    QDir().mkpath(QFileInfo(historyPath).path());
    bool historyKept = true;
    std::vector<double> firstAppend, append, pastBound, trimming;
    for (int run = 0; run < runs; ++run) {
        writeFile(historyPath, filled, false);
        DeliveryHistory bounded(historyPath, settings);
        for (std::vector<double> *times : { &firstAppend, &append, &pastBound }) {
            const auto t = Timer::now();
            bounded.append(attempt);
            times->push_back(msSince(t));
        }
        const auto t = Timer::now();
        QCoreApplication::processEvents();
        trimming.push_back(msSince(t));
        if (const qsizetype lines = bounded.read().size(); lines != 9000) {
            std::fprintf(stderr, "the history holds %lld lines of %lld bytes, not 9,000: %s\n",
                (long long)lines, (long long)line.size(), qPrintable(bounded.problem()));
            historyKept = false;
        }
    }
    std::printf("\nDelivery history, lines of %lld bytes\n", (long long)line.size());
    report("append, the run's first (counts 9,998 lines)", firstAppend);
    report("append, at 9,999 lines", append);
    report("append at 10,000 lines, past the bound", pastBound);
    report("then the rewrite to 9,000 lines, from the event loop", trimming);
    return idle && pending && historyKept ? 0 : 1;
}

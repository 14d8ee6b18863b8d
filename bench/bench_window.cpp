// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The main window's figures:
// 1. LoadScreenData for a page at the end of a 35,040-record message file (a year of
//    quarter hours), the page read up to its last day: median of 25 loads.
// 2. The program's start to the first paint of its main window, with ten users whose
//    files hold 35,040 records each: the program's test build (tolvane-testing), started
//    11 times with TOLVANE_EXIT_AFTER_PAINT=0, timed from the process start to its
//    "first-paint" line.
// 3. Resident memory 1.5 s after the first paint (the day grid has loaded by then).
#include "app/AppContext.h"
#include "app/SettingsStore.h"
#include "platform/LoggedMessageBoxes.h"
#include "platform/SystemClock.h"
#include "ui/main/DayGrid.h"
#include "ui/main/DayPage.h"
#include "ui/main/MainWindow.h"
#include "ui/main/MarkedCalendar.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int Records = 365 * 96;

// A year of quarter-hour records from the first day on, sent before "sentUntil".
void writeYear(const QString &path, QDate firstDay, QDate sentUntil)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    QByteArray out;
    out.reserve(Records * 80);
    for (int i = 0; i < Records; ++i) {
        const QDate day = firstDay.addDays(i / 96);
        const int minute = (i % 96) * 15;
        const int hour12 = (minute / 60) % 12 == 0 ? 12 : (minute / 60) % 12;
        out += QStringLiteral("%1 %2:%3 %4%5Meeting room booking number %6|5551234567@txt."
                              "example.net,\r\n")
                   .arg(day.toString(QStringLiteral("yyyy/MM/dd")))
                   .arg(hour12, 2, 10, QLatin1Char('0'))
                   .arg(minute % 60, 2, 10, QLatin1Char('0'))
                   .arg(minute < 720 ? QStringLiteral("AM") : QStringLiteral("PM"))
                   .arg(day < sentUntil ? QLatin1Char('S') : QLatin1Char('N'))
                   .arg(i)
                   .toLatin1();
    }
    file.write(out);
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void loadDay()
{
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("Tolvane.ini")));
    settings.writeSetting(
        QStringLiteral("Options"), QStringLiteral("Current User"), QStringLiteral("1"));
    settings.writeSetting(QStringLiteral("User1"), QStringLiteral("Name"), QStringLiteral("Ada"));
    SystemClock clock;
    LoggedMessageBoxes boxes(dir.filePath(QStringLiteral("boxes.log")));
    AppContext p(settings, clock, boxes);
    p.dataFolder = dir.path() + QLatin1Char('/');
    writeYear(p.dataFolder + QStringLiteral("u1.usr"), QDate(2026, 1, 1), QDate(2026, 7, 1));

    MainWindow w(p);
    w.load();
    w.show();
    QList<double> times;
    for (int i = 0; i < 25; ++i) {
        QElapsedTimer t;
        t.start();
        w.showDay(QDate(2026, 12, 20));
        times.append(t.nsecsElapsed() / 1e6);
    }
    int marks = 0;
    const auto *calendar = w.findChild<MarkedCalendar *>(QStringLiteral("calendar"));
    for (int i = 1; i <= DayPage::Days; ++i)
        marks += calendar->mark(i).visible ? 1 : 0;
    int rows = 0;
    for (int row = 1; row <= 97; ++row)
        rows += w.findChild<DayGrid *>(QStringLiteral("dayGrid"))->cell(row, 1)->text().isEmpty()
            ? 0
            : 1;
    std::printf("(the page shows %d marks, the day %d messages)\n", marks, rows);
    std::printf("Loading a day, December page of a %d-record file: median %.2f ms "
                "(best %.2f, worst %.2f)\n",
        Records, median(times), *std::min_element(times.begin(), times.end()),
        *std::max_element(times.begin(), times.end()));
}

void startToFirstPaint()
{
    const QString binary = QStringLiteral(TOLVANE_BINARY);
    if (!QFile::exists(binary)) {
        std::printf("start to first paint: %s not built\n", qPrintable(binary));
        return;
    }
    QTemporaryDir root;
    const QString config = root.path() + QStringLiteral("/config/Tolvane");
    const QString data = root.path() + QStringLiteral("/data/Tolvane");
    QDir().mkpath(config);
    QDir().mkpath(data);
    {
        SettingsStore settings(config + QStringLiteral("/Tolvane.ini"));
        settings.writeSetting(
            QStringLiteral("Options"), QStringLiteral("Current User"), QStringLiteral("1"));
        for (int n = 1; n <= 10; ++n) {
            const QString section = QStringLiteral("User%1").arg(n);
            settings.writeSetting(
                section, QStringLiteral("Name"), QStringLiteral("User %1").arg(n));
            settings.writeSetting(section, QStringLiteral("CellEmail"),
                QStringLiteral("55500000%1@txt.example.net").arg(n, 2, 10, QLatin1Char('0')));
        }
    }
    // Half a year behind (sent), half a year ahead: the scheduler reads half of each file.
    const QDate today = QDate::currentDate();
    for (int n = 1; n <= 10; ++n)
        writeYear(data + QStringLiteral("/u%1.usr").arg(n), today.addDays(-182), today);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), root.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), root.path() + QStringLiteral("/data"));
    env.insert(QStringLiteral("TOLVANE_BOX_LOG"), root.path() + QStringLiteral("/boxes.log"));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    auto run = [&](int exitAfterMs, QByteArray *output) {
        QProcess process;
        env.insert(QStringLiteral("TOLVANE_EXIT_AFTER_PAINT"), QString::number(exitAfterMs));
        process.setProcessEnvironment(env);
        QElapsedTimer t;
        t.start();
        process.start(binary, {});
        double painted = -1;
        while (process.waitForReadyRead(10000) || process.bytesAvailable()) {
            output->append(process.readAll());
            if (painted < 0 && output->contains("first-paint"))
                painted = t.nsecsElapsed() / 1e6;
            if (process.state() == QProcess::NotRunning)
                break;
        }
        process.waitForFinished(10000);
        output->append(process.readAll());
        return painted;
    };

    QList<double> times;
    for (int i = 0; i < 11; ++i) {
        QByteArray out;
        const double ms = run(0, &out);
        if (ms < 0) {
            std::printf("start to first paint: no paint (%s)\n", out.constData());
            return;
        }
        times.append(ms);
    }
    std::printf("start to first paint, ten users with %d records each: median %.1f ms "
                "(best %.1f, worst %.1f)\n",
        Records, median(times), *std::min_element(times.begin(), times.end()),
        *std::max_element(times.begin(), times.end()));

    QByteArray out;
    run(1500, &out);
    const int at = out.indexOf("rss-kb ");
    const long kb = at >= 0 ? out.mid(at + 7).trimmed().split('\n').value(0).toLong() : -1;
    std::printf("resident memory 1.5 s after the first paint: %.1f MB\n", kb / 1024.0);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    loadDay();
    startToFirstPaint();
    return 0;
}

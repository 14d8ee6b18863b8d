// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/Repetition.h"
#include "support/DataColumns.h"

#include <QTest>

namespace {

// Days written "2026-03-14 15 04-02 2027-01-05": a part without the year takes the year
// of the one before it, a part without the month also its month.
QList<QDate> days(const QString &text)
{
    QList<QDate> result;
    QDate last;
    for (const QString &part : text.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList n = part.split(u'-');
        const int day = n.last().toInt();
        const int month = n.size() > 1 ? n[n.size() - 2].toInt() : last.month();
        result << (last = QDate(n.size() > 2 ? n[0].toInt() : last.year(), month, day));
    }
    return result;
}

Repetition::Rule ruleNamed(const QString &name)
{
    static const QStringList names { "never", "daily", "weekdays", "weekly", "monthly" };
    return Repetition::Rule(names.indexOf(name));
}

} // namespace

class TestSeriesStore : public QObject {
    Q_OBJECT

private slots:
    // The days of a rule between two days, both included: counts run from the first
    // occurrence, whatever the window; an end date is the last day that may hold one.
    void ruleDays_data()
    {
        Columns<QString, QString, QString, QString, QString>(
            { "rule", "first", "end", "window", "expected" });
        Row("once", "never", "2026-03-14", "", "2026-03-01 2027-01-01", "2026-03-14");
        Row("daily over a leap day", "daily", "2028-02-27", "times 4", "2028-01-01 2029-01-01",
            "2028-02-27 28 29 03-01");
        Row("daily until, inclusive", "daily", "2026-03-14", "until 2026-03-16",
            "2026-03-01 2027-01-01", "2026-03-14 15 16");
        Row("daily count from the first, not from the window", "daily", "2026-03-01", "times 10",
            "2026-03-08 2026-04-01", "2026-03-08 09 10");
        Row("daily, the window's last day", "daily", "2026-03-30", "", "2026-03-31 2026-04-02",
            "2026-03-31 04-01 02");
        Row("weekdays over a weekend", "weekdays", "2026-03-13", "times 3", "2026-03-01 2027-01-01",
            "2026-03-13 16 17");
        Row("weekdays from a Saturday", "weekdays", "2026-03-14", "until 2026-03-17",
            "2026-03-01 2027-01-01", "2026-03-16 17");
        Row("weekly over the year's end", "weekly", "2026-12-24", "until 2027-01-14",
            "2026-01-01 2028-01-01", "2026-12-24 31 2027-01-07 14");
        Row("monthly on the 31st skips short months", "monthly", "2026-01-31", "",
            "2026-01-01 2026-08-31", "2026-01-31 03-31 05-31 07-31 08-31");
        Row("monthly on the 31st: skipped months not counted", "monthly", "2026-01-31", "times 3",
            "2026-01-01 2027-01-01", "2026-01-31 03-31 05-31");
        Row("monthly from 29 February", "monthly", "2028-02-29", "", "2029-01-01 2029-04-30",
            "2029-01-29 03-29 04-29");
        Row("monthly on the 30th in a leap February", "monthly", "2028-01-30", "times 3",
            "2028-01-01 2029-01-01", "2028-01-30 03-30 04-30");
        Row("end before the first", "daily", "2026-03-14", "until 2026-03-13",
            "2026-03-01 2027-01-01", "");
    }
    void ruleDays()
    {
        QFETCH(QString, rule);
        QFETCH(QString, first);
        QFETCH(QString, end);
        QFETCH(QString, window);
        QFETCH(QString, expected);
        Repetition repetition;
        repetition.rule = ruleNamed(rule);
        if (end.startsWith("until"))
            repetition.until = days(end.section(u' ', 1)).value(0);
        else if (end.startsWith("times"))
            repetition.times = end.section(u' ', 1).toInt();
        const QList<QDate> range = days(window);
        QCOMPARE(repetition.days(days(first)[0], range[0], range[1]), days(expected));
    }
};

QTEST_GUILESS_MAIN(TestSeriesStore)
#include "tst_seriesstore.moc"

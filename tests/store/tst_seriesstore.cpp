// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/CodePage.h"
#include "store/MessageStore.h"
#include "store/SeriesStore.h"
#include "store/Stamp.h"
#include "support/DataColumns.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QTest>
#include <ctime>

namespace {

// Days written "14 15 2027/01/05 06 02/01": a day alone is of the month of the day before
// it (March 2026 at first), a month and day of the year before it.
QList<QDate> days(const QString &text)
{
    QList<QDate> result;
    QDate last(2026, 3, 1);
    for (const QString &part : text.split(u' ', Qt::SkipEmptyParts)) {
        const QStringList n = part.split(u'/');
        const int month = n.size() > 1 ? n[n.size() - 2].toInt() : last.month();
        result << (last
            = QDate(n.size() > 2 ? n[0].toInt() : last.year(), month, n.last().toInt()));
    }
    return result;
}

// Lines of a message file, ';' between them: "dd ..." is a day of March 2026, and
// "15-17 11:00 AMN..." the same line on each of those days.
QStringList lines(const QString &text)
{
    QStringList result;
    for (const QString &each : text.split(';', Qt::SkipEmptyParts)) {
        if (each.size() > 5 && each[2] == '-' && each[5] == ' ')
            for (int day = each.left(2).toInt(); day <= each.mid(3, 2).toInt(); ++day)
                result << QString::asprintf("2026/03/%02d", day) + each.mid(5);
        else
            result << (each[0].isDigit() && each[2] == ' ' ? "2026/03/" + each : each);
    }
    return result;
}

// "daily 15 11:00 AM x5 pill": rule, first day, time, an end ("x5" five times, "-19"
// until that day; none without it) and the text, to a@p.
Series seriesOf(const QString &described)
{
    QStringList part = described.split(' ');
    Series series;
    series.user = 1;
    series.first = days(part[1]).value(0);
    series.recipients = { "a@p" };
    series.repetition.rule = Repetition::Rule(
        QStringList { "never", "daily", "weekdays", "weekly", "monthly" }.indexOf(part[0]));
    series.minuteOfDay = Stamp::parseTime(QStringView(part[2] + ' ' + part[3]));
    if (part.value(4).startsWith('x'))
        series.repetition.times = part.takeAt(4).mid(1).toInt();
    else if (part.value(4).startsWith('-'))
        series.repetition.until = days(part.takeAt(4).mid(1)).value(0);
    series.text = part.mid(4).join(' ');
    return series;
}

QDateTime slot(const QString &day, int minuteOfDay = 11 * 60)
{
    return QDateTime(days(day).value(0), Stamp::timeOfMinute(minuteOfDay));
}

QString daysText(const QList<QDate> &list)
{
    QStringList text;
    for (const QDate &day : list)
        text << (day.year() == 2026 && day.month() == 3 ? day.toString("dd")
                                                        : Stamp::formatDate(day));
    return text.join(' ');
}

// The message file and the stores on it, the clock at 10:00 AM on Saturday 14 March 2026.
struct Stores {
    TestEnvironment env;
    MessageStore messages { env.dataDir(), env.clock };
    SeriesStore series { env.dataDir(), messages, env.clock };

    // For each record of user 1, the text of the series it belongs to, with "<dd" for
    // the day that series ends, or "-".
    QString owners() const
    {
        QStringList result;
        for (const MessageRecord &record : messages.read(1)) {
            const std::optional<Series> owner = series.seriesAt(1, record.due());
            const QDate until = owner ? owner->repetition.until : QDate();
            result << (!owner ? "-"
                              : owner->text + (until.isValid() ? "<" + daysText({ until }) : ""));
        }
        return result.join(' ');
    }
};

} // namespace

class TestSeriesStore : public QObject {
    Q_OBJECT

private slots:
    // The stamps are local wall time; the summer-time rows need a zone whose clock skips
    // an hour: 2:00 to 3:00 AM on 29 March 2026.
    void initTestCase()
    {
        qputenv("TZ", "Europe/Berlin");
        ::tzset();
        QVERIFY(!QDateTime(QDate(2026, 3, 29), QTime(2, 30)).isValid());
    }

    // The days of a rule between two days, both included (all March 2026 to the year's end
    // when no window is given): counts run from the first occurrence, whatever the window; an
    // end date is the last day that may hold one.
    void ruleDays_data()
    {
        Columns<QString, QString, QString>({ "series", "window", "expected" });
        Row("once", "never 14 12:00 AM", "", "14");
        Row("daily over a leap day", "daily 2028/02/27 12:00 AM x4", "2028/01/01 2029/01/01",
            "2028/02/27 28 29 03/01");
        Row("daily until, inclusive", "daily 14 12:00 AM -16", "", "14 15 16");
        Row("daily count from the first, not from the window", "daily 01 12:00 AM x10", "08 04/01",
            "08 09 10");
        Row("daily, the window's last day", "daily 30 12:00 AM", "31 04/02", "31 04/01 02");
        Row("weekdays over a weekend", "weekdays 13 12:00 AM x3", "", "13 16 17");
        Row("weekdays from a Saturday", "weekdays 14 12:00 AM -17", "", "16 17");
        Row("weekly over the year's end", "weekly 12/24 12:00 AM -2027/01/14", "01/01 2028/01/01",
            "12/24 31 2027/01/07 14");
        Row("monthly on the 31st skips short months", "monthly 01/31 12:00 AM", "01/01 08/31",
            "01/31 03/31 05/31 07/31 08/31");
        Row("monthly on the 31st: skipped months not counted", "monthly 01/31 12:00 AM x3",
            "01/01 2027/01/01", "01/31 03/31 05/31");
        Row("monthly from 29 February", "monthly 2028/02/29 12:00 AM", "2029/01/01 2029/04/30",
            "2029/01/29 03/29 04/29");
        Row("monthly on the 30th in a leap February", "monthly 2028/01/30 12:00 AM x3",
            "2028/01/01 2029/01/01", "2028/01/30 03/30 04/30");
        Row("end before the first", "daily 14 12:00 AM -13", "", "");
    }
    void ruleDays()
    {
        QFETCH(QString, series);
        QFETCH(QString, window);
        QFETCH(QString, expected);
        const Series made = seriesOf(series);
        const QList<QDate> range = days(window.isEmpty() ? "01 2027/01/01" : window);
        QCOMPARE(made.repetition.days(made.first, range[0], range[1]), days(expected));
    }

    // A new series writes its occurrences from the present minute on (a year ahead at most:
    // extend's rows), in one rewrite; the occupied days are listed beforehand and the answer
    // decides. On the day summer time skips its minute the record stands at the first minute
    // after it, where it goes out and the grid shows it.
    void create_data()
    {
        Columns<QString, QString, bool, QString, QString>(
            { "before", "series", "skip", "occupied", "after" });
        Row("the minute past today is not written", "", "daily 14 09:00 AM x3 pill", true, "",
            "15-16 09:00 AMNpill|a@p,");
        Row("the present minute is", "", "daily 14 10:00 AM x2 pill", true, "",
            "14-15 10:00 AMNpill|a@p,");
        Row("replace", "16 11:00 AMNother|b@p,", "daily 15 11:00 AM x3 pill", false, "16",
            "15-17 11:00 AMNpill|a@p,");
        Row("skip", "16 11:00 AMNother|b@p,", "daily 15 11:00 AM x3 pill", true, "16",
            "15 11:00 AMNpill|a@p,;16 11:00 AMNother|b@p,;17 11:00 AMNpill|a@p,");
        Row("other minutes and unreadable lines stay", "junk;16 11:15 AMNother|",
            "daily 15 11:00 AM x2 pill", false, "",
            "junk;15 11:00 AMNpill|a@p,;16 11:00 AMNpill|a@p,;16 11:15 AMNother|");
        Row("summer time: 2:30 AM on the day it is skipped", "", "daily 28 02:30 AM x3 pill", true,
            "", "28 02:30 AMNpill|a@p,;29 03:00 AMNpill|a@p,;30 02:30 AMNpill|a@p,");
        Row("summer time: the minute after it taken", "29 03:00 AMNother|",
            "daily 28 02:30 AM x3 pill", true, "29",
            "28 02:30 AMNpill|a@p,;29 03:00 AMNother|;30 02:30 AMNpill|a@p,");
    }
    void create()
    {
        QFETCH(QString, before);
        QFETCH(QString, series);
        QFETCH(bool, skip);
        QFETCH(QString, after);
        Stores s;
        s.env.writeMessageFile(1, lines(before));
        const Series wanted = seriesOf(series);
        QTEST(daysText(s.series.occupiedDays(wanted)), "occupied");
        const Series created = s.series.create(
            wanted, skip ? SeriesStore::Occupied::Skip : SeriesStore::Occupied::Replace);
        const QStringList file = s.env.readMessageFile(1);
        QCOMPARE(file, lines(after));
        // What the series file gives back is what was created, for each day it wrote.
        QCOMPARE(QFile::permissions(s.series.filePath()),
            QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        QVERIFY(!created.written.isEmpty());
        for (const QString &line : file) {
            const MessageRecord record = MessageRecord::parse(CodePage::encode(line));
            const std::optional<Series> found = s.series.seriesAt(1, record.due());
            QCOMPARE(found.has_value(), record.text == "pill");
            QCOMPARE(found ? found->written : created.written, created.written);
            if (found) {
                QCOMPARE(found->id, created.id);
                QCOMPARE(found->repetition, wanted.repetition);
                QCOMPARE(found->first, wanted.first);
                QCOMPARE(found->minuteOfDay, wanted.minuteOfDay);
                QCOMPARE(found->recipients, wanted.recipients);
            }
        }
    }

    // A daily series of five, 15 to 19 March at 11:00 AM, then steps: by hand ("edit dd"
    // gives the record another text, "add" a line), or through the series ("detach dd",
    // "delete dd" and all later, "change dd" and all later to the series given, skipping
    // occupied days). A record changed by hand or taken out is no longer the series'
    // own and nothing of the series touches it again.
    void changes_data()
    {
        Columns<QString, QString, QString, QString>({ "steps", "occupied", "after", "owners" });
        const QString pill = "15-19 11:00 AMNpill|a@p,";
        Row("detach", "detach 17", "", pill, "pill pill - pill pill");
        Row("a record edited by hand", "edit 18", "",
            "15-17 11:00 AMNpill|a@p,;18 11:00 AMNmine|;19 11:00 AMNpill|a@p,",
            "pill pill pill - pill");
        Row("delete from here", "delete 17", "", "15-16 11:00 AMNpill|a@p,", "pill<16 pill<16");
        Row("delete from here: edited and detached records stay", "edit 18;detach 19;delete 17", "",
            "15-16 11:00 AMNpill|a@p,;18 11:00 AMNmine|;19 11:00 AMNpill|a@p,",
            "pill<16 pill<16 - -");
        Row("delete from the first", "delete 15", "", "", "");
        Row("change from here: its own records are not in the way",
            "change 17 daily 17 11:00 AM -19 new", "",
            "15-16 11:00 AMNpill|a@p,;17-19 11:00 AMNnew|a@p,",
            "pill<16 pill<16 new<19 new<19 new<19");
        Row("change from here: another message is",
            "add 18 12:00 PMNother|;change 17 daily 17 12:00 PM x3 new", "18",
            "15-16 11:00 AMNpill|a@p,;17 12:00 PMNnew|a@p,;18 12:00 PMNother|;19 12:00 PMNnew|a@p,",
            "pill<16 pill<16 new - new");
    }
    void changes()
    {
        QFETCH(QString, steps);
        Stores s;
        const Series first
            = s.series.create(seriesOf("daily 15 11:00 AM x5 pill"), SeriesStore::Occupied::Skip);
        QString occupied;
        for (const QString &step : steps.split(';', Qt::SkipEmptyParts)) {
            const QString what = step.section(' ', 0, 0), day = step.section(' ', 1, 1);
            if (what == "edit")
                s.messages.save(1, MessageRecord::compose(slot(day), "mine", {}));
            else if (what == "add")
                s.messages.save(1, MessageRecord::parse(CodePage::encode(lines(step.mid(4))[0])));
            else if (what == "detach")
                s.series.detach(1, slot(day));
            else if (what == "delete")
                s.series.deleteFromHere(1, slot(day));
            else {
                Series changed = seriesOf(step.section(' ', 2));
                changed.id = first.id;
                occupied = daysText(s.series.occupiedDays(changed));
                s.series.changeFromHere(1, slot(day), changed, SeriesStore::Occupied::Skip);
            }
        }
        QTEST(occupied, "occupied");
        QFETCH(QString, after);
        QCOMPARE(s.env.readMessageFile(1), lines(after));
        QTEST(s.owners(), "owners");
    }

    // At start and at each day's roll-over every series is written on to a year ahead of
    // the new today, up to its end; the days it reached before are never written again,
    // also where their record was removed, and nothing is written over another message.
    void extend_data()
    {
        Columns<QString, QString, int, bool, int, QString>(
            { "series", "before", "days", "written", "count", "last" });
        Row("a day later", "daily 14 11:00 AM pill", "", 1, true, 367, "2027/03/15");
        Row("the same day", "daily 14 11:00 AM pill", "", 0, false, 366, "2027/03/14");
        Row("a removed record is not written again", "daily 14 11:00 AM pill", "-2026/04/01", 1,
            true, 366, "2027/03/15");
        Row("another message in the way", "daily 14 11:00 AM pill", "2027/03/15 11:00 AMNother|", 1,
            false, 366, "2027/03/14");
        Row("weekly, a week later", "weekly 16 11:00 AM pill", "", 7, true, 53, "2027/03/15");
        Row("a count not reached yet", "daily 14 11:00 AM x400 pill", "", 40, true, 400,
            "2027/04/17");
        Row("the message file removed with its user", "daily 14 11:00 AM pill", "drop", 1, false, 0,
            "");
        Row("its user removed, the number taken again at once", "daily 14 11:00 AM pill", "forget",
            1, false, 0, "");
        Row("an end reached", "daily 14 11:00 AM -2026/12/31 pill", "", 30, false, 293,
            "2026/12/31");
    }
    void extend()
    {
        QFETCH(QString, series);
        QFETCH(QString, before);
        QFETCH(int, days);
        Stores s;
        s.series.create(seriesOf(series), SeriesStore::Occupied::Skip);
        if (before == "drop" || before == "forget") {
            s.messages.removeFile(1);
            if (before == "forget") {
                s.series.forgetUser(1);
                s.env.writeMessageFile(1, {});
            }
        } else if (before.startsWith('-'))
            s.messages.removeSlot(1, slot(before.mid(1)));
        else if (!before.isEmpty())
            s.messages.save(1, MessageRecord::parse(CodePage::encode(before)));
        s.env.clock.set(s.env.clock.now().addDays(days));
        QFETCH(bool, written);
        QCOMPARE(s.series.extend(), written ? QList { 1 } : QList<int>()); // the users written
        QCOMPARE(s.series.extend(), QList<int>()); // once a day is enough
        s.env.writeMessageFile(1, s.env.readMessageFile(1)); // a new user of that number
        QCOMPARE(s.series.extend(), QList<int>());
        QStringList pills = s.env.readMessageFile(1).filter("|a@p,");
        QTEST(int(pills.size()), "count");
        QTEST(pills.value(pills.size() - 1).left(10), "last");
    }

    // A series file that cannot be read as a whole is set aside under a name of its own,
    // reported once, and the message file stays as it is; the next series starts a new
    // file. One as the program writes it is read.
    void damagedFileSetAside_data()
    {
        Columns<QByteArray, QByteArray, bool>({ "change", "into", "damaged" });
        const auto row
            = [](const char *name, const char *change, const char *into, bool damaged = true) {
                  Row(name, QByteArray(change), QByteArray(into), damaged);
              };
        row("as written", "", "", false);
        row("as written, with CR LF line ends", "\n", "\r\n", false);
        row("another format", "Tolvane series 1", "Tolvane series 2");
        row("not a date", "first=2026/03/15", "first=2026/02/30");
        row("an unknown rule", "rule=daily", "rule=yearly");
        row("an unknown key", "rule=daily", "rule=daily\ncolour=red");
        row("a key twice", "user=1", "user=1\nuser=2");
        row("a key missing", "text=pill\n", "");
        row("a section twice", "\n[series 1]", "\n[series 1]\nuser=1\n[series 1]");
        row("not UTF-8", "text=pill", "text=pi\xffll");
        row("a folder", "", "folder");
    }
    void damagedFileSetAside()
    {
        QFETCH(QByteArray, change);
        QFETCH(QByteArray, into);
        QFETCH(bool, damaged);
        Stores s;
        s.env.writeMessageFile(1, lines("15-16 11:00 AMNpill|a@p,"));
        const QByteArray messages = s.env.readMessageFileBytes(1);
        QByteArray content = "Tolvane series 1\n\n[series 1]\nuser=1\nrule=daily\ntimes=2\n"
                             "first=2026/03/15\ntime=11:00 AM\ntext=pill\nrecipient=a@p\n"
                             "through=2027/03/14\nwritten=2026/03/15 2026/03/16\n";
        if (!change.isEmpty())
            content.replace(change, into);
        const QString path = s.series.filePath(), aside = path + ".damaged-20260314-100000";
        QFile file(path), setAside(aside);
        QVERIFY(into == "folder"
                ? QDir().mkpath(path + "/inside")
                : file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();

        QCOMPARE(s.series.extend(), QList<int>());
        QCOMPARE(s.env.readMessageFileBytes(1), messages);
        QCOMPARE(QFileInfo::exists(aside), damaged);
        QCOMPARE(QFileInfo(aside).isDir(), into == "folder");
        QCOMPARE(QFileInfo::exists(path), !damaged);
        // What was set aside, as it was (a folder cannot be read).
        QCOMPARE(setAside.open(QIODevice::ReadOnly) ? setAside.readAll() : "",
            damaged && into != "folder" ? content : "");
        QCOMPARE(s.series.takeWarning().contains(aside), damaged);
        QVERIFY(s.series.takeWarning().isEmpty());
        s.series.create(seriesOf("daily 17 11:00 AM x1 more"), SeriesStore::Occupied::Skip);
        Series timeless = seriesOf("daily 18 11:00 AM none"); // writes nothing, keeps nothing
        timeless.minuteOfDay = -1;
        s.series.create(timeless, SeriesStore::Occupied::Skip);
        QVERIFY(s.series.seriesAt(1, slot("17")).has_value());
        QCOMPARE(s.series.seriesAt(1, slot("16")).has_value(), !damaged);
        QVERIFY(s.series.takeWarning().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSeriesStore)
#include "tst_seriesstore.moc"

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/Stamp.h"

namespace Stamp {

namespace {

int digit(char16_t u)
{
    return (u >= '0' && u <= '9') ? int(u - '0') : -1;
}

int digit(QChar c)
{
    return digit(c.unicode());
}

int digit(char c)
{
    return digit(char16_t(static_cast<unsigned char>(c)));
}

// The value of n digits from position pos, or -1 when any is not a digit.
template<class View> int number(View text, qsizetype pos, qsizetype n)
{
    int value = 0;
    for (qsizetype i = pos; i < pos + n; ++i) {
        const int d = digit(text[i]);
        if (d < 0)
            return -1;
        value = value * 10 + d;
    }
    return value;
}

// The readers parse the date of every line of a file (a full file is 35,040 lines), and
// QDate's own checking and conversion of the parts (the check done twice) took a third of
// the instructions of a reload of the ten files. The same Gregorian arithmetic, done once:
bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month)
{
    static constexpr int Days[12] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return month == 2 && isLeapYear(year) ? 29 : Days[month - 1];
}

// Julian day number of a date of year 1 or later (Fliegel and Van Flandern).
qint64 julianDay(int year, int month, int day)
{
    const int a = (14 - month) / 12;
    const qint64 y = qint64(year) + 4800 - a;
    const int m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

template<class View> QDate parseDateImpl(View text)
{
    if (text.size() != DateLength || text[4] != '/' || text[7] != '/')
        return {};
    const int year = number(text, 0, 4);
    const int month = number(text, 5, 2);
    const int day = number(text, 8, 2);
    // QDate has no year 0; the four digits give no negative years.
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return {};
    return QDate::fromJulianDay(julianDay(year, month, day));
}

template<class View> int parseTimeImpl(View text)
{
    if (text.size() != TimeLength || text[2] != ':' || text[5] != ' ' || text[7] != 'M')
        return NoTime;
    const int hour = number(text, 0, 2);
    const int minute = number(text, 3, 2);
    if (hour < 1 || hour > 12 || minute < 0 || minute > 59)
        return NoTime;
    int hour24 = hour % 12;
    if (text[6] == 'P')
        hour24 += 12;
    else if (text[6] != 'A')
        return NoTime;
    return hour24 * 60 + minute;
}

} // namespace

QDate parseDate(QStringView text)
{
    return parseDateImpl(text);
}

QDate parseDate(QByteArrayView text)
{
    return parseDateImpl(text);
}

int parseTime(QStringView text)
{
    return parseTimeImpl(text);
}

int parseTime(QByteArrayView text)
{
    return parseTimeImpl(text);
}

bool parseStamp(QByteArrayView line, QDate &date, int &minuteOfDay)
{
    if (line.size() < StampLength || line[DateLength] != ' ')
        return false;
    const QDate d = parseDate(line.first(DateLength));
    if (!d.isValid())
        return false;
    const int minute = parseTime(line.sliced(DateLength + 1, TimeLength));
    if (minute == NoTime)
        return false;
    date = d;
    minuteOfDay = minute;
    return true;
}

QString formatDate(QDate date)
{
    return QStringLiteral("%1/%2/%3")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'));
}

QString formatTime(int minuteOfDay)
{
    const int hour24 = minuteOfDay / 60;
    const int minute = minuteOfDay % 60;
    int hour12 = hour24 % 12;
    if (hour12 == 0)
        hour12 = 12;
    return QStringLiteral("%1:%2 %3")
        .arg(hour12, 2, 10, QLatin1Char('0'))
        .arg(minute, 2, 10, QLatin1Char('0'))
        .arg(hour24 < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

QString formatStamp(const QDateTime &moment)
{
    return formatDate(moment.date()) + QLatin1Char(' ') + formatTime(minuteOfDay(moment.time()));
}

int minuteOfDay(const QTime &time)
{
    return time.hour() * 60 + time.minute();
}

QTime timeOfMinute(int minuteOfDay)
{
    return QTime(minuteOfDay / 60, minuteOfDay % 60);
}

QDateTime startOfMinute(const QDateTime &moment)
{
    return QDateTime(moment.date(), timeOfMinute(minuteOfDay(moment.time())));
}

QDateTime dueMoment(const QDate &date, int minuteOfDay)
{
    if (!date.isValid() || minuteOfDay < 0)
        return {};
    for (int minute = minuteOfDay; minute < 24 * 60; ++minute)
        if (const QDateTime at(date, timeOfMinute(minute)); at.isValid())
            return at;
    return date.addDays(1).startOfDay();
}

} // namespace Stamp

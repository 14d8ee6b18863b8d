// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>

// The clock texts of the message files: dates "YYYY/MM/DD", times "HH:MM AMPM" on the
// 12-hour clock with a two-digit hour, and the 19-character stamp "YYYY/MM/DD HH:MM AMPM".
// Parsed and written here by hand, so that neither the locale nor a lenient parser
// changes what a file means.
namespace Stamp {

constexpr int DateLength = 10;
constexpr int TimeLength = 8;
constexpr int StampLength = 19;
constexpr int NoTime = -1;

// An invalid QDate when the text is not a real date in that form.
QDate parseDate(QStringView text);
QDate parseDate(QByteArrayView text);

// Minute of the day (0..1439), or NoTime when the text is not a time in that form.
int parseTime(QStringView text);
int parseTime(QByteArrayView text);

// The date and minute of the day of the stamp a line begins with (the date, a blank,
// the time). Both are left as they were when the line has no such stamp.
bool parseStamp(QByteArrayView line, QDate &date, int &minuteOfDay);

QString formatDate(QDate date);
QString formatTime(int minuteOfDay); // "09:30 PM"
QString formatStamp(const QDateTime &moment); // seconds dropped

int minuteOfDay(const QTime &time);
QTime timeOfMinute(int minuteOfDay);
// The moment with its seconds dropped: the minute the program compares by.
QDateTime startOfMinute(const QDateTime &moment);
// When a minute of a day falls due: that minute, or for one the clock skips when summer
// time begins, the first minute after it that the clock shows (3:00 AM for 2:30 AM in
// most of Europe). Invalid for an invalid date or minute.
QDateTime dueMoment(const QDate &date, int minuteOfDay);

} // namespace Stamp

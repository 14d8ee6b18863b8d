// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QString>
#include <QStringView>

// The rows of the day grid: row 0 is the heading, rows 1 to 96 the quarter hours of the
// day (row r starts at (r - 1) x 15 minutes), row 97 a blank row for records that round
// past 11:45 PM.
namespace DaySlots {

constexpr int FirstSlotRow = 1;
constexpr int LastSlotRow = 96;
constexpr int BlankRow = 97;
constexpr int EightAmRow = 33;

// The time column's label of a slot row: "12:00 AM", "8:15 AM", "11:45 PM" in English, the
// locale's own short format elsewhere ("08:15" in German).
QString label(int row);

// The row of a minute of the day: the nearest quarter hour (08:07 to 8:00 AM, 08:08 to
// 8:15 AM), 11:53 PM and later to the blank row.
int rowOfMinute(int minuteOfDay);

// The row of a record's time part "HH:MM AMPM"; 0 when it is not a time.
int rowOfTime(QStringView time);

// The minute of the day a slot row starts at.
int minuteOfRow(int row);

} // namespace DaySlots

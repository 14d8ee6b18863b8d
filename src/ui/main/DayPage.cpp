// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/main/DayPage.h"

#include <array>

namespace DayPage {

namespace {

bool isLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int monthKey(int month, bool leap)
{
    static constexpr std::array<int, 12> keys { 1, 4, 4, 0, 2, 5, 0, 3, 6, 1, 4, 6 };
    const int key = keys[month - 1];
    return (leap && month <= 2) ? key - 1 : key;
}

int centuryCode(int year)
{
    if (year < 1800)
        return 4;
    if (year < 1900)
        return 2;
    if (year < 2000)
        return 0;
    if (year < 2100)
        return 6;
    return 4;
}

} // namespace

QDate firstDay(QDate date)
{
    if (!date.isValid() || date.year() < FirstYear || date.year() > LastYear)
        return {};
    const int year = date.year();
    const int month = date.month();
    const int yy = year % 100;
    const int s = yy + yy / 4 + monthKey(month, isLeap(year)) + 1 + centuryCode(year);
    const int w = s % 7; // 1 Sunday, 2 Monday, ..., 6 Friday, 0 Saturday
    int offset;
    if (w == 1)
        offset = -7;
    else if (w == 0)
        offset = -6;
    else
        offset = -(w - 1);
    return QDate(year, month, 1).addDays(offset);
}

} // namespace DayPage

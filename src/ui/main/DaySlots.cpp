// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/main/DaySlots.h"

#include "platform/ShownTime.h"
#include "store/Stamp.h"

#include <cmath>

namespace DaySlots {

int minuteOfRow(int row)
{
    return (row - 1) * 15;
}

QString label(int row)
{
    return ShownTime::time(Stamp::timeOfMinute(minuteOfRow(row)), false);
}

int rowOfMinute(int minuteOfDay)
{
    return static_cast<int>(std::lround(minuteOfDay / 15.0)) + 1;
}

int rowOfTime(QStringView time)
{
    const int minute = Stamp::parseTime(time);
    return minute == Stamp::NoTime ? 0 : rowOfMinute(minute);
}

} // namespace DaySlots

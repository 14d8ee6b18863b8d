#include "ui/main/DaySlots.h"

#include "store/Stamp.h"

#include <cmath>

namespace DaySlots {

int minuteOfRow(int row)
{
    return (row - 1) * 15;
}

QString label(int row)
{
    const int minute = minuteOfRow(row);
    const int hour24 = minute / 60;
    const int hour12 = hour24 % 12 == 0 ? 12 : hour24 % 12;
    return QStringLiteral("%1:%2 %3")
        .arg(hour12)
        .arg(minute % 60, 2, 10, QLatin1Char('0'))
        .arg(hour24 < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
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

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "store/Repetition.h"

QList<QDate> Repetition::days(const QDate &first, const QDate &from, const QDate &last) const
{
    QList<QDate> found;
    if (!first.isValid() || !from.isValid() || !last.isValid())
        return found;
    const QDate end = until.isValid() && until < last ? until : last;
    // A count runs from the first occurrence, so every walk starts there; even ten years of
    // days are walked in a moment.
    int counted = 0;
    const auto take = [&](const QDate &day) {
        if (day > end || (times > 0 && counted == times))
            return false;
        ++counted;
        if (day >= from)
            found.append(day);
        return true;
    };
    switch (rule) {
    case Rule::Never:
        take(first);
        break;
    case Rule::Daily:
        for (QDate day = first; take(day); day = day.addDays(1)) { }
        break;
    case Rule::Weekdays:
        // Monday to Friday only: a first day on a weekend is no occurrence itself.
        for (QDate day = first; day <= end; day = day.addDays(1))
            if (day.dayOfWeek() <= 5 && !take(day))
                break;
        break;
    case Rule::Weekly:
        for (QDate day = first; take(day); day = day.addDays(7)) { }
        break;
    case Rule::Monthly:
        // A month without the first day's day of the month (the 31st in April, the 29th
        // to 31st in February) is skipped, and not counted.
        for (QDate month(first.year(), first.month(), 1); month <= end;
             month = month.addMonths(1)) {
            const QDate day(month.year(), month.month(), first.day());
            if (day.isValid() && !take(day))
                break;
        }
        break;
    }
    return found;
}

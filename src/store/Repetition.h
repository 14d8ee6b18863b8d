// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDate>
#include <QList>

// How a message repeats: on which days after its first, and until when. A monthly message
// falls on the first day's day of the month; a month without that day is skipped (and not
// counted). Every weekday means Monday to Friday: a first day on a weekend is itself none.
struct Repetition {
    enum class Rule { Never, Daily, Weekdays, Weekly, Monthly };

    Rule rule = Rule::Never;
    QDate until; // when valid: the last day an occurrence may fall on
    int times = 0; // when above 0: how many occurrences there are, counted from the first

    // The series' days from `from` to `last`, both included, for a series whose first
    // occurrence is on `first`; never beyond its end.
    QList<QDate> days(const QDate &first, const QDate &from, const QDate &last) const;

    bool operator==(const Repetition &) const = default;
};

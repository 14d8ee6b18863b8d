// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDate>

// The calendar page of a month: six weeks of seven days, Sunday first, starting on the
// Sunday before the 1st, a full week earlier when the 1st is itself a Sunday, so that
// the 1st always lies in the first week row.
namespace DayPage {

constexpr int FirstYear = 1753;
constexpr int LastYear = 2199;
constexpr int Days = 42;

// The first day of the page of the date's month, by the key-value method; an invalid
// date for years outside FirstYear..LastYear, where the method's century codes end.
QDate firstDay(QDate date);

} // namespace DayPage

// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QDateTime>
#include <QString>
#include <QTime>

// Times and dates as the windows show them, in the user's locale (QLocale(): the system's,
// or the default a test sets). An English locale keeps the program's own 12-hour texts
// ("8:15 AM" as a row's label, "08:15 AM" elsewhere, "2026/12/24 09:30 AM"); any other
// locale shows its own formats ("08:15", "24.12.26 09:30" in German). The message files
// keep their stamps whatever the locale (store/Stamp.h).
namespace ShownTime {

QString time(QTime time, bool twoDigitHour = true);
QString date(QDate date);
QString dateTime(const QDateTime &moment);
// The format of date(), for a date the user edits.
QString dateFormat();

} // namespace ShownTime

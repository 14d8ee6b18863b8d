// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/ShownTime.h"

#include <QLocale>

namespace ShownTime {

namespace {

bool english(const QLocale &locale)
{
    return locale.language() == QLocale::English || locale.language() == QLocale::C;
}

} // namespace

QString time(QTime time, bool twoDigitHour)
{
    const QLocale locale;
    if (!english(locale))
        return locale.toString(time, QLocale::ShortFormat);
    return QLocale::c().toString(time, twoDigitHour ? u"hh:mm AP" : u"h:mm AP");
}

QString dateFormat()
{
    const QLocale locale;
    return english(locale) ? QStringLiteral("yyyy/MM/dd") : locale.dateFormat(QLocale::ShortFormat);
}

QString date(QDate date)
{
    const QLocale locale;
    return english(locale) ? QLocale::c().toString(date, u"yyyy/MM/dd")
                           : locale.toString(date, QLocale::ShortFormat);
}

QString dateTime(const QDateTime &moment)
{
    return date(moment.date()) + QLatin1Char(' ') + time(moment.time());
}

} // namespace ShownTime

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

QString dateTime(const QDateTime &moment)
{
    const QLocale locale;
    const QString date = english(locale) ? QLocale::c().toString(moment.date(), u"yyyy/MM/dd")
                                         : locale.toString(moment.date(), QLocale::ShortFormat);
    return date + QLatin1Char(' ') + time(moment.time());
}

} // namespace ShownTime

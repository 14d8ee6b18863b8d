// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/main/RowState.h"

#include <QCoreApplication>
#include <QIcon>
#include <QPalette>
#include <QStyle>
#include <QTableWidgetItem>
#include <algorithm>
#include <cmath>

namespace RowStates {

namespace {

const char *const Context = "RowState";
constexpr double LeastContrast = 4.5;

double luminance(const QColor &c)
{
    const auto channel
        = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

QColor mix(const QColor &from, const QColor &to, double share)
{
    const auto blend = [&](float a, float b) { return a + (b - a) * float(share); };
    return QColor::fromRgbF(blend(from.redF(), to.redF()), blend(from.greenF(), to.greenF()),
        blend(from.blueF(), to.blueF()));
}

// The colour moved towards black on a light background, towards white on a dark one, by
// the least step that makes it readable.
QColor readable(const QColor &colour, const QColor &background)
{
    const QColor away = luminance(background) > 0.18 ? Qt::black : Qt::white;
    for (int step = 0; step <= 20; ++step) {
        const QColor tried = mix(colour, away, step / 20.0);
        if (contrast(tried, background) >= LeastContrast)
            return tried;
    }
    return away;
}

} // namespace

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor colour(RowState state, const QPalette &palette)
{
    const QColor base = palette.color(QPalette::Base);
    const QColor text = palette.color(QPalette::Text);
    switch (state) {
    case RowState::Waiting:
        return text;
    case RowState::Sent: // the text's colour faded towards the background: done
        return readable(mix(text, base, 0.45), base);
    case RowState::NotSent:
        return readable(QColor(255, 0, 0), base);
    }
    return text;
}

QPalette withReadableSelection(QPalette palette)
{
    for (const auto group : { QPalette::Active, QPalette::Inactive }) {
        const QColor text = palette.color(group, QPalette::HighlightedText);
        palette.setColor(
            group, QPalette::Highlight, readable(palette.color(group, QPalette::Highlight), text));
    }
    return palette;
}

void show(QTableWidgetItem &cell, const QString &time, const QString &text, RowState state,
    const QPalette &palette, const QStyle &style)
{
    static const char *const tips[] = { QT_TRANSLATE_NOOP("RowState", "Waiting to be sent"),
        QT_TRANSLATE_NOOP("RowState", "Sent"), QT_TRANSLATE_NOOP("RowState", "Not sent") };
    static const char *const spoken[] = { QT_TRANSLATE_NOOP("RowState", "waiting"),
        QT_TRANSLATE_NOOP("RowState", "sent"), QT_TRANSLATE_NOOP("RowState", "not sent") };
    const int index = int(state);
    cell.setText(text);
    cell.setForeground(colour(state, palette));
    cell.setIcon(state == RowState::Sent ? style.standardIcon(QStyle::SP_DialogApplyButton)
            : state == RowState::NotSent ? style.standardIcon(QStyle::SP_MessageBoxWarning)
                                         : QIcon());
    cell.setToolTip(QCoreApplication::translate(Context, tips[index]));
    cell.setData(Qt::AccessibleTextRole,
        QStringLiteral("%1, %2, %3")
            .arg(time, text, QCoreApplication::translate(Context, spoken[index])));
}

void showPending(QTableWidgetItem &cell, const QString &time, const QString &text,
    const QString &note, const QPalette &palette, const QStyle &style)
{
    show(cell, time, text, RowState::Waiting, palette, style);
    cell.setIcon(style.standardIcon(QStyle::SP_BrowserReload));
    cell.setToolTip(note);
    cell.setData(Qt::AccessibleTextRole, QStringLiteral("%1, %2, %3").arg(time, text, note));
}

void clear(QTableWidgetItem &cell, const QString &time)
{
    cell.setText(QString());
    cell.setIcon(QIcon());
    cell.setToolTip(QString());
    cell.setData(Qt::AccessibleTextRole,
        QCoreApplication::translate("RowState", "%1, no message").arg(time));
}

} // namespace RowStates

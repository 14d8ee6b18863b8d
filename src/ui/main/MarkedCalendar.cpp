// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/main/MarkedCalendar.h"

#include "ui/main/CalendarDays.h"
#include "ui/main/DayPage.h"

#include <QPainter>
#include <QPainterPath>
#include <QTextCharFormat>

MarkedCalendar::MarkedCalendar(QWidget *parent)
    : QCalendarWidget(parent)
{
    setFirstDayOfWeek(Qt::Sunday);
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    // The page computation has no century codes beyond these years.
    setDateRange(QDate(DayPage::FirstYear, 1, 1), QDate(DayPage::LastYear, 12, 31));
    // A screen reader hears which days hold messages.
    CalendarDays::installFactory();
}

void MarkedCalendar::marksChanged()
{
    setDateTextFormat(QDate(), QTextCharFormat());
    QTextCharFormat marked;
    marked.setToolTip(tr("Has messages"));
    for (int i = 1; m_firstGridDate.isValid() && i <= DayPage::Days; ++i)
        if (m_marks[i].visible)
            setDateTextFormat(m_firstGridDate.addDays(i - 1), marked);
    updateCells();
}

void MarkedCalendar::hideMarks(const QColor &background)
{
    for (Mark &mark : m_marks)
        mark = { false, background };
}

int MarkedCalendar::markIndex(const QDate &date) const
{
    if (!m_firstGridDate.isValid() || !date.isValid())
        return 0;
    const qint64 i = m_firstGridDate.daysTo(date) + 1;
    return (i >= 1 && i <= DayPage::Days) ? static_cast<int>(i) : 0;
}

void MarkedCalendar::paintCell(QPainter *painter, const QRect &rect, QDate date) const
{
    QCalendarWidget::paintCell(painter, rect, date);
    const int i = markIndex(date);
    if (i == 0 || !m_marks[i].visible)
        return;

    // The check picture: 16 x 19 pixels at the right edge of the cell, on the mark's
    // back colour.
    const QSize size(16, 19);
    const QRect box(rect.right() - size.width() - 1,
        rect.top() + (rect.height() - size.height()) / 2, size.width(), size.height());
    painter->save();
    painter->fillRect(box, m_marks[i].background);
    painter->setRenderHint(QPainter::Antialiasing);
    QPainterPath check;
    check.moveTo(box.left() + 3, box.top() + 10);
    check.lineTo(box.left() + 7, box.top() + 14);
    check.lineTo(box.left() + 13, box.top() + 4);
    painter->setPen(QPen(QColor(0, 128, 0), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter->drawPath(check);
    painter->restore();
}

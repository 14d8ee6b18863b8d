// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QCalendarWidget>
#include <QColor>
#include <array>

// The month calendar of the main window. Each of the 42 day cells of a page can carry a
// check mark; mark i (1..42) belongs to the i-th day counted row by row from the page's
// first day, and mark 0 is never shown. The marks are painted into the cells from their
// state alone, so painting never reads a file.
class MarkedCalendar : public QCalendarWidget {
    Q_OBJECT
public:
    struct Mark {
        bool visible = false;
        QColor background;
    };

    explicit MarkedCalendar(QWidget *parent = nullptr);

    Mark &mark(int index) { return m_marks.at(index); }
    const Mark &mark(int index) const { return m_marks.at(index); }
    // Every mark hidden, on the given background.
    void hideMarks(const QColor &background);

    // The first day of the page the marks belong to.
    void setFirstGridDate(const QDate &date) { m_firstGridDate = date; }
    QDate firstGridDate() const { return m_firstGridDate; }

    // The mark index of a day of the page, or 0 when the day is not on it.
    int markIndex(const QDate &date) const;

    // Repaints the day cells after the marks changed; a marked day's tooltip says that it
    // holds messages.
    void marksChanged();

protected:
    void paintCell(QPainter *painter, const QRect &rect, QDate date) const override;

private:
    std::array<Mark, 43> m_marks;
    QDate m_firstGridDate;
};

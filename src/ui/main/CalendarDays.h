// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

class MarkedCalendar;
class QTableView;

// What a screen reader finds in the day table of a MarkedCalendar: the table and its
// cells as Qt's own table gives them, except that a day whose mark shows reads as
// "14, has messages". The calendar's model is its own, so the cells cannot carry the
// text in a model role; this interface reads the view and the calendar's marks instead.
class CalendarDays : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    CalendarDays(QTableView *view, const MarkedCalendar *calendar);
    ~CalendarDays() override;

    // Answers for the day table of every MarkedCalendar; installed once.
    static void installFactory();

    // QAccessibleInterface
    void *interface_cast(QAccessible::InterfaceType type) override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

    // QAccessibleTableInterface
    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface *> selectedCells() const override;
    QString columnDescription(int) const override { return QString(); }
    QString rowDescription(int) const override { return QString(); }
    int columnCount() const override;
    int rowCount() const override;
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *) override { }

    QTableView *view() const;
    // The name of a cell: the day, and whether the day holds messages.
    QString cellName(int row, int column) const;

private:
    QPointer<const MarkedCalendar> m_calendar;
    mutable QHash<int, QAccessible::Id> m_cells;
};

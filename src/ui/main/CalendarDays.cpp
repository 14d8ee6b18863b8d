// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/main/CalendarDays.h"

#include "ui/main/DayPage.h"
#include "ui/main/MarkedCalendar.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QTableView>

namespace {

// One cell of the table: a day, a weekday's name, or a place of the view's hidden headers
// (row or column -1), which Qt's table counts among the children and the view's focus
// events count in.
class DayCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    DayCell(const CalendarDays *table, int row, int column)
        : m_table(table->view())
        , m_row(row)
        , m_column(column)
    {
    }

    bool isValid() const override { return m_table && days(); }
    QObject *object() const override { return nullptr; }
    QAccessibleInterface *parent() const override { return table(); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessible::Role role() const override
    {
        if (m_row < 0)
            return m_column < 0 ? QAccessible::Pane : QAccessible::ColumnHeader;
        return m_column < 0 ? QAccessible::RowHeader : QAccessible::Cell;
    }
    void setText(QAccessible::Text, const QString &) override { }
    QString text(QAccessible::Text t) const override
    {
        const CalendarDays *table = days();
        return t == QAccessible::Name && table && m_row >= 0 && m_column >= 0
            ? table->cellName(m_row, m_column)
            : QString();
    }
    QModelIndex index() const { return m_table->model()->index(m_row, m_column); }
    QRect rect() const override
    {
        QRect r = m_table->visualRect(index());
        if (r.isNull())
            return r;
        return r.translated(m_table->viewport()->mapToGlobal(QPoint(0, 0)));
    }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!m_table)
            return s;
        s.selectable = s.focusable = (index().flags() & Qt::ItemIsSelectable) != 0;
        s.selected = isSelected();
        s.focused = m_table->currentIndex() == index();
        s.invisible = !QRect(m_table->viewport()->mapToGlobal(QPoint(0, 0)), m_table->size())
                           .intersects(rect());
        return s;
    }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TableCellInterface
            ? static_cast<QAccessibleTableCellInterface *>(this)
            : nullptr;
    }

    bool isSelected() const override
    {
        return m_table && m_table->selectionModel()->isSelected(index());
    }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override
    {
        return m_table ? QAccessible::queryAccessibleInterface(m_table) : nullptr;
    }

private:
    CalendarDays *days() const
    {
        return m_table ? static_cast<CalendarDays *>(QAccessible::queryAccessibleInterface(m_table))
                       : nullptr;
    }

    QPointer<QTableView> m_table;
    int m_row;
    int m_column;
};

QAccessibleInterface *calendarDaysFactory(const QString &className, QObject *object)
{
    if (className != QLatin1String("QCalendarView"))
        return nullptr;
    auto *view = qobject_cast<QTableView *>(object);
    const auto *calendar = view ? qobject_cast<const MarkedCalendar *>(view->parent()) : nullptr;
    return calendar ? new CalendarDays(view, calendar) : nullptr;
}

} // namespace

CalendarDays::CalendarDays(QTableView *view, const MarkedCalendar *calendar)
    : QAccessibleWidget(view, QAccessible::Table)
    , m_calendar(calendar)
{
}

CalendarDays::~CalendarDays()
{
    for (QAccessible::Id id : std::as_const(m_cells))
        QAccessible::deleteAccessibleInterface(id);
}

void CalendarDays::installFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory(&calendarDaysFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

QTableView *CalendarDays::view() const
{
    return static_cast<QTableView *>(widget());
}

void *CalendarDays::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

int CalendarDays::rowCount() const
{
    return view()->model() ? view()->model()->rowCount() : 0;
}

int CalendarDays::columnCount() const
{
    return view()->model() ? view()->model()->columnCount() : 0;
}

// As in Qt's own table, the children are counted row by row with the hidden headers: the
// header row first, and in each row the row's header first.
int CalendarDays::childCount() const
{
    return (rowCount() + 1) * (columnCount() + 1);
}

QAccessibleInterface *CalendarDays::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    if (const auto id = m_cells.constFind(index); id != m_cells.constEnd())
        return QAccessible::accessibleInterface(*id);
    const int width = columnCount() + 1;
    auto *cell = new DayCell(this, index / width - 1, index % width - 1);
    m_cells.insert(index, QAccessible::registerAccessibleInterface(cell));
    return cell;
}

int CalendarDays::indexOfChild(const QAccessibleInterface *child) const
{
    const QAccessibleTableCellInterface *cell
        = const_cast<QAccessibleInterface *>(child)->tableCellInterface();
    return cell && child->parent() == this
        ? (cell->rowIndex() + 1) * (columnCount() + 1) + cell->columnIndex() + 1
        : -1;
}

QAccessibleInterface *CalendarDays::cellAt(int row, int column) const
{
    if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount())
        return nullptr;
    return child((row + 1) * (columnCount() + 1) + column + 1);
}

QAccessibleInterface *CalendarDays::childAt(int x, int y) const
{
    const QModelIndex index = view()->indexAt(view()->viewport()->mapFromGlobal(QPoint(x, y)));
    return index.isValid() ? cellAt(index.row(), index.column()) : nullptr;
}

int CalendarDays::selectedCellCount() const
{
    return static_cast<int>(view()->selectionModel()->selectedIndexes().size());
}

QList<QAccessibleInterface *> CalendarDays::selectedCells() const
{
    QList<QAccessibleInterface *> cells;
    for (const QModelIndex &index : view()->selectionModel()->selectedIndexes())
        cells << cellAt(index.row(), index.column());
    return cells;
}

QString CalendarDays::cellName(int row, int column) const
{
    const QAbstractItemModel *model = view()->model();
    const QString shown = model ? model->index(row, column).data().toString() : QString();
    // The first model row holds the weekdays' names; the 42 days follow row by row, in
    // the order of the calendar's marks.
    const int mark = (row - 1) * columnCount() + column + 1;
    if (row < 1 || !m_calendar || mark > DayPage::Days || !m_calendar->mark(mark).visible)
        return shown;
    return QCoreApplication::translate("MarkedCalendar", "%1, has messages").arg(shown);
}

#include "ui/main/FlexGrid.h"

#include <QScrollBar>

FlexGrid::FlexGrid(QWidget *parent)
    : QTableWidget(parent)
{
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
}

int FlexGrid::TopRow() const
{
    if (m_pendingTopRow > 0)
        return m_pendingTopRow;
    return verticalScrollBar()->value() + 1;
}

void FlexGrid::setTopRow(int row)
{
    m_pendingTopRow = row;
    applyTopRow();
}

QTableWidgetItem *FlexGrid::cell(int row, int column)
{
    QTableWidgetItem *it = item(row - 1, column);
    if (!it) {
        it = new QTableWidgetItem;
        setItem(row - 1, column, it);
    }
    return it;
}

void FlexGrid::updateGeometries()
{
    QTableWidget::updateGeometries();
    applyTopRow();
}

void FlexGrid::applyTopRow()
{
    if (m_pendingTopRow <= 0)
        return;
    QScrollBar *bar = verticalScrollBar();
    const int wanted = m_pendingTopRow - 1;
    // Until the grid is laid out its scroll range is empty and the row cannot be reached.
    if (bar->maximum() == 0 && wanted > 0)
        return;
    bar->setValue(wanted);
    m_pendingTopRow = 0;
}

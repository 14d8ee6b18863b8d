// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ui/main/DayGrid.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QStylePainter>

namespace {

// Room beside a text in its cell, as the style draws it.
constexpr int TextMargin = 12;

} // namespace

DayGrid::DayGrid(QWidget *parent)
    : QTableWidget(parent)
{
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    // The corner button draws an empty header section; the heading is drawn over it.
    // Enabled, so that it is drawn like the other headings (a click selects nothing: the
    // grid has no selection).
    if (auto *corner = findChild<QAbstractButton *>())
        corner->installEventFilter(this);
}

int DayGrid::topRow() const
{
    if (m_pendingTopRow > 0)
        return m_pendingTopRow;
    return verticalScrollBar()->value() + 1;
}

void DayGrid::setTopRow(int row)
{
    m_pendingTopRow = row;
    applyTopRow();
}

QTableWidgetItem *DayGrid::cell(int row, int column)
{
    if (column == 0) {
        QTableWidgetItem *label = verticalHeaderItem(row - 1);
        if (!label) {
            label = new QTableWidgetItem;
            setVerticalHeaderItem(row - 1, label);
        }
        return label;
    }
    QTableWidgetItem *it = item(row - 1, 0);
    if (!it) {
        it = new QTableWidgetItem;
        setItem(row - 1, 0, it);
    }
    return it;
}

void DayGrid::setTimeHeading(const QString &text, const QFont &font)
{
    m_timeHeading = text;
    m_timeHeadingFont = font;
    if (auto *corner = findChild<QAbstractButton *>())
        corner->update();
}

void DayGrid::fitMessageColumn()
{
    if (columnCount() < 1 || m_fitting)
        return;
    m_fitting = true;
    int widest = 0;
    for (int row = 0; row < rowCount(); ++row) {
        if (const QTableWidgetItem *it = item(row, 0); it && !it->text().isEmpty())
            widest = qMax(widest, fontMetrics().horizontalAdvance(it->text()) + TextMargin);
    }
    const int width = qMax(viewport()->width(), widest);
    if (columnWidth(0) != width)
        setColumnWidth(0, width);
    m_fitting = false;
}

void DayGrid::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    const int sideways = horizontalScrollBar()->value();
    QTableWidget::scrollTo(index, hint);
    horizontalScrollBar()->setValue(sideways);
}

void DayGrid::updateGeometries()
{
    QTableWidget::updateGeometries();
    // The viewport's width changes with the window and with the vertical scroll bar.
    fitMessageColumn();
    applyTopRow();
}

void DayGrid::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)
        && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && currentRow() >= 0) {
        emit rowActivated();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void DayGrid::focusInEvent(QFocusEvent *event)
{
    // Coming in by Tab, the keys start at the first row in view, not at midnight.
    if (currentRow() < 0 && rowCount() > 0)
        setCurrentCell(topRow() - 1, 0);
    QTableWidget::focusInEvent(event);
}

bool DayGrid::eventFilter(QObject *watched, QEvent *event)
{
    auto *corner = qobject_cast<QAbstractButton *>(watched);
    if (corner && event->type() == QEvent::Paint) {
        QStyleOptionHeader option;
        option.initFrom(corner);
        option.state |= QStyle::State_Enabled | QStyle::State_Horizontal;
        option.rect = corner->rect();
        option.position = QStyleOptionHeader::OnlyOneSection;
        option.text = m_timeHeading;
        option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        QStylePainter painter(corner);
        painter.setFont(m_timeHeadingFont);
        painter.drawControl(QStyle::CE_Header, option);
        return true;
    }
    return QTableWidget::eventFilter(watched, event);
}

void DayGrid::applyTopRow()
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

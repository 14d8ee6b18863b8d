// SPDX-FileCopyrightText: 2026 The Tolvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QTableWidget>

// The day grid: the heading row is the horizontal header, and the times are the vertical
// header, so that they stay in view however far a long text is scrolled sideways; the
// header's corner carries the heading "Time". Rows are counted as the program counts
// them, from 1 (the first row under the heading), and column 0 is the time, column 1 the
// message.
class DayGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit DayGrid(QWidget *parent = nullptr);

    // The first row scrolled into view. A row asked for before the grid can scroll (it is
    // not shown yet) is scrolled to once it can.
    int topRow() const;
    void setTopRow(int row);

    // The cell of a row (from 1) and a column: 0 the time label, 1 the message. Created
    // when missing.
    QTableWidgetItem *cell(int row, int column);

    // The heading over the time labels.
    void setTimeHeading(const QString &text, const QFont &font);
    QString timeHeading() const { return m_timeHeading; }

    // The message column as wide as the grid, or as its longest text: no sideways scroll
    // bar while every text fits.
    void fitMessageColumn();

    // Moves to a cell vertically only: a click or a key never shifts the view sideways.
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;

signals:
    // Enter, Return or Space on a row: it is opened as a click opens it.
    void rowActivated();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void updateGeometries() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyTopRow();

    int m_pendingTopRow = 0;
    QString m_timeHeading;
    QFont m_timeHeadingFont;
    bool m_fitting = false;
};

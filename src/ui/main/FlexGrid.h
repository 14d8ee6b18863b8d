#pragma once

#include <QTableWidget>

// The day grid: the heading row is the horizontal header, the time column is column 0.
// Rows are counted as the program counts them, from 1 (the first row under the heading).
class FlexGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget *parent = nullptr);

    // The first row scrolled into view. A row asked for before the grid can scroll (it is
    // not shown yet) is scrolled to once it can.
    int TopRow() const;
    void setTopRow(int row);

    // The cell of a row (from 1) and a column; created when missing.
    QTableWidgetItem *cell(int row, int column);

protected:
    void updateGeometries() override;

private:
    void applyTopRow();

    int m_pendingTopRow = 0;
};

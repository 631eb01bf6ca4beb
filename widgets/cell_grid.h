// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTableWidget>

namespace sg {

// An editable grid that reports every selection of a cell: a press on a
// selectable cell, the current one included, and every keyboard move to
// another cell. A press that also moves the current cell is reported once.
class CellGrid : public QTableWidget {
    Q_OBJECT
public:
    CellGrid(int rows, int columns, QWidget* parent);

signals:
    void cellSelected();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool pressing_ = false;
};

// A grid as the windows use it: no headers, scroll bars or frame, one
// selected cell at a time, every cell editable in place and holding an
// item, the text drawn 2 pixels from the left edge and never elided. An
// editor hands every keystroke to its cell at once, so the cell's text is
// what the user sees in it.
CellGrid* makeGrid(QWidget* parent, const char* name, int rows, int columns, int x, int y, int w, int h);

// Makes a cell a fixed label: not selectable, not editable, on the window colour.
void makeFixed(QTableWidget* grid, int row, int column);

}  // namespace sg

// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/cell_grid.h"

#include "widgets/window_style.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace sg {

CellGrid::CellGrid(int rows, int columns, QWidget* parent) : QTableWidget(rows, columns, parent) {
    connect(this, &QTableWidget::currentCellChanged, this, [this] {
        if (!pressing_) emit cellSelected();
    });
}

void CellGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    const bool selectable = index.isValid() && (model()->flags(index) & Qt::ItemIsSelectable);
    pressing_ = true;
    QTableWidget::mousePressEvent(event);
    pressing_ = false;
    if (selectable) emit cellSelected();
}

namespace {

class GridDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        const QString text = o.text;
        o.text.clear();
        const QWidget* w = option.widget;
        QStyle* style = w ? w->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &o, painter, w);
        painter->save();
        painter->setClipRect(o.rect);
        const bool selected = o.state & QStyle::State_Selected;
        painter->setPen(o.palette.color(QPalette::Normal, selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(o.font);
        painter->drawText(o.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
        painter->restore();
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setTextMargins(0, 0, 0, 0);
            auto* self = const_cast<GridDelegate*>(this);
            // Only while the editor is open: a closed one waits hidden for its deletion.
            QObject::connect(line, &QLineEdit::textEdited, self, [self, line] {
                if (line->isVisible()) emit self->commitData(line);
            });
        }
        return editor;
    }
};

}  // namespace

CellGrid* makeGrid(QWidget* parent, const char* name, int rows, int columns, int x, int y, int w, int h) {
    auto* grid = new CellGrid(rows, columns, parent);
    grid->setObjectName(name);
    grid->setGeometry(x, y, w, h);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setFrameShape(QFrame::NoFrame);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    grid->setItemDelegate(new GridDelegate(grid));
    grid->verticalHeader()->setMinimumSectionSize(1);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) grid->setItem(r, c, new QTableWidgetItem());
    return grid;
}

void makeFixed(QTableWidget* grid, int row, int column) {
    QTableWidgetItem* item = grid->item(row, column);
    item->setFlags(Qt::NoItemFlags);
    item->setBackground(kWindowColour);
    item->setForeground(Qt::black);
}

}  // namespace sg

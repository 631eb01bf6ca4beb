// SPDX-License-Identifier: GPL-3.0-or-later
#include "help/help_widgets.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>

#include <algorithm>

namespace sg {

PicturePanel::PicturePanel(QWidget* parent, const QImage& picture, int width, int height)
    : QWidget(parent), picture_(picture) {
    setFixedSize(width, height);
}

void PicturePanel::paintEvent(QPaintEvent*) {
    if (picture_.isNull()) return;
    QPainter p(this);
    p.setClipRect(rect());
    p.drawImage(0, 0, picture_);
}

QListWidget* makeTextList(QWidget* parent, const QStringList& lines) {
    auto* list = new QListWidget(parent);
    list->setObjectName("textList");
    list->addItems(lines);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    return list;
}

namespace {
constexpr int kTabHeight = 20;
}

PageControl::PageControl(QWidget* parent)
    : QWidget(parent), tabs_(new QButtonGroup(this)), pages_(new QStackedWidget(this)) {
    tabs_->setExclusive(true);
    connect(tabs_, &QButtonGroup::idClicked, pages_, &QStackedWidget::setCurrentIndex);
    pages_->setFrameShape(QFrame::Panel);
    pages_->setFrameShadow(QFrame::Raised);
}

void PageControl::addPage(const QString& caption, QWidget* page) {
    auto* tab = new QPushButton(caption, this);
    tab->setObjectName("Tab" + caption.trimmed());
    tab->setCheckable(true);
    tab->setFocusPolicy(Qt::TabFocus);
    const int id = static_cast<int>(captions_.size());
    tabs_->addButton(tab, id);
    captions_.push_back(caption);
    pages_->addWidget(page);
    if (id == 0) tab->setChecked(true);
    layoutTabs();
}

int PageControl::currentIndex() const { return pages_->currentIndex(); }

void PageControl::setCurrentIndex(int index) {
    if (QAbstractButton* tab = tabs_->button(index)) tab->setChecked(true);
    pages_->setCurrentIndex(index);
}

QWidget* PageControl::page(int index) const { return pages_->widget(index); }

void PageControl::resizeEvent(QResizeEvent*) { layoutTabs(); }

// Tabs from the left, as wide as their captions, wrapping to a new row
// when the next one would pass the right edge.
void PageControl::layoutTabs() {
    int x = 0, row = 0;
    for (int id = 0; id < count(); ++id) {
        QAbstractButton* tab = tabs_->button(id);
        const int w = tab->fontMetrics().horizontalAdvance(tab->text()) + 16;
        if (x > 0 && x + w > width()) {
            x = 0;
            ++row;
        }
        tab->setGeometry(x, row * kTabHeight, w, kTabHeight);
        x += w;
    }
    rows_ = row + 1;
    pages_->setGeometry(0, rows_ * kTabHeight, width(), std::max(0, height() - rows_ * kTabHeight));
}

}  // namespace sg

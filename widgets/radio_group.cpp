// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/radio_group.h"

#include "widgets/window_style.h"

#include <QButtonGroup>
#include <QPainter>
#include <QRadioButton>
#include <QStyle>

namespace sg {

RadioGroupBox::RadioGroupBox(QWidget* parent, const QString& caption) : QWidget(parent), caption_(caption) {
    setAttribute(Qt::WA_NoMousePropagation);
}

int RadioGroupBox::frameTop() const { return fontMetrics().height() / 2; }

void RadioGroupBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // An etched frame: a grey line with a white one inside it, one pixel apart.
    const QRect frame = rect().adjusted(0, frameTop(), -1, -1);
    p.setPen(QColor(128, 128, 128));
    p.drawRect(frame.adjusted(0, 0, -1, -1));
    p.setPen(Qt::white);
    p.drawRect(frame.adjusted(1, 1, 0, 0));
    if (!caption_.isEmpty()) {
        const int width = fontMetrics().horizontalAdvance(caption_);
        const QRect text(8, 0, width, fontMetrics().height());
        p.fillRect(text, palette().color(QPalette::Window));
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, caption_);
    }
}

QButtonGroup* makeRadioGroup(QWidget* parent, const char* name, const char* caption, int x, int y, int w, int h,
                             const std::vector<const char*>& items, int columns) {
    auto* box = new RadioGroupBox(parent, caption);
    box->setObjectName(name);
    box->setGeometry(x, y, w, h);
    auto* group = new QButtonGroup(box);
    group->setObjectName(QString(name) + "Buttons");
    const int count = static_cast<int>(items.size());
    const int rows = (count + columns - 1) / columns;
    // Items start two pixels below the frame's top line.
    const int top = box->frameTop() + 2, left = 6;
    const double rowHeight = (h - top - 2) / static_cast<double>(rows);
    const int columnWidth = (w - left - 2) / columns;
    for (int i = 0; i < count; ++i) {
        auto* button = new QRadioButton(items[static_cast<std::size_t>(i)], box);
        button->setObjectName(QString(name) + "Item" + QString::number(i));
        group->addButton(button, i);
        const int row = i % rows, column = i / rows;
        const int itemTop = top + static_cast<int>(row * rowHeight);
        button->setGeometry(left + column * columnWidth, itemTop, columnWidth, static_cast<int>(rowHeight));
        // The indicator, its gap and the caption must fit the column.
        const int indicator = button->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, button) +
                              button->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, button);
        button->setFont(fitFontToWidth(button->font(), button->text(), columnWidth - indicator));
    }
    return group;
}

}  // namespace sg

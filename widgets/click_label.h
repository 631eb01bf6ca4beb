// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QMouseEvent>

#include <functional>

namespace sg {

// A label or panel that acts as a button on a press.
class ClickLabel : public QLabel {
public:
    ClickLabel(const QString& text, QWidget* parent, std::function<void()> onClick)
        : QLabel(text, parent), onClick_(std::move(onClick)) {}

protected:
    void mousePressEvent(QMouseEvent* e) override {
        e->accept();
        onClick_();
    }

private:
    std::function<void()> onClick_;
};

}  // namespace sg

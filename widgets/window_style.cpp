// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/window_style.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QString>
#include <QWidget>

namespace sg {

QFont windowFont() {
    static const QFont font = [] {
        const char* dir = "/usr/share/fonts/truetype/liberation2/";
        const int id = QFontDatabase::addApplicationFont(QString(dir) + "LiberationSans-Regular.ttf");
        QFontDatabase::addApplicationFont(QString(dir) + "LiberationSans-Bold.ttf");
        const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
        QFont f(families.isEmpty() ? QString("Sans Serif") : families.first());
        f.setPixelSize(11);
        return f;
    }();
    return font;
}

QFont withPixelSize(QFont f, int pixels, bool bold) {
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

void applyWindowStyle(QWidget* window) {
    window->setFont(windowFont());
    QPalette p = window->palette();
    p.setColor(QPalette::Window, kWindowColour);
    p.setColor(QPalette::Button, kWindowColour);
    window->setPalette(p);
    window->setAutoFillBackground(true);
}

namespace {
int pixelSizeOf(const QFont& font) {
    if (font.pixelSize() > 0) return font.pixelSize();
    return QFontInfo(font).pixelSize();
}
}  // namespace

QFont fitFontToWidth(const QFont& font, const QString& text, int width) {
    QFont f = font;
    for (int px = pixelSizeOf(font); px >= 7; --px) {
        f.setPixelSize(px);
        if (QFontMetrics(f).horizontalAdvance(text) <= width) return f;
    }
    return f;
}

void fitCaptionToWidget(QWidget* widget) {
    QFont f = widget->font();
    for (int px = pixelSizeOf(f); px > 7 && widget->sizeHint().width() > widget->width();) {
        f.setPixelSize(--px);
        widget->setFont(f);
    }
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(x, y);
    label->adjustSize();
    label->setAttribute(Qt::WA_NoMousePropagation);
    return label;
}

QFrame* makeBevel(QWidget* parent, int x, int y, int w, int h) {
    auto* bevel = new QFrame(parent);
    bevel->setFrameShape(QFrame::Box);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(x, y, w, h);
    bevel->setAttribute(Qt::WA_NoMousePropagation);
    bevel->lower();
    return bevel;
}

}  // namespace sg

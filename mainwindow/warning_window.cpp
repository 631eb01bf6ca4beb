// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow/warning_window.h"

#include "widgets/click_label.h"
#include "widgets/window_style.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace sg {

namespace {

QFont sized(QFont f, int points, bool bold) {
    f.setPointSize(points);
    f.setBold(bold);
    return f;
}

}  // namespace

WarningWindow::WarningWindow(QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("warningWindow");
    setWindowTitle("Warning");
    resize(869, 147);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFont(windowFont());
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0, 128, 128));
    setPalette(p);
    setAutoFillBackground(true);

    auto* title = new QLabel("W A R N I N G", this);
    title->setObjectName("titleLabel");
    title->setGeometry(360, 8, 116, 20);
    title->setAlignment(Qt::AlignCenter);
    title->setFont(fitFontToWidth(sized(font(), 12, true), title->text(), title->width() - 4));
    title->setStyleSheet("background-color: rgb(255, 0, 0);");
    title->setAttribute(Qt::WA_NoMousePropagation);

    line1_ = new QLabel(this);
    line1_->setObjectName("Line1");
    line1_->move(20, 45);
    line2_ = new QLabel(this);
    line2_->setObjectName("Line2");
    line2_->move(20, 80);

    auto* ok = new ClickLabel(" O K ", this, [this] { onOk(); });
    ok->setObjectName("okLabel");
    ok->setGeometry(400, 112, 48, 24);
    ok->setFont(fitFontToWidth(sized(font(), 14, true), ok->text(), ok->width()));
    ok->setStyleSheet("background-color: rgb(255, 255, 255);");
}

void WarningWindow::showWarning(const std::string& line1, const std::string& line2) {
    // Covering the screen also where no window manager maximises it.
    const QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    QRect cover = parentWidget() != nullptr ? parentWidget()->frameGeometry() : QRect();
    if (screen != nullptr) cover = cover.united(screen->geometry());
    if (!cover.isEmpty()) setGeometry(cover);
    showMaximized();
    raise();
    line1_->setText(QString::fromStdString(line1));
    line1_->adjustSize();
    line2_->setText(QString::fromStdString(line2));
    line2_->adjustSize();
}

void WarningWindow::onOk() { hide(); }

QString WarningWindow::line1() const { return line1_->text(); }
QString WarningWindow::line2() const { return line2_->text(); }

}  // namespace sg

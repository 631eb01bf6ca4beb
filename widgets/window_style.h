// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The look every window of the program shares: the silver window colour,
// the window font, and fitting a caption into the box the layout gives it.

#include <QColor>
#include <QFont>

class QFrame;
class QLabel;
class QString;
class QWidget;

namespace sg {

inline const QColor kWindowColour(192, 192, 192);

// Liberation Sans at 11 pixels: the size and width of the 8-point screen
// font the layouts were made for.
QFont windowFont();

QFont withPixelSize(QFont f, int pixels, bool bold);

// Gives the window the silver background and the window font.
void applyWindowStyle(QWidget* window);

// The largest pixel size, at most the font's own, at which the text fits in
// `width` pixels (never below 7); the font unchanged when it fits already.
QFont fitFontToWidth(const QFont& font, const QString& text, int width);

// Shrinks the widget's font until its size hint is no wider than its
// width, for captions that must fit the box the layout gives them.
void fitCaptionToWidget(QWidget* widget);

// A label with its top left at (x, y), sized to its text; presses on it do
// not reach the window below.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int x, int y);

// A sunken frame behind other controls.
QFrame* makeBevel(QWidget* parent, int x, int y, int w, int h);

}  // namespace sg

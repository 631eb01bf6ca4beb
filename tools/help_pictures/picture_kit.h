// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the help pictures share: the program's font at other sizes, blank
// sheets, pens, arrows, labels with leader lines, hatching and dimension
// lines. The 1-bit drawings are drawn without anti-aliasing in black on
// white, so that their pixels survive the conversion to two colours as
// they were drawn.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QString>

namespace hp {

// DejaVu Sans (Liberation Sans when it is missing) loaded from its file, at
// a pixel size. Text is drawn without anti-aliasing unless asked, as the
// program's own canvas draws it. Throws std::runtime_error when neither font
// file can be loaded: the pictures must not depend on the system's fonts.
QFont drawingFont(int pixelSize, bool bold = false, bool antialias = false);

// A sheet of the given size in one colour, 32 bits per pixel.
QImage blankSheet(int width, int height, QColor background = Qt::white);

// A painter set up for the 1-bit drawings: black 1-pixel pen, no brush, no
// anti-aliasing, the 11-pixel font.
void startInk(QPainter& p);

// A solid black pen of the given width, square caps.
void setInk(QPainter& p, double width = 1);
// A dashed black pen: dash and gap in pixels.
void setDashedInk(QPainter& p, double dash, double gap, double width = 1);

// A filled arrow head with its tip at `tip`, pointing away from `from`.
void arrowHead(QPainter& p, QPointF tip, QPointF from, double length = 7, double halfWidth = 3);
// A line from `from` to `to` with a head at `to`.
void arrow(QPainter& p, QPointF from, QPointF to, double length = 7, double halfWidth = 3);
// A dimension line with heads at both ends.
void dimension(QPainter& p, QPointF a, QPointF b, double length = 6, double halfWidth = 2.5);

// Text with its top left corner at (x, top) in the painter's font.
void textAt(QPainter& p, double x, double top, const QString& text);
// Text centred on cx with its top at `top`.
void textCentred(QPainter& p, double cx, double top, const QString& text);
// The width of a text in the painter's font.
int textWidth(const QPainter& p, const QString& text);
// The line height of the painter's font.
int textHeight(const QPainter& p);

// A label at (x, top) with a leader line from the nearer end of the text
// (left or right, at mid-height) to `target`, with a dot at the target.
void label(QPainter& p, double x, double top, const QString& text, QPointF target, bool dot = true);

// Diagonal hatching of a region, lines `spacing` pixels apart (measured
// along x), rising to the right when `rising`.
void hatch(QPainter& p, const QPainterPath& region, double spacing, bool rising = true);

// The optical axis: long dash, short dash.
void drawAxis(QPainter& p, double x1, double x2, double y);

// A grating seen edge-on: a column of short bars, its lines.
void drawGratingEdgeOn(QPainter& p, double x, double top, double bottom);

// A small filled dot.
void dot(QPainter& p, QPointF centre, double radius = 1.5);

// An eye seen from the side, looking left, its cornea at (x, y).
void drawEye(QPainter& p, double x, double y);

}  // namespace hp

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shading for the illustrations: a paper backdrop, metal, wood and glass
// fills, screw heads, knurled knobs, soft shadows and call-out labels,
// all drawn with anti-aliasing.

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QString>

namespace hp {

// A sheet with a soft paper-grey backdrop, lighter at the top.
QImage illustrationSheet(int width, int height);

// Anti-aliasing on, dark ink, the label font (DejaVu Sans, anti-aliased).
void startIllustration(QPainter& p, int fontPixels = 11);

// A metal fill across the line a -> b: dark edge, bright band, mid tone.
QLinearGradient metalAcross(QPointF a, QPointF b, QColor base);

// Fills a path with a brush and outlines it in a darker tone of `edge`.
void fillOutlined(QPainter& p, const QPainterPath& path, const QBrush& brush, QColor edge, double width = 1);
void fillOutlined(QPainter& p, const QRectF& rect, const QBrush& brush, QColor edge, double width = 1);

// A soft shadow of a path, offset down and right.
void softShadow(QPainter& p, const QPainterPath& path, QPointF offset = QPointF(3, 4));

// A round screw head with a slot at an angle (degrees).
void screwHead(QPainter& p, QPointF centre, double radius, double slotAngle = 30);

// A knurled knob, the side of a cylinder seen across its axis: `rect`
// spans the knob, `vertical` when its axis runs up and down.
void knurledKnob(QPainter& p, const QRectF& rect, bool vertical, QColor base = QColor(150, 150, 150));

// A coil spring along a line.
void coilSpring(QPainter& p, QPointF a, QPointF b, double halfWidth, int turns, QColor colour);

// A wood fill: warm gradient with darker grain lines.
void woodBlock(QPainter& p, const QRectF& rect, bool grainAlongX = true);

// A label with a thin leader ending in a dot on `target`.
void callout(QPainter& p, double x, double top, const QString& text, QPointF target);

}  // namespace hp

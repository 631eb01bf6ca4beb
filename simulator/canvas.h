// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An off-screen drawing surface with the pen and brush state and the
// primitives that the program's windows draw with. Coordinates are pixels,
// origin top left, y downward. Shapes given by two corners cover the pixels
// from the first corner up to, not including, the second (a line covers its
// first point and stops before its last; an ellipse fills the box
// [x1, x2) x [y1, y2)). Drawing outside the image is clipped.

#include "model/view_options.h"

#include <QImage>
#include <QFont>
#include <QRgb>

#include <optional>
#include <string>

namespace sg {

inline QRgb toQRgb(Rgb c) { return qRgb(c.r, c.g, c.b); }
inline Rgb fromQRgb(QRgb c) {
    return Rgb{static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
               static_cast<std::uint8_t>(qBlue(c))};
}

// The font of the drawings: DejaVu Sans at 11 pixels, drawn without
// anti-aliasing so that text pixels are the same on every machine.
QFont canvasFont();

class Canvas {
public:
    // A surface of the given size, filled with the window colour (silver).
    Canvas(int width, int height);

    const QImage& image() const { return image_; }
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    Rgb pixel(int x, int y) const { return fromQRgb(image_.pixel(x, y)); }

    // Pen, brush and text state; they stay until changed.
    void setPenColour(Rgb c) { penColour_ = c; }
    Rgb penColour() const { return penColour_; }
    void setPenWidth(int w) { penWidth_ = w < 1 ? 1 : w; }
    int penWidth() const { return penWidth_; }
    void setBrushColour(Rgb c) { brushColour_ = c; }
    Rgb brushColour() const { return brushColour_; }
    void setBrushHollow(bool hollow) { brushHollow_ = hollow; }
    bool brushHollow() const { return brushHollow_; }
    void setTextColour(Rgb c) { textColour_ = c; }
    Rgb textColour() const { return textColour_; }
    // The font of drawText, drawn without anti-aliasing; the canvas font
    // until set.
    void setTextFont(const QFont& font);

    void setPixel(int x, int y, Rgb c);
    // Line with the current pen: the first point up to, not including, the
    // last. A wider pen (3 pixels for markers) paints a square of its width
    // centred on every point, both ends included. A line that moves at most
    // one column costs only its visible rows, however long it is.
    void drawLine(int x1, int y1, int x2, int y2);
    void drawHLine(int y, int x1, int x2) { drawLine(x1, y, x2, y); }
    void drawVLine(int x, int y1, int y2) { drawLine(x, y1, x, y2); }
    // Ellipse inscribed in the box: a pixel belongs to it when its square
    // meets the ellipse's interior. The pen draws its one-pixel rim, the
    // brush fills the rest unless hollow.
    void drawEllipse(int x1, int y1, int x2, int y2);
    // Outline only, whatever the brush: the ellipse of box (cx-r, cy-r, cx+r, cy+r).
    void drawCircle(int cx, int cy, int radius);
    // Rectangle: pen rim and brush fill of [x1, x2) x [y1, y2).
    void drawRectangle(int x1, int y1, int x2, int y2);
    // Fills x1..x2, y1..y2 (both borders included) with the colour; the pen
    // and brush stay as they are.
    void fillRect(int x1, int y1, int x2, int y2, Rgb c);
    // Fills the rectangle with silver, its right and bottom border included
    // (x1..x2, y1..y2), so that a graph reaching its box's lower edge is
    // erased too; the pen and brush are silver afterwards.
    void eraseRect(int x1, int y1, int x2, int y2);
    // Text with its top left at (x, y) in the canvas font, on the brush
    // colour unless the brush is hollow.
    void drawText(int x, int y, const std::string& text);

    // Raw row access for the hot loops of the passes.
    QRgb* row(int y) { return reinterpret_cast<QRgb*>(image_.scanLine(y)); }

private:
    // The image's pixels for one drawing operation: taken once per
    // operation, so that a picture shared with a copy is detached once.
    struct Pixels {
        uchar* bits;
        qsizetype bytesPerLine;
        int width, height;
        void plot(int x, int y, QRgb c) const {
            if (x < 0 || y < 0 || x >= width || y >= height) return;
            reinterpret_cast<QRgb*>(bits + y * bytesPerLine)[x] = c;
        }
        void fillSpan(int y, int x1, int x2, QRgb c) const;  // x1..x2 included, clipped
    };
    Pixels pixels();
    void stamp(const Pixels& p, int x, int y, QRgb c) const;
    void drawSteepLine(const Pixels& p, int x1, int y1, int x2, int y2, QRgb c);
    static const QFont& canvasFontRef();

    QImage image_;
    Rgb penColour_ = kBlack;
    int penWidth_ = 1;
    Rgb brushColour_ = kSilver;
    bool brushHollow_ = false;
    Rgb textColour_ = kBlack;
    std::optional<QFont> textFont_;
};

}  // namespace sg

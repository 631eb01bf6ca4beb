// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/canvas.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace sg {

QFont canvasFont() {
    static const QFont font = [] {
        const int id = QFontDatabase::addApplicationFont("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
        const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
        QFont f(families.isEmpty() ? QString("Sans Serif") : families.first());
        f.setPixelSize(11);
        f.setStyleStrategy(QFont::NoAntialias);
        f.setHintingPreference(QFont::PreferFullHinting);
        return f;
    }();
    return font;
}

const QFont& Canvas::canvasFontRef() {
    static const QFont font = canvasFont();
    return font;
}

void Canvas::setTextFont(const QFont& font) {
    QFont f = font;
    f.setStyleStrategy(QFont::NoAntialias);
    textFont_ = f;
}

Canvas::Canvas(int width, int height) : image_(width, height, QImage::Format_RGB32) {
    image_.fill(toQRgb(kSilver));
}

Canvas::Pixels Canvas::pixels() {
    return Pixels{image_.bits(), image_.bytesPerLine(), image_.width(), image_.height()};
}

void Canvas::setPixel(int x, int y, Rgb c) { pixels().plot(x, y, toQRgb(c)); }

void Canvas::Pixels::fillSpan(int y, int x1, int x2, QRgb c) const {
    if (y < 0 || y >= height) return;
    x1 = std::max(x1, 0);
    x2 = std::min(x2, width - 1);
    if (x1 > x2) return;
    QRgb* r = reinterpret_cast<QRgb*>(bits + y * bytesPerLine);
    std::fill(r + x1, r + x2 + 1, c);
}

void Canvas::stamp(const Pixels& p, int x, int y, QRgb c) const {
    if (penWidth_ == 1) {
        p.plot(x, y, c);
        return;
    }
    const int lo = -(penWidth_ - 1) / 2;
    const int hi = penWidth_ / 2;
    for (int dy = lo; dy <= hi; ++dy)
        for (int dx = lo; dx <= hi; ++dx) p.plot(x + dx, y + dy, c);
}

void Canvas::drawLine(int x1, int y1, int x2, int y2) {
    const QRgb c = toQRgb(penColour_);
    const bool wide = penWidth_ > 1;
    // A line whose pen cannot touch the image draws nothing.
    const std::int64_t reach = penWidth_;
    if (std::max<std::int64_t>(x1, x2) + reach < 0 || std::min<std::int64_t>(x1, x2) - reach >= image_.width() ||
        std::max<std::int64_t>(y1, y2) + reach < 0 || std::min<std::int64_t>(y1, y2) - reach >= image_.height())
        return;
    const Pixels p = pixels();
    if (std::abs(static_cast<std::int64_t>(x2) - x1) <= 1) {
        drawSteepLine(p, x1, y1, x2, y2, c);
        return;
    }
    // Bresenham from the first point towards the last.
    const int dx = std::abs(x2 - x1), sx = x1 < x2 ? 1 : -1;
    const int dy = -std::abs(y2 - y1), sy = y1 < y2 ? 1 : -1;
    int err = dx + dy;
    int x = x1, y = y1;
    while (!(x == x2 && y == y2)) {
        stamp(p, x, y, c);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    if (wide) stamp(p, x2, y2, c);  // a wide pen caps both ends
}

// The pixels the stepping below gives for a line that moves at most one
// column, found without stepping, so that a line of any length costs only
// its visible rows. With n = |y2 - y1| rows, the first (n - 1) / 2 + 1 rows
// lie in the first column and the rest in the second; the last point is
// left out, as always, and a wide pen caps it.
void Canvas::drawSteepLine(const Pixels& p, int x1, int y1, int x2, int y2, QRgb c) {
    const std::int64_t n = std::abs(static_cast<std::int64_t>(y2) - y1);
    const int sy = y1 < y2 ? 1 : -1;
    const std::int64_t split = x1 == x2 ? n : (n == 0 ? 0 : (n - 1) / 2);  // last row in the first column
    // Only the rows whose pen square can meet the image.
    const std::int64_t lo = -penWidth_, hi = static_cast<std::int64_t>(image_.height()) + penWidth_;
    std::int64_t jFirst = 0, jLast = n - 1;
    if (x1 != x2 && n == 0) jLast = 0;  // one step across: the first point only
    const std::int64_t a = sy > 0 ? lo - y1 : y1 - hi;
    const std::int64_t b = sy > 0 ? hi - y1 : y1 - lo;
    jFirst = std::max(jFirst, a);
    jLast = std::min(jLast, b);
    for (std::int64_t j = jFirst; j <= jLast; ++j)
        stamp(p, j <= split ? x1 : x2, static_cast<int>(y1 + sy * j), c);
    if (penWidth_ > 1) stamp(p, x2, y2, c);
}

namespace {

// The pixel span [lo, hi] of each row of an ellipse inscribed in the box
// [x1, x2] x [y1, y2] (continuous coordinates, pixel i covering [i, i + 1)).
struct EllipseSpans {
    int top = 0;
    std::vector<int> lo, hi;  // empty rows have lo > hi
};

EllipseSpans ellipseSpans(int x1, int y1, int x2, int y2) {
    EllipseSpans s;
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    s.top = y1;
    const double cx = (x1 + x2) / 2.0, cy = (y1 + y2) / 2.0;
    const double a = (x2 - x1) / 2.0, b = (y2 - y1) / 2.0;
    const int rows = y2 - y1;
    s.lo.assign(static_cast<std::size_t>(std::max(rows, 0)), 1);
    s.hi.assign(static_cast<std::size_t>(std::max(rows, 0)), 0);
    if (a <= 0 || b <= 0) return s;
    for (int j = 0; j < rows; ++j) {
        const double top = y1 + j, bottom = top + 1;
        const double nearest = std::clamp(cy, top, bottom);  // the row's y nearest the centre
        const double q = (nearest - cy) / b;
        if (q * q >= 1) continue;
        const double half = a * std::sqrt(1 - q * q);
        s.lo[static_cast<std::size_t>(j)] = static_cast<int>(std::floor(cx - half));
        s.hi[static_cast<std::size_t>(j)] = static_cast<int>(std::ceil(cx + half)) - 1;
    }
    return s;
}

}  // namespace

void Canvas::drawEllipse(int x1, int y1, int x2, int y2) {
    const EllipseSpans s = ellipseSpans(x1, y1, x2, y2);
    const Pixels p = pixels();
    const QRgb pen = toQRgb(penColour_), brush = toQRgb(brushColour_);
    const int rows = static_cast<int>(s.lo.size());
    auto lo = [&](int j) { return j >= 0 && j < rows ? s.lo[static_cast<std::size_t>(j)] : 1; };
    auto hi = [&](int j) { return j >= 0 && j < rows ? s.hi[static_cast<std::size_t>(j)] : 0; };
    for (int j = 0; j < rows; ++j) {
        const int y = s.top + j;
        const int a = lo(j), b = hi(j);
        if (a > b) continue;
        // Inside pixels have all four neighbours in the ellipse: in this row
        // between the ends, and within the spans of the rows above and below.
        const int innerLo = std::max({a + 1, lo(j - 1), lo(j + 1)});
        const int innerHi = std::min({b - 1, hi(j - 1), hi(j + 1)});
        if (innerLo > innerHi) {
            p.fillSpan(y, a, b, pen);
            continue;
        }
        p.fillSpan(y, a, innerLo - 1, pen);
        p.fillSpan(y, innerHi + 1, b, pen);
        if (!brushHollow_) p.fillSpan(y, innerLo, innerHi, brush);
    }
}

void Canvas::drawCircle(int cx, int cy, int radius) {
    const bool hollow = brushHollow_;
    brushHollow_ = true;
    drawEllipse(cx - radius, cy - radius, cx + radius, cy + radius);
    brushHollow_ = hollow;
}

void Canvas::drawRectangle(int x1, int y1, int x2, int y2) {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    const QRgb pen = toQRgb(penColour_), brush = toQRgb(brushColour_);
    const Pixels p = pixels();
    for (int y = y1; y < y2; ++y)
        for (int x = x1; x < x2; ++x) {
            const bool rim = x == x1 || x == x2 - 1 || y == y1 || y == y2 - 1;
            if (rim)
                p.plot(x, y, pen);
            else if (!brushHollow_)
                p.plot(x, y, brush);
        }
}

void Canvas::fillRect(int x1, int y1, int x2, int y2, Rgb c) {
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    const Pixels p = pixels();
    for (int y = y1; y <= y2; ++y) p.fillSpan(y, x1, x2, toQRgb(c));
}

void Canvas::eraseRect(int x1, int y1, int x2, int y2) {
    penColour_ = kSilver;
    brushColour_ = kSilver;
    brushHollow_ = false;
    fillRect(x1, y1, x2, y2, kSilver);
}

void Canvas::drawText(int x, int y, const std::string& text) {
    const QString s = QString::fromStdString(text);
    const QFont& font = textFont_ ? *textFont_ : canvasFontRef();
    const QFontMetrics metrics(font);
    QPainter p(&image_);
    p.setFont(font);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    if (!brushHollow_) p.fillRect(x, y, metrics.horizontalAdvance(s), metrics.height(), QColor(toQRgb(brushColour_)));
    p.setPen(QColor(toQRgb(textColour_)));
    p.drawText(x, y + metrics.ascent(), s);
}

}  // namespace sg

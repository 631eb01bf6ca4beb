// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/picture_checks.h"

#include <sstream>

namespace sg::testing {

int countColour(const QImage& image, Rgb colour, int x1, int y1, int x2, int y2) {
    if (x2 < 0) x2 = image.width();
    if (y2 < 0) y2 = image.height();
    const QRgb c = toQRgb(colour);
    int n = 0;
    for (int y = y1; y < y2; ++y)
        for (int x = x1; x < x2; ++x)
            if ((image.pixel(x, y) & 0xffffff) == (c & 0xffffff)) ++n;
    return n;
}

void forEachPixel(const QImage& image, Rgb colour, const std::function<void(int, int)>& f) {
    const QRgb c = toQRgb(colour) & 0xffffff;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xffffff) == c) f(x, y);
}

std::string firstDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        std::ostringstream s;
        s << "sizes " << a.width() << "x" << a.height() << " and " << b.width() << "x" << b.height();
        return s.str();
    }
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((a.pixel(x, y) & 0xffffff) != (b.pixel(x, y) & 0xffffff)) {
                std::ostringstream s;
                s << "pixel (" << x << ", " << y << "): " << std::hex << (a.pixel(x, y) & 0xffffff) << " vs "
                  << (b.pixel(x, y) & 0xffffff);
                return s.str();
            }
    return "";
}

}  // namespace sg::testing

// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/picture_png.h"

#include <QBuffer>
#include <QImageWriter>

#include <array>
#include <cstdint>

namespace sg {

std::optional<QImage> paletteImage(const QImage& source) {
    const QImage picture =
        source.format() == QImage::Format_RGB32 ? source : source.convertToFormat(QImage::Format_RGB32);
    // The colours seen so far in an open hash of 1024 slots (at most 256 are
    // kept, so a free slot is always near).
    constexpr std::size_t kSlots = 1024;
    std::array<QRgb, kSlots> key{};
    std::array<std::int16_t, kSlots> index;
    index.fill(-1);
    QList<QRgb> table;
    QImage out(picture.size(), QImage::Format_Indexed8);
    for (int y = 0; y < picture.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        uchar* row = out.scanLine(y);
        QRgb last = 0;
        int lastIndex = -1;
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb c = in[x] | 0xff000000u;
            if (c != last || lastIndex < 0) {
                std::size_t slot = (c * 2654435761u) >> 22 & (kSlots - 1);
                while (index[slot] >= 0 && key[slot] != c) slot = (slot + 1) & (kSlots - 1);
                if (index[slot] < 0) {
                    if (table.size() == 256) return std::nullopt;
                    key[slot] = c;
                    index[slot] = static_cast<std::int16_t>(table.size());
                    table.append(c);
                }
                last = c;
                lastIndex = index[slot];
            }
            row[x] = static_cast<uchar>(lastIndex);
        }
    }
    out.setColorTable(table);
    return out;
}

QByteArray picturePng(const QImage& picture, int compression) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setCompression(compression);
    const std::optional<QImage> palette = paletteImage(picture);
    if (!writer.write(palette ? *palette : picture)) return {};
    return png;
}

}  // namespace sg

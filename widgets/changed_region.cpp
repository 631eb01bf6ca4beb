// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/changed_region.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace sg {

namespace {
// Columns are compared in chunks of this many pixels; changed chunks with
// fewer than kGap unchanged chunks between them make one rectangle.
constexpr int kChunk = 16;
constexpr int kGap = 2;
}  // namespace

QRegion changedRegion(const QImage& before, const QImage& after, int bandRows) {
    const int width = after.width(), height = after.height();
    if (before.size() != after.size() || before.depth() != 32 || after.depth() != 32)
        return QRegion(0, 0, width, height);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    const int chunks = (width + kChunk - 1) / kChunk;
    std::vector<char> changedChunk(static_cast<std::size_t>(chunks));
    std::vector<char> rowChanged(static_cast<std::size_t>(bandRows));
    QRegion changed;
    for (int top = 0; top < height; top += bandRows) {
        const int bottom = std::min(height, top + bandRows);
        bool any = false;
        std::fill(changedChunk.begin(), changedChunk.end(), 0);
        for (int y = top; y < bottom; ++y) {
            const uchar* a = before.constScanLine(y);
            const uchar* b = after.constScanLine(y);
            rowChanged[std::size_t(y - top)] = std::memcmp(a, b, rowBytes) != 0;
            if (!rowChanged[std::size_t(y - top)]) continue;
            any = true;
            for (int c = 0; c < chunks; ++c) {
                if (changedChunk[std::size_t(c)]) continue;
                const int x = c * kChunk, n = std::min(kChunk, width - x);
                changedChunk[std::size_t(c)] = std::memcmp(a + 4 * x, b + 4 * x, std::size_t(n) * 4) != 0;
            }
        }
        if (!any) continue;
        // Runs of changed chunks, each with its changed pixels' first and
        // last column; runs closer than kGap chunks are one.
        int c = 0;
        while (c < chunks) {
            if (!changedChunk[std::size_t(c)]) {
                ++c;
                continue;
            }
            int end = c + 1;  // one past the run's last changed chunk
            for (int next = end; next < chunks && next <= end + kGap; ++next)
                if (changedChunk[std::size_t(next)]) end = next + 1;
            const int x1 = c * kChunk, x2 = std::min(width, end * kChunk);
            // The changed columns within the run's first and last chunks.
            int first = x2, last = x1 - 1;
            for (int y = top; y < bottom; ++y) {
                if (!rowChanged[std::size_t(y - top)]) continue;
                const auto* a = reinterpret_cast<const quint32*>(before.constScanLine(y));
                const auto* b = reinterpret_cast<const quint32*>(after.constScanLine(y));
                int x = x1;
                while (x < first && a[x] == b[x]) ++x;
                first = std::min(first, x);
                int z = x2 - 1;
                while (z > last && a[z] == b[z]) --z;
                last = std::max(last, z);
            }
            if (last >= first) changed += QRect(first, top, last - first + 1, bottom - top);
            c = end;
        }
    }
    return changed;
}

void copyRegion(const QImage& from, QImage& to, const QRegion& region) {
    const QRect bounds = to.rect() & from.rect();
    for (const QRect& area : region) {
        const QRect r = area & bounds;
        if (r.isEmpty()) continue;
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::memcpy(to.scanLine(y) + r.left() * 4, from.constScanLine(y) + r.left() * 4,
                        static_cast<std::size_t>(r.width()) * 4);
    }
}

}  // namespace sg

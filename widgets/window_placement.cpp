// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/window_placement.h"

#include "model/picture_geometry.h"

#include <QEvent>
#include <QGuiApplication>
#include <QRegion>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <limits>

namespace sg {

KeepClear pictureDiskOnScreen(const QWidget& window) {
    const QPoint corner = window.mapToGlobal(QPoint(kDiskCentreX - kDiskRadius, kDiskCentreY - kDiskRadius));
    return {QRect(corner, QSize(2 * kDiskRadius + 1, 2 * kDiskRadius + 1)), true};
}

long long coveredPixels(const QRect& over, const KeepClear& keep) {
    const QRect both = over.intersected(keep.area);
    if (both.isEmpty()) return 0;
    if (!keep.round) return static_cast<long long>(both.width()) * both.height();
    // Column by column, the part of each column's chord inside `over`.
    const double cx = keep.area.x() + keep.area.width() / 2.0, cy = keep.area.y() + keep.area.height() / 2.0;
    const double r = std::min(keep.area.width(), keep.area.height()) / 2.0;
    long long pixels = 0;
    for (int x = both.left(); x <= both.right(); ++x) {
        const double dx = x + 0.5 - cx;
        if (std::fabs(dx) >= r) continue;
        const double half = std::sqrt(r * r - dx * dx);
        const double top = std::max<double>(cy - half, both.top()), bottom = std::min<double>(cy + half, both.bottom() + 1);
        if (bottom > top) pixels += static_cast<long long>(std::lround(bottom - top));
    }
    return pixels;
}

QPoint leastCoveringPlace(const QRect& available, QSize outer, const std::vector<KeepClear>& keep, QPoint preferred) {
    const int lastX = available.x() + std::max(0, available.width() - outer.width());
    const int lastY = available.y() + std::max(0, available.height() - outer.height());
    // Every 8 pixels, the far edges of the screen included.
    auto steps = [](int first, int last) {
        std::vector<int> v;
        for (int p = first; p < last; p += 8) v.push_back(p);
        v.push_back(last);
        return v;
    };
    std::vector<int> xs = steps(available.x(), lastX), ys = steps(available.y(), lastY);
    // The preferred place itself, where it lies on the screen.
    xs.push_back(std::clamp(preferred.x(), available.x(), lastX));
    ys.push_back(std::clamp(preferred.y(), available.y(), lastY));
    QPoint best = available.topLeft();
    std::vector<long long> bestCost(keep.size() + 1, std::numeric_limits<long long>::max());
    for (const int y : ys)
        for (const int x : xs) {
            const QRect over(QPoint(x, y), outer);
            std::vector<long long> cost;
            for (const KeepClear& k : keep) cost.push_back(coveredPixels(over, k));
            const long long dx = x - preferred.x(), dy = y - preferred.y();
            cost.push_back(dx * dx + dy * dy);
            if (cost < bestCost) bestCost = cost, best = {x, y};
        }
    return best;
}

namespace {

const char* const kPlaceSuffix = "/place";

}  // namespace

PlaceKeeper::PlaceKeeper(QWidget& window, QSettings& settings, QString key)
    : QObject(&window), window_(window), settings_(settings), key_(std::move(key) + kPlaceSuffix) {
    window_.installEventFilter(this);
}

bool PlaceKeeper::remembered() const {
    if (!settings_.contains(key_)) return false;
    QRegion off(QRect(settings_.value(key_).toPoint(), window_.frameGeometry().size()));
    for (const QScreen* screen : QGuiApplication::screens()) off -= screen->geometry();
    return off.isEmpty();
}

void PlaceKeeper::place(QPoint framePlace) {
    window_.move(remembered() ? settings_.value(key_).toPoint() : framePlace);
}

bool PlaceKeeper::eventFilter(QObject* watched, QEvent* event) {
    // While hidden the window only moves where the program puts it.
    if (watched == &window_ && event->type() == QEvent::Move && window_.isVisible())
        settings_.setValue(key_, window_.frameGeometry().topLeft());
    return QObject::eventFilter(watched, event);
}

}  // namespace sg

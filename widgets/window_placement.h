// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a window opens beside the main one: the place on the screen where
// it covers least of what the user is looking at (the mirror's picture
// first, then the controls the window works with), and where the user last
// moved it, kept between runs.

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

class QSettings;
class QWidget;

namespace sg {

// An area to keep clear, in screen pixels; a round one is the disk
// inscribed in its rectangle.
struct KeepClear {
    QRect area;
    bool round = false;
};

// The mirror's disk on the picture of `window` (the main window, whose
// client holds the picture at its top left), in screen pixels.
KeepClear pictureDiskOnScreen(const QWidget& window);

// The pixels of `keep` that the rectangle `over` covers.
long long coveredPixels(const QRect& over, const KeepClear& keep);

// The top left corner of a window's frame of size `outer` on `available`
// that covers least of the areas of `keep`, the first counting before the
// second and so on; among places that cover alike, the one nearest to
// `preferred`. A window larger than the screen stands at its top left.
QPoint leastCoveringPlace(const QRect& available, QSize outer, const std::vector<KeepClear>& keep, QPoint preferred);

// Keeps a window's place between runs under a QSettings key: each move of
// the shown window is written down, and place() puts the window where it
// was last moved, when that lies on the screens still, or at the place given.
class PlaceKeeper : public QObject {
public:
    PlaceKeeper(QWidget& window, QSettings& settings, QString key);
    // `framePlace`: the frame's top left corner, screen pixels.
    void place(QPoint framePlace);
    bool remembered() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    QSettings& settings_;
    QString key_;
};

}  // namespace sg

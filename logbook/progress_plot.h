// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The progress plot: three panels over one time axis, the conic (a fit's
// with its sigma bar, the wanted conic as a dashed line), the correction
// error (0 as a line) and the RMS wavefront, each entry's point where its
// test was made. Drawn into an off-screen image, or with a painter onto a
// report's page.

#include "logbook/logbook_text.h"

#include <QImage>
#include <QPointF>
#include <QRectF>

class QPainter;

namespace sg {

class ProgressPlot {
public:
    enum class Panel { Conic, Correction, Rms };

    static constexpr int kWidth = 720;
    static constexpr int kHeight = 540;

    static constexpr QRgb kReductionColour = 0xff0050c0;  // a reduction's points
    static constexpr QRgb kPhotoColour = 0xffc00000;      // a fitted photo's points and sigma bars
    static constexpr QRgb kWantedColour = 0xff008000;     // the wanted conic, and 0 correction error
    static constexpr int kMarker = 4;                     // a point's half size, pixels

    explicit ProgressPlot(ProgressSeries series);

    const ProgressSeries& series() const { return series_; }
    // The panel's plotting area, pixels of the plot.
    QRectF area(Panel panel) const;
    // Where a point of `panel` at `time` (seconds since 1970 UTC) and
    // `value` is drawn.
    QPointF place(Panel panel, double time, double value) const;
    // The value range a panel shows, bottom to top.
    std::pair<double, double> valueRange(Panel panel) const;

    QImage image() const;
    // Draws the plot in its own pixels (kWidth x kHeight) from (0, 0).
    void drawOn(QPainter& p) const;

private:
    const std::vector<ProgressPoint>& points(Panel panel) const;
    ProgressSeries series_;
    double t0_ = 0, t1_ = 1;           // the time axis
    std::pair<double, double> range_[3];
};

}  // namespace sg

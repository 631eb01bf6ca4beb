// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The reduction's two plots: the surface across the whole diameter (nm, the
// glass high upward; the zone edges and zone points marked; the residual
// from the best-fit conic as a second curve), and a bar per zone of TA / rho
// at the balanced focus with the +1 and -1 lines (inside green, outside
// red).

#include "reduction/reduction.h"

#include <QWidget>

class QPainter;

#include <optional>
#include <vector>

namespace sg {

class ReductionPlots : public QWidget {
public:
    explicit ReductionPlots(QWidget* parent);
    // The result to show; none leaves the plots empty.
    void setResult(const std::optional<ReductionResult>& result);
    // The plots as drawn, for tests and for keeping.
    QImage picture() const;
    // Draws the plots with `painter` as on the widget, in its pixels: a
    // report scales the painter to place them on its page.
    void drawOn(QPainter& painter) const { draw(painter); }
    // Where the last drawing put the zone numbers under the bars: one box
    // per number drawn, left to right, never two overlapping (with many
    // zones only every few zones are numbered).
    const std::vector<QRect>& zoneLabels() const { return zoneLabels_; }

    // Where the parts lie in the widget, pixels.
    static constexpr int kProfileHeight = 230;
    static constexpr int kGap = 16;

    // The colours of the curves and bars.
    static constexpr QRgb kSurfaceColour = 0xffc00000;   // the surface
    static constexpr QRgb kResidualColour = 0xff0050c0;  // the residual from the best-fit conic
    static constexpr QRgb kPassColour = 0xff008000;      // |TA / rho| <= 1
    static constexpr QRgb kFailColour = 0xffd00000;      // beyond

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void draw(QPainter& p) const;
    std::optional<ReductionResult> result_;
    mutable std::vector<QRect> zoneLabels_;
};

}  // namespace sg

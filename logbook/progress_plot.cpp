// SPDX-License-Identifier: GPL-3.0-or-later
#include "logbook/progress_plot.h"

#include "model/number_text.h"

#include <QDateTime>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace sg {

namespace {

constexpr double kLeft = 78, kRight = 16, kTop = 10, kBottom = 40, kPanelGap = 26;
constexpr double kDay = 86400;

const char* panelTitle(ProgressPlot::Panel p) {
    switch (p) {
    case ProgressPlot::Panel::Conic: return "Conic";
    case ProgressPlot::Panel::Correction: return "Correction error (wave)";
    case ProgressPlot::Panel::Rms: break;
    }
    return "RMS wavefront (wave)";
}

// A range that holds every value, padded by a share of its span (or by
// `least` either side when it has none).
std::pair<double, double> padded(double lo, double hi, double least) {
    if (!(lo <= hi)) return {-least, least};
    const double span = hi - lo;
    if (span < 1e-12) return {lo - least, hi + least};
    return {lo - 0.08 * span, hi + 0.08 * span};
}

}  // namespace

ProgressPlot::ProgressPlot(ProgressSeries series) : series_(std::move(series)) {
    double tLo = HUGE_VAL, tHi = -HUGE_VAL;
    for (const Panel panel : {Panel::Conic, Panel::Correction, Panel::Rms})
        for (const ProgressPoint& p : points(panel)) {
            tLo = std::min(tLo, p.time);
            tHi = std::max(tHi, p.time);
        }
    if (!(tLo <= tHi)) {
        tLo = double(QDateTime::currentSecsSinceEpoch());
        tHi = tLo;
    }
    if (tHi - tLo < 3600) {
        t0_ = tLo - kDay / 2;
        t1_ = tHi + kDay / 2;
    } else {
        t0_ = tLo - 0.04 * (tHi - tLo);
        t1_ = tHi + 0.04 * (tHi - tLo);
    }

    double lo = series_.wantedConic, hi = series_.wantedConic;
    for (const ProgressPoint& p : series_.conic) {
        lo = std::min(lo, p.value - p.sigma);
        hi = std::max(hi, p.value + p.sigma);
    }
    range_[0] = padded(lo, hi, 0.1);
    lo = 0, hi = 0;
    for (const ProgressPoint& p : series_.correction) lo = std::min(lo, p.value), hi = std::max(hi, p.value);
    range_[1] = padded(lo, hi, 0.1);
    lo = 0, hi = 0;
    for (const ProgressPoint& p : series_.rms) hi = std::max(hi, p.value);
    range_[2] = padded(lo, hi, 0.05);
    range_[2].first = std::max(range_[2].first, 0.0);
}

const std::vector<ProgressPoint>& ProgressPlot::points(Panel panel) const {
    switch (panel) {
    case Panel::Conic: return series_.conic;
    case Panel::Correction: return series_.correction;
    case Panel::Rms: break;
    }
    return series_.rms;
}

std::pair<double, double> ProgressPlot::valueRange(Panel panel) const { return range_[int(panel)]; }

QRectF ProgressPlot::area(Panel panel) const {
    const double h = (kHeight - kTop - kBottom - 2 * kPanelGap) / 3;
    const double top = kTop + int(panel) * (h + kPanelGap) + 14;  // room for the panel's title
    return QRectF(kLeft, top, kWidth - kLeft - kRight, h - 14);
}

QPointF ProgressPlot::place(Panel panel, double time, double value) const {
    const QRectF a = area(panel);
    const auto [lo, hi] = valueRange(panel);
    return {a.left() + (time - t0_) / (t1_ - t0_) * a.width(), a.bottom() - (value - lo) / (hi - lo) * a.height()};
}

QImage ProgressPlot::image() const {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    drawOn(p);
    return image;
}

void ProgressPlot::drawOn(QPainter& p) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    // Dates alone where the ticks (a fifth of the span apart) lie a day or
    // more apart; closer, the time too, so that no two ticks read alike.
    const bool days = 0.2 * (t1_ - t0_) >= kDay;
    for (const Panel panel : {Panel::Conic, Panel::Correction, Panel::Rms}) {
        const QRectF a = area(panel);
        const auto [lo, hi] = valueRange(panel);
        p.setPen(Qt::black);
        p.drawText(QRectF(a.left(), a.top() - 15, a.width(), 14), Qt::AlignLeft | Qt::AlignVCenter, panelTitle(panel));
        // The value axis: round values 1, 2, 2.5 or 5 times a power of ten
        // apart, about four of them, with light lines.
        const double rough = (hi - lo) / 5;
        const double power = std::pow(10.0, std::floor(std::log10(rough)));
        double step = 10 * power;
        for (const double f : {1.0, 2.0, 2.5, 5.0})
            if (f * power >= rough) {
                step = f * power;
                break;
            }
        const int decimals = std::clamp(int(std::ceil(-std::log10(step) + 0.01)) + (step / power == 2.5 ? 1 : 0), 0, 6);
        for (double v = std::ceil(lo / step) * step; v <= hi + step * 1e-9; v += step) {
            const double y = place(panel, t0_, v).y();
            p.setPen(QColor(225, 225, 225));
            p.drawLine(QPointF(a.left(), y), QPointF(a.right(), y));
            p.setPen(Qt::black);
            p.drawText(QRectF(0, y - 7, kLeft - 6, 14), Qt::AlignRight | Qt::AlignVCenter,
                       QString::fromStdString(fixedText(std::fabs(v) < step * 1e-9 ? 0.0 : v, decimals)));
        }
        // The time axis's ticks.
        for (int i = 0; i <= 4; ++i) {
            const double t = t0_ + (t1_ - t0_) * (0.1 + 0.8 * i / 4);
            const double x = place(panel, t, lo).x();
            p.setPen(QColor(225, 225, 225));
            p.drawLine(QPointF(x, a.top()), QPointF(x, a.bottom()));
            if (panel == Panel::Rms) {
                p.setPen(Qt::black);
                const QDateTime when = QDateTime::fromMSecsSinceEpoch(qint64(t * 1000)).toLocalTime();
                p.drawText(QRectF(x - 60, a.bottom() + 4, 120, 14), Qt::AlignCenter,
                           when.toString(days ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("MM-dd HH:mm")));
            }
        }
        // The wanted conic, and no correction error.
        if (panel != Panel::Rms) {
            const double target = panel == Panel::Conic ? series_.wantedConic : 0.0;
            p.setPen(QPen(QColor::fromRgb(kWantedColour), 1, Qt::DashLine));
            const double y = place(panel, t0_, target).y();
            p.drawLine(QPointF(a.left(), y), QPointF(a.right(), y));
        }
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(a);

        const std::vector<ProgressPoint>& pts = points(panel);
        // The road: the points joined in time order.
        p.setPen(QPen(QColor(150, 150, 150), 1));
        for (std::size_t i = 1; i < pts.size(); ++i)
            p.drawLine(place(panel, pts[i - 1].time, pts[i - 1].value), place(panel, pts[i].time, pts[i].value));
        for (const ProgressPoint& pt : pts) {
            const QColor colour = QColor::fromRgb(pt.fromPhoto ? kPhotoColour : kReductionColour);
            const QPointF c = place(panel, pt.time, pt.value);
            if (pt.sigma > 0) {
                p.setPen(QPen(colour, 1));
                const QPointF top = place(panel, pt.time, pt.value + pt.sigma);
                const QPointF bottom = place(panel, pt.time, pt.value - pt.sigma);
                p.drawLine(top, bottom);
                p.drawLine(top - QPointF(kMarker, 0), top + QPointF(kMarker, 0));
                p.drawLine(bottom - QPointF(kMarker, 0), bottom + QPointF(kMarker, 0));
            }
            p.setPen(Qt::NoPen);
            p.setBrush(colour);
            // A reduction a square, a fitted photo a diamond.
            if (pt.fromPhoto) {
                QPainterPath d;
                d.moveTo(c + QPointF(0, -kMarker - 1));
                d.lineTo(c + QPointF(kMarker + 1, 0));
                d.lineTo(c + QPointF(0, kMarker + 1));
                d.lineTo(c + QPointF(-kMarker - 1, 0));
                d.closeSubpath();
                p.drawPath(d);
            } else {
                p.drawRect(QRectF(c - QPointF(kMarker, kMarker), QSizeF(2 * kMarker, 2 * kMarker)));
            }
        }
        p.setBrush(Qt::NoBrush);
    }
    // The key.
    p.setPen(Qt::NoPen);
    const double ky = kHeight - 14;
    p.setBrush(QColor::fromRgb(kReductionColour));
    p.drawRect(QRectF(kLeft, ky - 4, 8, 8));
    p.setBrush(QColor::fromRgb(kPhotoColour));
    p.drawRect(QRectF(kLeft + 150, ky - 4, 8, 8));
    p.setPen(Qt::black);
    p.drawText(QPointF(kLeft + 12, ky + 4), "Foucault reduction");
    p.drawText(QPointF(kLeft + 162, ky + 4), "fitted photo (+/- sigma)");
    p.setPen(QPen(QColor::fromRgb(kWantedColour), 1, Qt::DashLine));
    p.drawLine(QPointF(kLeft + 330, ky), QPointF(kLeft + 360, ky));
    p.setPen(Qt::black);
    p.drawText(QPointF(kLeft + 366, ky + 4), "wanted conic, no correction error");
    p.restore();
}

}  // namespace sg

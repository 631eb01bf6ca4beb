// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduction/reduction_plots.h"

#include "model/number_text.h"
#include "widgets/window_style.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace sg {

namespace {

constexpr int kLeft = 52;    // room for the scale's numbers
constexpr int kRight = 10;
constexpr int kTop = 18;     // room for the title
constexpr int kBottom = 18;  // room for the axis's numbers

// A round step for a scale spanning `span`: 1, 2 or 5 times a power of ten.
double niceStep(double span, int marks) {
    const double raw = span / marks;
    if (!(raw > 0) || !std::isfinite(raw)) return 1;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= raw) return m * power;
    return 10 * power;
}

QString number(double v) { return QString::fromStdString(formatGeneral(v, kDecimalSeparator, 4)); }

}  // namespace

ReductionPlots::ReductionPlots(QWidget* parent) : QWidget(parent) {
    setObjectName("ReductionPlots");
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
}

void ReductionPlots::setResult(const std::optional<ReductionResult>& result) {
    result_ = result;
    update();
}

QImage ReductionPlots::picture() const {
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    draw(p);
    return image;
}

void ReductionPlots::paintEvent(QPaintEvent*) {
    QPainter p(this);
    draw(p);
}

void ReductionPlots::draw(QPainter& p) const {
    zoneLabels_.clear();
    p.setFont(withPixelSize(font(), 11, false));
    p.setPen(Qt::black);
    const QRect profile(kLeft, kTop, width() - kLeft - kRight, kProfileHeight - kTop - kBottom);
    const int barsTop = kProfileHeight + kGap;
    const QRect bars(kLeft, barsTop + kTop, width() - kLeft - kRight, height() - barsTop - kTop - kBottom);
    p.drawText(kLeft, 12, "Surface across the mirror (nm, high up); blue: against the best-fit conic");
    p.drawText(kLeft, barsTop + 12, "TA / rho per zone at the balanced focus");
    p.drawRect(profile);
    p.drawRect(bars);
    if (!result_ || result_->surfaceAcross.empty()) return;
    const ReductionResult& r = *result_;
    const double a = r.diameter / 2;

    // The profile: one scale for both curves, round numbers at its marks.
    double lo = 0, hi = 0;
    for (const auto* curve : {&r.surfaceAcross, &r.residualAcross})
        for (const ProfilePoint& q : *curve) {
            lo = std::min(lo, q.surfaceNm);
            hi = std::max(hi, q.surfaceNm);
        }
    const double step = niceStep(std::max(hi - lo, 1.0), 4);
    lo = std::floor(lo / step) * step;
    hi = std::ceil(hi / step) * step;
    if (hi - lo < step) hi = lo + step;
    auto px = [&](double h) { return profile.left() + (h + a) / (2 * a) * profile.width(); };
    auto py = [&](double nm) { return profile.bottom() - (nm - lo) / (hi - lo) * profile.height(); };
    p.setPen(QColor(200, 200, 200));
    for (double v = lo; v <= hi + step / 2; v += step) p.drawLine(QPointF(profile.left(), py(v)), QPointF(profile.right(), py(v)));
    p.setPen(Qt::black);
    for (double v = lo; v <= hi + step / 2; v += step)
        p.drawText(QRectF(0, py(v) - 7, kLeft - 4, 14), Qt::AlignRight | Qt::AlignVCenter, number(v));
    p.drawText(QRectF(profile.left() - 20, profile.bottom() + 2, 40, 14), Qt::AlignHCenter, number(-a));
    p.drawText(QRectF(px(0) - 20, profile.bottom() + 2, 40, 14), Qt::AlignHCenter, "0");
    p.drawText(QRectF(profile.right() - 40, profile.bottom() + 2, 40, 14), Qt::AlignRight, number(a) + " mm");
    // Zone edges, as ticks on both halves.
    p.setPen(QColor(120, 120, 120));
    for (const ZoneResult& z : r.zones)
        for (double edge : {z.inner, z.outer})
            for (double side : {-1.0, 1.0})
                p.drawLine(QPointF(px(side * edge), profile.bottom()), QPointF(px(side * edge), profile.bottom() - 6));
    p.setRenderHint(QPainter::Antialiasing, true);
    auto curve = [&](const std::vector<ProfilePoint>& points, QRgb colour) {
        QPainterPath path;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const QPointF at(px(points[i].h), py(points[i].surfaceNm));
            if (i == 0) path.moveTo(at);
            else path.lineTo(at);
        }
        p.setPen(QPen(QColor::fromRgb(colour), 1.6));
        p.drawPath(path);
    };
    curve(r.residualAcross, kResidualColour);
    curve(r.surfaceAcross, kSurfaceColour);
    // The zone points, mirrored.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgb(kSurfaceColour));
    for (const ZoneResult& z : r.zones)
        for (double side : {-1.0, 1.0}) p.drawEllipse(QPointF(px(side * z.h), py(z.surfaceNm)), 3, 3);
    p.setBrush(Qt::NoBrush);
    p.setRenderHint(QPainter::Antialiasing, false);

    // The bars: a scale of at least -1.5..1.5 so the +-1 lines always show.
    double reach = 1.5;
    for (const ZoneResult& z : r.zones) reach = std::max(reach, std::fabs(z.balancedTaOverRho) * 1.1);
    auto by = [&](double v) { return bars.center().y() - v / reach * (bars.height() / 2.0); };
    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    for (double v : {-1.0, 1.0}) p.drawLine(QPointF(bars.left(), by(v)), QPointF(bars.right(), by(v)));
    p.setPen(Qt::black);
    p.drawLine(QPointF(bars.left(), by(0)), QPointF(bars.right(), by(0)));
    for (double v : {-1.0, 0.0, 1.0})
        p.drawText(QRectF(0, by(v) - 7, kLeft - 4, 14), Qt::AlignRight | Qt::AlignVCenter, number(v));
    const int n = static_cast<int>(r.zones.size());
    const double slot = bars.width() / static_cast<double>(std::max(n, 1));
    for (int i = 0; i < n; ++i) {
        const double v = r.zones[static_cast<std::size_t>(i)].balancedTaOverRho;
        const double x0 = bars.left() + slot * i + slot * 0.2, x1 = bars.left() + slot * (i + 1) - slot * 0.2;
        const QRectF bar(QPointF(x0, std::min(by(0), by(v))), QPointF(x1, std::max(by(0), by(v))));
        p.fillRect(bar, QColor::fromRgb(std::fabs(v) <= 1 ? kPassColour : kFailColour));
    }
    // The zone numbers: every one while they fit, otherwise zone 1 and
    // every 2nd, 5th, 10th ... zone, whichever is the first step whose
    // widest number fits its slots; a number that would still touch the
    // one before it is left out.
    const QFontMetrics metrics(p.font());
    const int widest = metrics.horizontalAdvance(QString::number(n)) + 4;
    int every = 1;
    for (const int candidate : {1, 2, 5, 10, 20, 50, 100}) {
        every = candidate;
        if (slot * candidate >= widest) break;
    }
    for (int i = 0; i < n; ++i) {
        const int number = i + 1;
        if (number != 1 && number % every != 0) continue;
        const QString text = QString::number(number);
        const int width = metrics.horizontalAdvance(text);
        const double centre = bars.left() + slot * (i + 0.5);
        const QRect box(static_cast<int>(std::floor(centre - width / 2.0)), bars.bottom() + 2, width, metrics.height());
        if (!zoneLabels_.empty() && box.left() <= zoneLabels_.back().right() + 2) continue;
        p.drawText(box, Qt::AlignHCenter | Qt::AlignTop, text);
        zoneLabels_.push_back(box);
    }
}

}  // namespace sg

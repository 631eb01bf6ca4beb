// SPDX-License-Identifier: GPL-3.0-or-later
#include "fit/fit_result_text.h"

#include "model/number_text.h"

#include <algorithm>
#include <cmath>

namespace sg {

namespace {

std::string fixed(double value, int decimals) { return formatFixed(value, 15, decimals); }

std::string signedFixed(double value, int decimals) {
    const std::string s = fixed(value, decimals);
    return s[0] == '-' ? s : "+" + s;
}

std::string plusMinus(const Estimate& e, int decimals) {
    return signedFixed(e.value, decimals) + " \u00b1 " + fixed(e.sigma, decimals);
}

const char* sideFrom(SideFrom s) {
    switch (s) {
    case SideFrom::Given: return "as given";
    case SideFrom::SecondPhoto: return "from the second photo";
    case SideFrom::Conic: return "from the conic";
    case SideFrom::Undecided: break;
    }
    return "undecided";
}

}  // namespace

std::string fitResultText(const FitResult& r, std::optional<double> separation) {
    std::string t = "Offset   " + plusMinus(r.offset, 3) + " mm, ";
    if (r.sideFrom == SideFrom::Undecided || r.side == Side::Unknown)
        t += "side undecided (on the other side " + signedFixed(-r.offset.value, 3) + " mm with conic " +
             signedFixed(-r.conic.value, 4) + ")";
    else
        t += std::string(r.side == Side::Inside ? "inside" : "outside") + " the centre of curvature (" +
             sideFrom(r.sideFrom) + ")";
    t += "\n";
    if (r.mirror.sourceMoves) t += "         the grating's own offset, its source moving with it\n";
    if (separation)
        t += "         " + signedFixed(r.offset.value + *separation, 3) + " mm for the second photo, " +
             fixed(*separation, 3) + " mm from the first\n";
    t += "Conic    " + plusMinus(r.conic, 4) + ", correction " + fixed(r.correctionPercent, 1) + " %\n";
    if (r.zoneHeight)
        t += std::string("Zone     ") + (r.zone.kind == ZoneKind::Edge ? "turned edge from " : "central zone out to ") +
             fixed(r.zone.start, 2) + " of the radius: " + plusMinus(*r.zoneHeight, 3) + " waves on the surface (" +
             fixed(r.mirror.wavelength, 3) + " \u00b5m)\n";
    t += "Edges    " + std::to_string(r.edgesUsed) + " used of " + std::to_string(r.edgesFound) + ", RMS " +
         fixed(r.edgeRmsPhoto, 2) + " px in the photo (" + fixed(r.edgeRms, 2) + " px on the 550 px disk)\n";
    t += "Light    " + (r.mirror.spectrum == Spectrum::White && r.mirror.model == FitModel::Waves
                             ? std::string("white light")
                             : fixed(r.mirror.wavelength, 3) + " \u00b5m");
    switch (r.mirror.source) {
    case LightSource::Slit: t += ", a slit " + fixed(r.mirror.slitWidth, 3) + " mm wide"; break;
    case LightSource::Grating:
        t += ", the grating lit from behind (a slit " + fixed(sourceWidth(r.mirror), 3) + " mm wide)";
        break;
    case LightSource::Point: t += ", a point source"; break;
    }
    t += "\n";
    // The wave picture is always of the exact surface.
    t += "Model    " +
         std::string(r.mirror.model == FitModel::Waves ? "wave optics of the exact surface"
                     : r.mirror.exact                  ? "exact ray trace"
                                                       : "two-term series") +
         ", " +
         fixed(r.bandPairs, 1) + " band pairs, transverse " + signedFixed(r.parameters.transverse, 3) + " bands\n";
    if (std::isfinite(r.pictureExplained))
        t += "Picture  the wave picture explains " + fixed(100 * r.pictureExplained, 1) +
             " % of the photo's brightness\n";
    if (!r.warnings.empty()) {
        t += "\nWarnings:\n";
        for (const FitWarning& w : r.warnings) t += "- " + w.message + "\n";
    }
    return t;
}

const char* fitStageCaption(FitStage stage) {
    switch (stage) {
    case FitStage::Edges: return "Finding the band edges";
    case FitStage::Search: return "Searching the offset and the conic";
    case FitStage::Fit: return "Fitting the band edges";
    case FitStage::Zone: return "Fitting the zone";
    case FitStage::SecondPhoto: return "Fitting both photos";
    case FitStage::Waves: return "Drawing the wave picture's edges";
    case FitStage::Uncertainty: return "Estimating the uncertainties";
    }
    return "";
}

QRgb residualColour(double residual, bool used) {
    if (!used || !std::isfinite(residual)) return qRgb(128, 128, 128);
    const double t = std::clamp(std::fabs(residual), 0.0, 1.0);
    // Green to yellow over the first half pixel, yellow to red over the second.
    if (t <= 0.5) return qRgb(int(std::lround(255 * t / 0.5)), 220, 0);
    return qRgb(255, int(std::lround(220 * (1 - t) / 0.5)), 0);
}

QImage residualMap(const RgbImage& frame, const FitResult& r) {
    QImage map(kResidualMapSize, kResidualMapSize, QImage::Format_RGB32);
    map.fill(qRgb(0, 0, 0));
    for (int y = 0; y < kResidualMapSize; ++y) {
        const int fy = y + kResidualMapTop;
        if (fy < 0 || fy >= frame.height) continue;
        auto* row = reinterpret_cast<QRgb*>(map.scanLine(y));
        for (int x = 0; x < kResidualMapSize; ++x) {
            const int fx = x + kResidualMapLeft;
            if (fx < 0 || fx >= frame.width) continue;
            const std::uint8_t* p = frame.rgb.data() + (std::size_t(fy) * std::size_t(frame.width) + std::size_t(fx)) * 3;
            row[x] = qRgb(p[0] / 2, p[1] / 2, p[2] / 2);
        }
    }
    // The edges left out first, so that those used stay in view.
    for (const bool used : {false, true})
    for (const FitEdge& e : r.edges) {
        if (e.photo != 0 || (e.weight > 0) != used || !std::isfinite(e.x) || !std::isfinite(e.y)) continue;
        const long cx = long(std::floor(e.x)) - kResidualMapLeft, cy = long(std::floor(e.y)) - kResidualMapTop;
        const QRgb colour = residualColour(e.residual, used);
        for (long y = cy - 1; y <= cy + 1; ++y)
            for (long x = cx - 1; x <= cx + 1; ++x)
                if (x >= 0 && y >= 0 && x < kResidualMapSize && y < kResidualMapSize)
                    reinterpret_cast<QRgb*>(map.scanLine(int(y)))[x] = colour;
    }
    return map;
}

}  // namespace sg

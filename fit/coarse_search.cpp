// SPDX-License-Identifier: GPL-3.0-or-later
#include "fit/coarse_search.h"

#include "photo/edge_extraction.h"
#include "photo/photo_error.h"
#include "photo/whole_number.h"

#include <Eigen/Dense>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>

namespace sg {

namespace {

constexpr double kSampleRadius = 0.95;  // of the disk's radius
constexpr int kSamples = 2500;          // about this many frame points
constexpr double kStepPhase = 0.25;     // grid steps move the rim's phase this far, bands
constexpr double kConicRange = 3;       // the conic is searched over -3..3
constexpr int kMaxSteps = 20000;        // the most steps of the grid along either parameter

struct Sample {
    double across, along;
    double value;  // brightness with its radial trend taken away, in units of its RMS
};

std::vector<Sample> takeSamples(const GreyImage& frame, BandAxis axis, double diameter) {
    const double r = kSampleRadius * kDiskRadius;
    const int step = std::max(2, int(std::sqrt(std::numbers::pi * r * r / kSamples)));
    // One point at a random place in each cell of a grid (a fixed sequence):
    // a regular grid would let a phase that turns a whole number of times
    // between grid points pass for a slow one.
    std::mt19937 jitter(7);
    std::uniform_real_distribution<double> within(0, step);
    std::vector<Sample> samples;
    std::vector<double> rho2;
    for (int j = int(kDiskCentreY - r); j <= int(kDiskCentreY + r); j += step)
        for (int i = int(kDiskCentreX - r); i <= int(kDiskCentreX + r); i += step) {
            const double x = i + within(jitter), y = j + within(jitter);
            const double dx = x - kDiskCentreX, dy = y - kDiskCentreY;
            if (dx * dx + dy * dy > r * r || x < 0 || y < 0 || x >= frame.width || y >= frame.height) continue;
            const float v = sampleBilinear(frame, x, y);
            if (std::isnan(v)) continue;
            const MirrorPoint p = mirrorPoint(x, y, axis, diameter);
            samples.push_back({p.across, p.along, v});
            rho2.push_back((dx * dx + dy * dy) / (kDiskRadius * kDiskRadius));
        }
    if (samples.size() < 16) return {};
    // The background and its fall toward the rim: a + b rho^2, taken away.
    const Eigen::Index n = Eigen::Index(samples.size());
    Eigen::MatrixXd basis(n, 2);
    Eigen::VectorXd y(n);
    for (Eigen::Index k = 0; k < n; ++k) {
        basis.row(k) << 1, rho2[std::size_t(k)];
        y(k) = samples[std::size_t(k)].value;
    }
    const Eigen::Vector2d trend = basis.colPivHouseholderQr().solve(y);
    const Eigen::VectorXd rest = y - basis * trend;
    const double rms = std::sqrt(rest.squaredNorm() / double(n));
    if (!(rms > 0)) return {};
    for (Eigen::Index k = 0; k < n; ++k) samples[std::size_t(k)].value = rest(k) / rms;
    return samples;
}

// The cosine fit's closed form at one phase per sample: the share of the
// variance that b_c cos(pi z) + b_s sin(pi z) explains, and t.
struct CosineFit {
    double explained = 0, amplitude = 0, transverse = 0;
};

CosineFit cosineFit(double yc, double ys, double cc, double cs, double ss, double n) {
    Eigen::Matrix2d m;
    m << cc, cs, cs, ss;
    const Eigen::Vector2d rhs(yc, ys);
    const Eigen::Vector2d b = m.ldlt().solve(rhs);
    CosineFit f;
    if (!b.allFinite()) return f;
    f.explained = rhs.dot(b) / n;
    f.amplitude = std::hypot(b(0), b(1));
    // b_c cos(pi z) + b_s sin(pi z) = A cos(pi (z + t)).
    f.transverse = std::atan2(-b(1), b(0)) / std::numbers::pi;
    return f;
}

CosineFit fitAt(const std::vector<Sample>& samples, const FitMirror& mirror, double offset, double conic) {
    const BandPhase phase(mirror, {}, {offset, conic, 0, 0, 0});
    double yc = 0, ys = 0, cc = 0, cs = 0, ss = 0;
    for (const Sample& s : samples) {
        const double z = phase.atMirror(s.across, s.along);
        if (!std::isfinite(z)) continue;
        const double c = std::cos(std::numbers::pi * z), si = std::sin(std::numbers::pi * z);
        yc += s.value * c, ys += s.value * si, cc += c * c, cs += c * si, ss += si * si;
    }
    return cosineFit(yc, ys, cc, cs, ss, double(samples.size()));
}

}  // namespace

std::vector<CoarseResult> coarseCandidates(const GreyImage& frame, BandAxis axis, const FitMirror& mirror, int count,
                                           const FitControl& control) {
    const std::vector<Sample> samples = takeSamples(frame, axis, mirror.diameter);
    if (samples.empty()) return {CoarseResult{}};
    const std::size_t n = samples.size();

    // How fast the phase moves with each parameter, at the rim.
    const double aRef = 1;
    double perOffset = 0, perConic = 0;
    {
        const BandPhase base(mirror, {}, {0, 0, 0, 0, 0}), moved(mirror, {}, {aRef, 0, 0, 0, 0});
        const BandPhase plus(mirror, {}, {0, 0.5, 0, 0, 0}), minus(mirror, {}, {0, -0.5, 0, 0, 0});
        for (const Sample& s : samples) {
            perOffset = std::max(perOffset, std::fabs(moved.atMirror(s.across, s.along) - base.atMirror(s.across, s.along)));
            perConic = std::max(perConic, std::fabs(plus.atMirror(s.across, s.along) - minus.atMirror(s.across, s.along)));
        }
        perOffset /= aRef;
    }
    if (!(perOffset > 0) || !(perConic > 0)) return {CoarseResult{}};
    const double bandWidth = typicalBandWidth(frame, axis);
    const double bandsAcross = bandWidth > 0 ? 2 * kDiskRadius / bandWidth : 4;
    const double rimSlopeMax = std::max(8.0, 1.5 * bandsAcross + 2);
    const double aStep = kStepPhase / perOffset, kStep = std::max(kStepPhase / perConic, 2 * kConicRange / 400);
    // The grid's size, refused beyond what the search can hold: a phase that
    // hardly moves, or moves without bound, is no band pattern to search.
    const std::optional<int> aCount = wholeWithin(std::ceil(rimSlopeMax / perOffset / aStep), 0, kMaxSteps);
    const std::optional<int> kCount = wholeWithin(std::ceil(2 * kConicRange / kStep), 0, kMaxSteps);
    if (!aCount || !kCount)
        throw PhotoError(PhotoFailure::NoFit, "no fit: the model's bands move too fast or too slowly with the offset "
                                              "and the conic to be searched");
    const int aSteps = *aCount + 1, kSteps = *kCount + 1;

    // For each conic, the phase is near enough linear in the offset:
    // z = z0 + a dz/da, and e^(i pi z) steps along the offset's grid by a
    // fixed turn per sample.
    std::vector<std::complex<double>> e(n), turn(n);
    std::vector<double> score(std::size_t(kSteps) * std::size_t(aSteps), 0);
    for (int kIndex = 0; kIndex < kSteps; ++kIndex) {
        control.check();
        control.report(FitStage::Search, 0.8 * kIndex / kSteps);
        const double conic = -kConicRange + kIndex * kStep;
        const BandPhase at0(mirror, {}, {0, conic, 0, 0, 0}), at1(mirror, {}, {aRef, conic, 0, 0, 0});
        for (std::size_t k = 0; k < n; ++k) {
            const double z0 = at0.atMirror(samples[k].across, samples[k].along);
            const double z1 = at1.atMirror(samples[k].across, samples[k].along);
            if (!std::isfinite(z0) || !std::isfinite(z1)) {
                e[k] = 0, turn[k] = 1;
                continue;
            }
            e[k] = std::polar(1.0, std::numbers::pi * z0);
            turn[k] = std::polar(1.0, std::numbers::pi * (z1 - z0) / aRef * aStep);
        }
        for (int aIndex = 0; aIndex < aSteps; ++aIndex) {
            double yc = 0, ys = 0, cc = 0, cs = 0, ss = 0;
            for (std::size_t k = 0; k < n; ++k) {
                const double c = e[k].real(), s = e[k].imag(), y = samples[k].value;
                yc += y * c, ys += y * s, cc += c * c, cs += c * s, ss += s * s;
                e[k] *= turn[k];
            }
            score[std::size_t(kIndex) * std::size_t(aSteps) + std::size_t(aIndex)] =
                cosineFit(yc, ys, cc, cs, ss, double(n)).explained;
        }
    }

    // The grid's local maxima, best first.
    auto at = [&](int k, int a) { return score[std::size_t(k) * std::size_t(aSteps) + std::size_t(a)]; };
    std::vector<std::pair<double, std::pair<int, int>>> peaks;
    for (int k = 0; k < kSteps; ++k)
        for (int a = 0; a < aSteps; ++a) {
            bool peak = true;
            for (int dk = -1; dk <= 1 && peak; ++dk)
                for (int da = -1; da <= 1; ++da) {
                    const int kk = k + dk, aa = a + da;
                    if ((dk || da) && kk >= 0 && aa >= 0 && kk < kSteps && aa < aSteps && at(kk, aa) > at(k, a)) {
                        peak = false;
                        break;
                    }
                }
            if (peak) peaks.push_back({at(k, a), {k, a}});
        }
    std::sort(peaks.begin(), peaks.end(), [](const auto& x, const auto& y) { return x.first > y.first; });
    if (peaks.size() > std::size_t(count)) peaks.resize(std::size_t(count));

    // A finer grid about each, with the phase as the model gives it.
    std::vector<CoarseResult> results;
    for (std::size_t c = 0; c < peaks.size(); ++c) {
        if (peaks[c].first < 0.5 * peaks.front().first) break;
        const double bestA = peaks[c].second.second * aStep, bestK = -kConicRange + peaks[c].second.first * kStep;
        CosineFit bestFit = fitAt(samples, mirror, bestA, bestK);
        double fineA = bestA, fineK = bestK;
        for (int i = -4; i <= 4; ++i) {
            control.check();
            control.report(FitStage::Search, 0.8 + 0.2 * (double(c) + (i + 4) / 9.0) / double(peaks.size()));
            for (int j = -4; j <= 4; ++j) {
                const double a = std::max(0.0, bestA + i * aStep / 4), k = bestK + j * kStep / 4;
                const CosineFit f = fitAt(samples, mirror, a, k);
                if (f.explained > bestFit.explained) bestFit = f, fineA = a, fineK = k;
            }
        }
        CoarseResult r;
        r.parameters.offset = fineA;
        r.parameters.conic = fineK;
        r.parameters.transverse = bestFit.transverse;
        r.amplitude = bestFit.amplitude;
        r.explained = bestFit.explained;
        results.push_back(r);
    }
    std::sort(results.begin(), results.end(),
              [](const CoarseResult& x, const CoarseResult& y) { return x.explained > y.explained; });
    return results;
}

CoarseResult coarseSearch(const GreyImage& frame, BandAxis axis, const FitMirror& mirror, const FitControl& control) {
    return coarseCandidates(frame, axis, mirror, 1, control).front();
}

}  // namespace sg

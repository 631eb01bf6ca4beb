// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduction/reduction.h"

#include "reduction/couder_criterion.h"
#include "reduction/reduction_fit.h"
#include "reduction/reduction_setup.h"
#include "reduction/simulator_zone.h"
#include "reduction/verdict.h"
#include "reduction/wavefront.h"
#include "model/wavefront_figures.h"

#include <cmath>

namespace sg {

namespace {

Wavefront wavefrontOf(const ReductionSetup& s, const std::vector<double>& departures) {
    std::vector<double> delta(departures.size());
    for (std::size_t i = 0; i < delta.size(); ++i) delta[i] = departures[i] / s.kappa;
    return Wavefront(s.u, delta, s.radius, s.innerU(), s.outerU());
}

// One set of readings (or the mean) against the wanted conic and against
// its best-fit conic.
struct Reduced {
    double referenceRadius = 0;
    std::vector<double> departures;
    double pv = 0, rms = 0, strehl = 0;
    ConicFit conic;
};

Reduced reduceReadings(const ReductionSetup& s, const VarianceForm& form, const std::vector<double>& m) {
    Reduced out;
    out.referenceRadius = fitReferenceRadius(s, form, m);
    out.departures = departuresFrom(s, m, out.referenceRadius, s.conic);
    const Wavefront w = wavefrontOf(s, out.departures);
    out.pv = w.peakToValley() / s.lambda;
    out.rms = std::sqrt(w.variance()) / s.lambda;
    out.strehl = strehlRatio(out.rms);
    out.conic = fitBestConic(s, form, m);
    return out;
}

// (W(h^2) - <W>) / 2 in nm at +-h.
std::vector<ProfilePoint> across(const Wavefront& w, double aperture) {
    std::vector<ProfilePoint> points;
    for (int k = 0; k < kPlotPoints; ++k) {
        const double h = aperture * (2.0 * k / (kPlotPoints - 1) - 1);
        points.push_back({h, (w.at(h * h) - w.mean()) / 2 * 1e6});
    }
    return points;
}

double sampleDeviation(const std::vector<double>& v) {
    double mean = 0;
    for (const double x : v) mean += x;
    mean /= static_cast<double>(v.size());
    double squares = 0;
    for (const double x : v) squares += (x - mean) * (x - mean);
    return std::sqrt(squares / static_cast<double>(v.size() - 1));
}

}  // namespace

ReductionResult reduce(const ReductionInput& input) {
    const ReductionSetup s = resolveSetup(input);
    checkDirection(s);
    const VarianceForm form(s);
    const std::size_t n = s.zoneCount();

    ReductionResult r;
    r.diameter = s.diameter;
    r.radius = s.radius;
    r.focalRatio = s.radius / (2 * s.diameter);
    r.wantedConic = s.conic;
    r.wavelength = s.wavelength;
    r.obstruction = s.obstruction;
    r.source = s.tester.source;
    r.sourceDistance = s.tester.sourceDistance;
    r.kappa = s.kappa;
    r.zoneRadius = s.zoneRadius;
    r.reverse = s.reverse;
    r.setCount = static_cast<int>(s.sets.size());

    const Reduced mean = reduceReadings(s, form, s.mean);
    const Wavefront w = wavefrontOf(s, mean.departures);
    r.referenceRadius = mean.referenceRadius;
    r.referenceCentre = s.modelReading(0, mean.referenceRadius, s.conic);
    r.pv = mean.pv;
    r.rms = mean.rms;
    r.strehl = mean.strehl;
    r.wavefrontMean = w.mean();
    r.bestFitConic = mean.conic.conic;
    r.bestFitRadius = mean.conic.radius;
    const std::vector<double> conicDepartures = departuresFrom(s, s.mean, mean.conic.radius, mean.conic.conic);
    const Wavefront residual = wavefrontOf(s, conicDepartures);
    r.rmsVsConic = std::sqrt(residual.variance()) / s.lambda;
    const double a2 = s.aperture * s.aperture;
    r.correctionError = (r.bestFitConic - s.conic) * a2 * a2 / (16 * s.radius * s.radius * s.radius * s.lambda);

    r.airyRadius = airyRadius(s.lambda, s.radius, s.diameter);
    const CouderBalance couder = couderBalance(mean.departures, s.h, s.kappa, s.radius, r.airyRadius);
    r.couderRatio = couder.ratio;
    r.couderShift = couder.shift;
    r.couderPass = couder.ratio <= 1;

    for (std::size_t i = 0; i < n; ++i) {
        ZoneResult z;
        z.number = static_cast<int>(i + 1);
        z.inner = s.inner[i];
        z.outer = s.outer[i];
        z.h = s.h[i];
        for (const std::vector<double>& set : s.sets) z.readings.push_back(set[i]);
        z.expected = s.expected[i];
        z.measured = s.mean[i];
        z.departure = mean.departures[i];
        const double ta = transverseAberration(z.departure, z.h, s.kappa, s.radius);
        z.transverseMicrons = ta * 1000;
        z.taOverRho = ta / r.airyRadius;
        z.surfaceNm = (w.at(s.u[i]) - w.mean()) / 2 * 1e6;
        z.tolerance = milliesLacroixTolerance(z.h, s.kappa, s.radius, r.airyRadius);
        z.balancedTaOverRho =
            transverseAberration(z.departure - couder.shift, z.h, s.kappa, s.radius) / r.airyRadius;
        z.spread = z.readings.size() > 1 ? sampleDeviation(z.readings) : 0;
        r.zones.push_back(z);
    }

    if (s.sets.size() > 1) {
        for (std::size_t j = 0; j < s.sets.size(); ++j) {
            try {
                const Reduced alone = reduceReadings(s, form, s.sets[j]);
                r.sets.push_back({alone.referenceRadius, alone.pv, alone.rms, alone.strehl, alone.conic.conic,
                                  alone.conic.radius});
            } catch (const ReductionFitError& e) {
                throw ReductionFitError("set " + std::to_string(j + 1) + ": " + e.what());
            }
        }
    }

    const double ho = s.obstruction / 2;
    for (int k = 0; k < kProfilePoints; ++k) {
        const double h = ho + k * (s.aperture - ho) / (kProfilePoints - 1);
        r.profile.push_back({h, (w.at(h * h) - w.mean()) / 2 * 1e6});
    }
    r.surfaceAcross = across(w, s.aperture);
    r.residualAcross = across(residual, s.aperture);

    VerdictFigures v;
    v.strehl = r.strehl;
    v.couderRatio = r.couderRatio;
    v.correctionError = r.correctionError;
    v.rms = r.rms;
    v.rmsVsConic = r.rmsVsConic;
    v.bestFitConic = r.bestFitConic;
    v.wavelengthNm = s.wavelength * 1000;
    for (const ZoneResult& z : r.zones) {
        v.surfaceNm.push_back(z.surfaceNm);
        v.h.push_back(z.h);
    }
    r.verdict = verdictLines(v);

    const std::vector<double> back = roundTripReadings(r, simulatorZoneFor(r));
    for (std::size_t i = 0; i < n; ++i) r.zones[i].roundTrip = back[i];
    return r;
}

}  // namespace sg

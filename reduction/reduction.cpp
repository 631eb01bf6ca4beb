// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduction/reduction.h"

#include "reduction/couder_criterion.h"
#include "reduction/reading_text.h"
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
    CouderBalance couder;
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
    out.couder = couderBalance(out.departures, s.h, s.kappa, s.radius, airyRadius(s.lambda, s.radius, s.diameter));
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

// How a figure depends on the wavelength: not at all, as its inverse (in
// waves, over the Airy radius) or as itself (the Airy radius).
enum class PerWavelength { None, Inverse, Direct };

struct Figure {
    std::string name;  // its key in the command's JSON, with the zone or set
    double value = 0;
    PerWavelength scale = PerWavelength::None;
};

// Every figure the command reports or a window shows, in the units it is
// reported in, apart from the round trip (which may have no null).
std::vector<Figure> figuresOf(const ReductionResult& r, const SimulatorZone& zone) {
    using enum PerWavelength;
    std::vector<Figure> f = {
        {"focal_ratio", r.focalRatio, None},
        {"reference radius_mm", r.referenceRadius, None},
        {"reference centre_reading_mm", r.referenceCentre, None},
        {"best_fit_conic conic", r.bestFitConic, None},
        {"best_fit_conic radius_mm", r.bestFitRadius, None},
        {"couder shift_mm", r.couderShift, None},
        {"airy_radius_um", r.airyRadius * 1000, Direct},
        {"pv_wave", r.pv, Inverse},
        {"rms_wave", r.rms, Inverse},
        {"rms_surface_nm", r.rmsSurfaceNm, None},
        {"best_fit_conic rms_wave", r.rmsVsConic, Inverse},
        {"strehl", r.strehl, Inverse},
        {"couder max_ta_over_rho", r.couderRatio, Inverse},
        {"correction_error_wave", r.correctionError, Inverse},
        {"simulator zone_height_wave", zone.zoneHeight, Inverse},
    };
    for (const ZoneResult& z : r.zones) {
        const std::string of = " of zone " + std::to_string(z.number);
        for (const double v : z.readings) f.push_back({"readings_mm" + of, v, None});
        f.push_back({"h_mm" + of, z.h, None});
        f.push_back({"expected_mm" + of, z.expected, None});
        f.push_back({"measured_mm" + of, z.measured, None});
        f.push_back({"departure_mm" + of, z.departure, None});
        f.push_back({"ta_um" + of, z.transverseMicrons, None});
        f.push_back({"surface_nm" + of, z.surfaceNm, None});
        f.push_back({"spread_mm" + of, z.spread, None});
        f.push_back({"repeatability_mm" + of, z.repeatability, None});
        f.push_back({"tolerance_mm" + of, z.tolerance, Direct});
        f.push_back({"ta_over_rho" + of, z.taOverRho, Inverse});
        f.push_back({"balanced_ta_over_rho" + of, z.balancedTaOverRho, Inverse});
    }
    for (std::size_t j = 0; j < r.sets.size(); ++j) {
        const SetFigures& s = r.sets[j];
        const std::string of = " of set " + std::to_string(j + 1);
        f.push_back({"reference_radius_mm" + of, s.referenceRadius, None});
        f.push_back({"conic" + of, s.conic, None});
        f.push_back({"conic_radius_mm" + of, s.conicRadius, None});
        f.push_back({"pv_wave" + of, s.pv, Inverse});
        f.push_back({"rms_wave" + of, s.rms, Inverse});
        f.push_back({"strehl" + of, s.strehl, Inverse});
        f.push_back({"couder max_ta_over_rho" + of, s.couderRatio, Inverse});
        f.push_back({"couder shift_mm" + of, s.couderShift, None});
    }
    for (const auto* curve : {&r.profile, &r.surfaceAcross, &r.residualAcross})
        for (const ProfilePoint& p : *curve) f.push_back({"profile surface_nm", p.surfaceNm, None});
    for (const double k : zone.knotHeight) f.push_back({"simulator knot_heights_px", k, None});
    return f;
}

// Stops when a figure is not a finite number: input that the reduction's
// doubles cannot carry. The wavelength is named when the figure depends on
// it and the lengths it is made of are finite.
void checkFigures(const ReductionInput& input, const ReductionResult& r, const SimulatorZone& zone) {
    const std::vector<Figure> figures = figuresOf(r, zone);
    for (const Figure& f : figures) {
        if (std::isfinite(f.value)) continue;
        bool lengthsFinite = true;
        for (const Figure& g : figures)
            if (g.scale == PerWavelength::None && !std::isfinite(g.value)) lengthsFinite = false;
        if (f.scale != PerWavelength::None && lengthsFinite)
            throw ReductionInputError(valuePlace(input, HeaderKey::Wavelength) + "the wavelength (" +
                                      messageNumber(input.wavelength) + " um) is too " +
                                      (f.scale == PerWavelength::Inverse ? "small" : "large") +
                                      " for this mirror: its " + f.name + " is not a finite number");
        throw ReductionInputError("the " + f.name +
                                  " is not a finite number: the mirror's dimensions and readings are beyond what "
                                  "the reduction can compute with");
    }
}

double sampleDeviation(const std::vector<double>& v) {
    double mean = 0;
    for (const double x : v) mean += x;
    mean /= static_cast<double>(v.size());
    double squares = 0;
    for (const double x : v) squares += (x - mean) * (x - mean);
    return std::sqrt(squares / static_cast<double>(v.size() - 1));
}

// Each zone's readings less their set's mean offset from the mean of the
// sets: what stays when the mirror, moved between sets, is put back.
std::vector<std::vector<double>> withoutSetOffsets(const ReductionSetup& s) {
    const std::size_t n = s.zoneCount();
    std::vector<std::vector<double>> out(n);
    for (const std::vector<double>& set : s.sets) {
        double offset = 0;
        for (std::size_t i = 0; i < n; ++i) offset += set[i] - s.mean[i];
        offset /= static_cast<double>(n);
        for (std::size_t i = 0; i < n; ++i) out[i].push_back(set[i] - offset);
    }
    return out;
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
    r.nulls = s.tester.nulls;
    r.reverse = s.reverse;
    r.notes = s.notes;
    r.setCount = static_cast<int>(s.sets.size());

    const Reduced mean = reduceReadings(s, form, s.mean);
    const Wavefront w = wavefrontOf(s, mean.departures);
    r.referenceRadius = mean.referenceRadius;
    r.referenceCentre = s.modelReading(0, mean.referenceRadius, s.conic);
    r.pv = mean.pv;
    r.rms = mean.rms;
    r.rmsSurfaceNm = mean.rms * s.wavelength * 1000 / 2;
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
    const CouderBalance& couder = mean.couder;
    r.couderRatio = couder.ratio;
    r.couderShift = couder.shift;
    r.couderPass = couder.ratio <= 1;

    const std::vector<std::vector<double>> steadied = withoutSetOffsets(s);
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
        z.repeatability = z.readings.size() > 1 ? sampleDeviation(steadied[i]) : 0;
        r.zones.push_back(z);
    }

    if (s.sets.size() > 1) {
        for (std::size_t j = 0; j < s.sets.size(); ++j) {
            try {
                const Reduced alone = reduceReadings(s, form, s.sets[j]);
                r.sets.push_back({alone.referenceRadius, alone.pv, alone.rms, alone.strehl, alone.conic.conic,
                                  alone.conic.radius, alone.couder.ratio, alone.couder.shift,
                                  alone.couder.ratio <= 1});
            } catch (const ReductionFitError& e) {
                throw ReductionFitError("set " + std::to_string(j + 1) + ": " + e.what());
            } catch (const ReductionInputError& e) {
                throw ReductionInputError("set " + std::to_string(j + 1) + ": " + e.what());
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
        v.residualNm.push_back((residual.at(z.h * z.h) - residual.mean()) / 2 * 1e6);
        v.h.push_back(z.h);
    }
    r.verdict = verdictLines(v);

    const SimulatorZone zone = simulatorZoneFor(r);
    checkFigures(input, r, zone);
    const std::vector<double> back = roundTripReadings(r, zone);
    for (std::size_t i = 0; i < n; ++i) r.zones[i].roundTrip = back[i];
    return r;
}

}  // namespace sg

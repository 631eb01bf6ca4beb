// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduction/reduction_report.h"

#include "model/json_writer.h"
#include "model/number_text.h"
#include "reduction/simulator_zone.h"

#include <cmath>

namespace sg {

namespace {

const char* sourceName(SourceKind s) { return s == SourceKind::Moving ? "moving" : "fixed"; }

std::string zoneLine(const ZoneResult& z, bool roundTrip) {
    std::string line = padLeft(std::to_string(z.number), 4);
    line += ' ' + fixedText(z.inner, 2, 9);
    line += ' ' + fixedText(z.outer, 2, 9);
    line += ' ' + fixedText(z.h, 3, 9);
    line += ' ' + fixedText(z.expected, 5, 12);
    line += ' ' + fixedText(z.measured, 5, 12);
    line += ' ' + fixedText(z.departure, 5, 9);
    line += ' ' + fixedText(z.transverseMicrons, 3, 8);
    line += ' ' + fixedText(z.taOverRho, 3, 7);
    line += ' ' + fixedText(z.surfaceNm, 1, 11);
    if (roundTrip) line += ' ' + fixedText(z.roundTrip, 5, 14);
    return line;
}

// A member `key` holding the numbers on one line.
void numbers(JsonWriter& j, const char* key, const std::vector<double>& values) {
    j.key(key).beginArray(JsonWriter::Layout::Inline);
    for (const double v : values) j.number(v);
    j.end();
}

}  // namespace

std::string setLine(const SetFigures& f, int number) {
    return "Set " + std::to_string(number) + ": PV " + fixedText(f.pv, 3) + " wave, RMS " + fixedText(f.rms, 4) +
           " wave, Strehl " + fixedText(f.strehl, 3) + ", conic " + fixedText(f.conic, 4) + ", Couder " +
           fixedText(f.couderRatio, 3) + " (" + (f.couderPass ? "pass" : "fail") + ")";
}

std::vector<std::string> figureLines(const ReductionResult& r) {
    return {
        "Reference radius (conic " + fixedText(r.wantedConic, 4) + "): " + fixedText(r.referenceRadius, 3) + " mm",
        "Reference centre at reading: " + fixedText(r.referenceCentre, 4) + " mm",
        "Best-fit conic: " + fixedText(r.bestFitConic, 4),
        "Best-fit conic radius: " + fixedText(r.bestFitRadius, 3) + " mm",
        "RMS wavefront vs best-fit conic: " + fixedText(r.rmsVsConic, 4) + " wave",
        "PV wavefront: " + fixedText(r.pv, 3) + " wave",
        "RMS wavefront: " + fixedText(r.rms, 4) + " wave (surface " + fixedText(r.rmsSurfaceNm, 1) + " nm)",
        "Strehl (Marechal): " + fixedText(r.strehl, 3),
        "Airy radius: " + fixedText(r.airyRadius * 1000, 3) + " um",
        "Couder max |TA|/rho: " + fixedText(r.couderRatio, 3) + " at shift " + fixedText(r.couderShift, 4) + " mm (" +
            (r.couderPass ? "pass" : "fail") + ")",
        "Correction error: " + fixedText(r.correctionError, 3) + " wave",
    };
}

std::vector<std::string> missingFigures(const ReductionResult& r) {
    std::vector<std::string> missing;
    for (const ZoneResult& z : r.zones)
        if (!std::isfinite(z.roundTrip))
            missing.push_back("zone " + std::to_string(z.number) +
                              ": the surface handed to the simulator has no null there (round_trip_mm)");
    return missing;
}

std::string reportText(const ReductionResult& r, const ReportOptions& options) {
    std::string out;
    auto line = [&out](const std::string& text) { out += text + '\n'; };
    line("Mirror: D " + fixedText(r.diameter, 2) + " mm, R " + fixedText(r.radius, 2) + " mm, f/" +
         fixedText(r.focalRatio, 2) + ", wanted conic " + fixedText(r.wantedConic, 4) + ", source " +
         sourceName(r.source) + ", lambda " + fixedText(r.wavelength, 4) + " um");
    line("Zones: " + std::to_string(r.zones.size()) + " (zone radius " + zoneRadiusName(r.zoneRadius) + ", " +
         nullRuleName(r.nulls) + " nulls), reading sets: " + std::to_string(r.setCount));
    line(std::string("zone  inner_mm  outer_mm      h_mm  expected_mm  measured_mm    dev_mm    TA_um  TA/rho  surface_nm") +
         (options.roundTrip ? "  round_trip_mm" : ""));
    for (const ZoneResult& z : r.zones) line(zoneLine(z, options.roundTrip));
    for (const std::string& f : figureLines(r)) line(f);
    if (r.setCount > 1) {
        std::string spread = "Reading spread (std dev, mm):";
        for (const ZoneResult& z : r.zones) spread += ' ' + fixedText(z.spread, 4);
        line(spread);
        std::string repeatability = "Repeatability (std dev less each set's offset, mm):";
        for (const ZoneResult& z : r.zones) repeatability += ' ' + fixedText(z.repeatability, 4);
        line(repeatability);
        for (std::size_t j = 0; j < r.sets.size(); ++j) line(setLine(r.sets[j], static_cast<int>(j + 1)));
    }
    if (options.profile) {
        line("h_mm  surface_nm");
        for (const ProfilePoint& p : r.profile) line(fixedText(p.h, 2) + ' ' + fixedText(p.surfaceNm, 1));
    }
    for (const std::string& v : r.verdict) line("Verdict: " + v);
    return out;
}

std::string reportJson(const ReductionResult& r, const std::string& version) {
    using Layout = JsonWriter::Layout;
    JsonWriter j;
    j.beginObject();
    j.key("program").string("shadowgram-reduce").key("version").string(version);
    j.key("mirror").beginObject();
    j.key("diameter_mm").number(r.diameter);
    j.key("radius_mm").number(r.radius);
    j.key("focal_ratio").number(r.focalRatio);
    j.key("wanted_conic").number(r.wantedConic);
    j.key("wavelength_um").number(r.wavelength);
    j.key("obstruction_mm").number(r.obstruction);
    j.key("source").string(sourceName(r.source));
    j.key("source_distance_mm").number(r.sourceDistance);
    j.key("zone_radius").string(zoneRadiusName(r.zoneRadius));
    j.key("null").string(nullRuleName(r.nulls));
    j.key("reverse").boolean(r.reverse);
    j.end();
    j.key("reading_sets").number(r.setCount);

    j.key("zones").beginArray();
    for (const ZoneResult& z : r.zones) {
        j.beginObject();
        j.key("zone").number(z.number);
        j.key("inner_mm").number(z.inner);
        j.key("outer_mm").number(z.outer);
        j.key("h_mm").number(z.h);
        numbers(j, "readings_mm", z.readings);
        j.key("expected_mm").number(z.expected);
        j.key("measured_mm").number(z.measured);
        j.key("departure_mm").number(z.departure);
        j.key("ta_um").number(z.transverseMicrons);
        j.key("ta_over_rho").number(z.taOverRho);
        j.key("surface_nm").number(z.surfaceNm);
        j.key("tolerance_mm").number(z.tolerance);
        j.key("balanced_ta_over_rho").number(z.balancedTaOverRho);
        j.key("spread_mm");
        if (r.setCount > 1) j.number(z.spread);
        else j.null();
        j.key("repeatability_mm");
        if (r.setCount > 1) j.number(z.repeatability);
        else j.null();
        j.key("round_trip_mm").number(z.roundTrip);
        j.end();
    }
    j.end();

    j.key("reference").beginObject();
    j.key("conic").number(r.wantedConic);
    j.key("radius_mm").number(r.referenceRadius);
    j.key("centre_reading_mm").number(r.referenceCentre);
    j.end();
    j.key("best_fit_conic").beginObject();
    j.key("conic").number(r.bestFitConic).key("radius_mm").number(r.bestFitRadius).key("rms_wave").number(r.rmsVsConic);
    j.end();
    j.key("pv_wave").number(r.pv);
    j.key("rms_wave").number(r.rms);
    j.key("rms_surface_nm").number(r.rmsSurfaceNm);
    j.key("strehl").number(r.strehl);
    j.key("airy_radius_um").number(r.airyRadius * 1000);
    j.key("couder").beginObject();
    j.key("max_ta_over_rho").number(r.couderRatio).key("shift_mm").number(r.couderShift).key("pass").boolean(r.couderPass);
    j.end();
    j.key("correction_error_wave").number(r.correctionError);

    j.key("sets").beginArray();
    for (std::size_t k = 0; k < r.sets.size(); ++k) {
        const SetFigures& f = r.sets[k];
        j.beginObject();
        j.key("set").number(static_cast<double>(k + 1));
        j.key("reference_radius_mm").number(f.referenceRadius);
        j.key("pv_wave").number(f.pv);
        j.key("rms_wave").number(f.rms);
        j.key("strehl").number(f.strehl);
        j.key("conic").number(f.conic);
        j.key("conic_radius_mm").number(f.conicRadius);
        j.key("couder").beginObject();
        j.key("max_ta_over_rho").number(f.couderRatio).key("shift_mm").number(f.couderShift).key("pass").boolean(
            f.couderPass);
        j.end();
        j.end();
    }
    j.end();

    j.key("profile").beginArray();
    for (const ProfilePoint& p : r.profile)
        j.beginObject(Layout::Inline).key("h_mm").number(p.h).key("surface_nm").number(p.surfaceNm).end();
    j.end();

    const SimulatorZone zone = simulatorZoneFor(r);
    j.key("simulator").beginObject();
    j.key("diameter_mm").number(zone.diameter);
    j.key("radius_mm").number(zone.radius);
    j.key("conic").number(zone.conic);
    j.key("wavelength_um").number(zone.wavelength);
    j.key("zone_height_wave").number(zone.zoneHeight);
    numbers(j, "knot_heights_px", std::vector<double>(zone.knotHeight.begin(), zone.knotHeight.end()));
    j.end();

    j.key("verdict").beginArray();
    for (const std::string& v : r.verdict) j.string(v);
    j.end();
    j.key("notes").beginArray();
    for (const std::string& n : r.notes) j.string(n);
    j.end();
    j.end();
    return j.text() + "\n";
}

}  // namespace sg

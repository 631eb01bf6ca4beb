// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduction_report.h"

#include "number_text.h"
#include "simulator_zone.h"

#include <cmath>

namespace sg {

namespace {

const char* sourceName(SourceKind s) { return s == SourceKind::Moving ? "moving" : "fixed"; }
const char* ruleName(ZoneRadiusRule r) { return r == ZoneRadiusRule::Rms ? "rms" : "mid"; }

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

std::string jsonString(const std::string& text) {
    static const char* const kHex = "0123456789abcdef";
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

// A JSON object written member by member, nested by indentation.
class JsonObject {
public:
    explicit JsonObject(int indent) : indent_(indent) {}
    JsonObject& raw(const std::string& key, const std::string& value) {
        body_ += (body_.empty() ? "" : ",\n") + std::string(static_cast<std::size_t>(indent_ + 2), ' ') +
                 jsonString(key) + ": " + value;
        return *this;
    }
    JsonObject& number(const std::string& key, double v) { return raw(key, jsonNumber(v)); }
    JsonObject& text(const std::string& key, const std::string& v) { return raw(key, jsonString(v)); }
    JsonObject& flag(const std::string& key, bool v) { return raw(key, v ? "true" : "false"); }
    std::string str() const { return "{\n" + body_ + "\n" + std::string(static_cast<std::size_t>(indent_), ' ') + "}"; }

private:
    int indent_;
    std::string body_;
};

std::string jsonArray(const std::vector<std::string>& items, int indent) {
    if (items.empty()) return "[]";
    std::string out = "[\n";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += std::string(static_cast<std::size_t>(indent + 2), ' ') + items[i] + (i + 1 < items.size() ? ",\n" : "\n");
    return out + std::string(static_cast<std::size_t>(indent), ' ') + "]";
}

std::string jsonNumbers(const std::vector<double>& values) {
    std::string out = "[";
    for (std::size_t i = 0; i < values.size(); ++i) out += (i ? ", " : "") + jsonNumber(values[i]);
    return out + "]";
}

}  // namespace

std::vector<std::string> figureLines(const ReductionResult& r) {
    return {
        "Reference radius (conic " + fixedText(r.wantedConic, 4) + "): " + fixedText(r.referenceRadius, 3) + " mm",
        "Reference centre at reading: " + fixedText(r.referenceCentre, 4) + " mm",
        "Best-fit conic: " + fixedText(r.bestFitConic, 4),
        "Best-fit conic radius: " + fixedText(r.bestFitRadius, 3) + " mm",
        "RMS wavefront vs best-fit conic: " + fixedText(r.rmsVsConic, 4) + " wave",
        "PV wavefront: " + fixedText(r.pv, 3) + " wave",
        "RMS wavefront: " + fixedText(r.rms, 4) + " wave",
        "Strehl (Marechal): " + fixedText(r.strehl, 3),
        "Airy radius: " + fixedText(r.airyRadius * 1000, 3) + " um",
        "Couder max |TA|/rho: " + fixedText(r.couderRatio, 3) + " at shift " + fixedText(r.couderShift, 4) + " mm (" +
            (r.couderPass ? "pass" : "fail") + ")",
        "Correction error: " + fixedText(r.correctionError, 3) + " wave",
    };
}

std::string reportText(const ReductionResult& r, const ReportOptions& options) {
    std::string out;
    auto line = [&out](const std::string& text) { out += text + '\n'; };
    line("Mirror: D " + fixedText(r.diameter, 2) + " mm, R " + fixedText(r.radius, 2) + " mm, f/" +
         fixedText(r.focalRatio, 2) + ", wanted conic " + fixedText(r.wantedConic, 4) + ", source " +
         sourceName(r.source) + ", lambda " + fixedText(r.wavelength, 4) + " um");
    line("Zones: " + std::to_string(r.zones.size()) + " (zone radius " + ruleName(r.zoneRadius) +
         "), reading sets: " + std::to_string(r.setCount));
    line(std::string("zone  inner_mm  outer_mm      h_mm  expected_mm  measured_mm    dev_mm    TA_um  TA/rho  surface_nm") +
         (options.roundTrip ? "  round_trip_mm" : ""));
    for (const ZoneResult& z : r.zones) line(zoneLine(z, options.roundTrip));
    for (const std::string& f : figureLines(r)) line(f);
    if (r.setCount > 1) {
        std::string spread = "Reading spread (std dev, mm):";
        for (const ZoneResult& z : r.zones) spread += ' ' + fixedText(z.spread, 4);
        line(spread);
        for (std::size_t j = 0; j < r.sets.size(); ++j) {
            const SetFigures& f = r.sets[j];
            line("Set " + std::to_string(j + 1) + ": PV " + fixedText(f.pv, 3) + " wave, RMS " + fixedText(f.rms, 4) +
                 " wave, Strehl " + fixedText(f.strehl, 3) + ", conic " + fixedText(f.conic, 4));
        }
    }
    if (options.profile) {
        line("h_mm  surface_nm");
        for (const ProfilePoint& p : r.profile) line(fixedText(p.h, 2) + ' ' + fixedText(p.surfaceNm, 1));
    }
    for (const std::string& v : r.verdict) line("Verdict: " + v);
    return out;
}

std::string reportJson(const ReductionResult& r, const std::string& version) {
    JsonObject mirror(2);
    mirror.number("diameter_mm", r.diameter)
        .number("radius_mm", r.radius)
        .number("focal_ratio", r.focalRatio)
        .number("wanted_conic", r.wantedConic)
        .number("wavelength_um", r.wavelength)
        .number("obstruction_mm", r.obstruction)
        .text("source", sourceName(r.source))
        .number("source_distance_mm", r.sourceDistance)
        .text("zone_radius", ruleName(r.zoneRadius))
        .flag("reverse", r.reverse);

    std::vector<std::string> zones;
    for (const ZoneResult& z : r.zones) {
        JsonObject o(4);
        o.number("zone", z.number)
            .number("inner_mm", z.inner)
            .number("outer_mm", z.outer)
            .number("h_mm", z.h)
            .raw("readings_mm", jsonNumbers(z.readings))
            .number("expected_mm", z.expected)
            .number("measured_mm", z.measured)
            .number("departure_mm", z.departure)
            .number("ta_um", z.transverseMicrons)
            .number("ta_over_rho", z.taOverRho)
            .number("surface_nm", z.surfaceNm)
            .number("tolerance_mm", z.tolerance)
            .number("balanced_ta_over_rho", z.balancedTaOverRho)
            .raw("spread_mm", r.setCount > 1 ? jsonNumber(z.spread) : "null")
            .number("round_trip_mm", z.roundTrip);
        zones.push_back(o.str());
    }

    JsonObject reference(2);
    reference.number("conic", r.wantedConic)
        .number("radius_mm", r.referenceRadius)
        .number("centre_reading_mm", r.referenceCentre);
    JsonObject bestFit(2);
    bestFit.number("conic", r.bestFitConic).number("radius_mm", r.bestFitRadius).number("rms_wave", r.rmsVsConic);
    JsonObject couder(2);
    couder.number("max_ta_over_rho", r.couderRatio).number("shift_mm", r.couderShift).flag("pass", r.couderPass);

    std::vector<std::string> sets;
    for (std::size_t j = 0; j < r.sets.size(); ++j) {
        const SetFigures& f = r.sets[j];
        JsonObject o(4);
        o.number("set", static_cast<double>(j + 1))
            .number("reference_radius_mm", f.referenceRadius)
            .number("pv_wave", f.pv)
            .number("rms_wave", f.rms)
            .number("strehl", f.strehl)
            .number("conic", f.conic)
            .number("conic_radius_mm", f.conicRadius);
        sets.push_back(o.str());
    }

    std::vector<std::string> profile;
    for (const ProfilePoint& p : r.profile)
        profile.push_back("{\"h_mm\": " + jsonNumber(p.h) + ", \"surface_nm\": " + jsonNumber(p.surfaceNm) + "}");

    const SimulatorZone zone = simulatorZoneFor(r);
    JsonObject simulator(2);
    simulator.number("diameter_mm", zone.diameter)
        .number("radius_mm", zone.radius)
        .number("conic", zone.conic)
        .number("wavelength_um", zone.wavelength)
        .number("zone_height_wave", zone.zoneHeight)
        .raw("knot_heights_px", jsonNumbers(std::vector<double>(zone.knotHeight.begin(), zone.knotHeight.end())));

    std::vector<std::string> verdict;
    for (const std::string& v : r.verdict) verdict.push_back(jsonString(v));

    JsonObject top(0);
    top.text("program", "shadowgram-reduce")
        .text("version", version)
        .raw("mirror", mirror.str())
        .number("reading_sets", r.setCount)
        .raw("zones", jsonArray(zones, 2))
        .raw("reference", reference.str())
        .raw("best_fit_conic", bestFit.str())
        .number("pv_wave", r.pv)
        .number("rms_wave", r.rms)
        .number("strehl", r.strehl)
        .number("airy_radius_um", r.airyRadius * 1000)
        .raw("couder", couder.str())
        .number("correction_error_wave", r.correctionError)
        .raw("sets", jsonArray(sets, 2))
        .raw("profile", jsonArray(profile, 2))
        .raw("simulator", simulator.str())
        .raw("verdict", jsonArray(verdict, 2));
    return top.str() + "\n";
}

}  // namespace sg

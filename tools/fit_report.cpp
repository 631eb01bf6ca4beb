// SPDX-License-Identifier: GPL-3.0-or-later
#include "fit_report.h"

#include <charconv>
#include <cmath>

namespace sg {

std::string fixedPoint(double value, int decimals) {
    if (!std::isfinite(value)) return "nan";
    if (value == 0) value = 0;  // no "-0.000"
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals).ptr;
    std::string s(text, end);
    if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-') s.erase(0, 1);
    return s;
}

namespace {

std::string signedPoint(double value, int decimals) {
    const std::string s = fixedPoint(value, decimals);
    return s[0] == '-' ? s : "+" + s;
}

const char* sideName(Side s) {
    switch (s) {
    case Side::Inside: return "inside";
    case Side::Outside: return "outside";
    case Side::Unknown: break;
    }
    return "undecided";
}

const char* sideFromName(SideFrom s) {
    switch (s) {
    case SideFrom::Given: return "given";
    case SideFrom::SecondPhoto: return "second photo";
    case SideFrom::Conic: return "conic";
    case SideFrom::Undecided: break;
    }
    return "undecided";
}

const char* zoneName(ZoneKind k) {
    switch (k) {
    case ZoneKind::Edge: return "edge";
    case ZoneKind::Centre: return "centre";
    case ZoneKind::None: break;
    }
    return "none";
}

std::string diskLine(const PhotoAlignment& a) {
    return "disk     centre " + fixedPoint(a.disk.cx, 2) + ", " + fixedPoint(a.disk.cy, 2) + " px, radius " +
           fixedPoint(a.disk.radius, 2) + " px, band normal " + fixedPoint(a.direction.normalDeg, 2) + " deg\n";
}

std::string photoLine(const std::string& label, const std::string& name, const PhotoAlignment& a) {
    return label + name + ", " + std::to_string(a.photoWidth) + " x " + std::to_string(a.photoHeight) + " pixels\n";
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') out += '\\', out += c;
        else if (u < 0x20) {
            static const char* hex = "0123456789abcdef";
            out += "\\u00";
            out += hex[u >> 4];
            out += hex[u & 15];
        } else out += c;
    }
    return out + "\"";
}

std::string jsonDisk(const PhotoAlignment& a) {
    return "{\"cx\": " + fixedPoint(a.disk.cx, 3) + ", \"cy\": " + fixedPoint(a.disk.cy, 3) +
           ", \"r\": " + fixedPoint(a.disk.radius, 3) + ", \"band_normal_deg\": " + fixedPoint(a.direction.normalDeg, 3) +
           "}";
}

}  // namespace

std::string fitReportText(const FitReportInput& in) {
    const FitResult& r = *in.result;
    std::string t = photoLine("photo    ", in.photo, *in.first) + diskLine(*in.first);
    if (in.second) t += photoLine("second   ", in.secondPhoto, *in.second) + diskLine(*in.second);
    t += "offset   " + signedPoint(r.offset.value, 4) + " +/- " + fixedPoint(r.offset.sigma, 4) + " mm, ";
    if (r.sideFrom == SideFrom::Undecided)
        t += "side undecided (on the other side " + signedPoint(-r.offset.value, 4) + " mm with conic " +
             signedPoint(-r.conic.value, 5) + ")";
    else
        t += std::string(sideName(r.side)) + " the centre of curvature (" + sideFromName(r.sideFrom) + ")";
    if (r.mirror.sourceMoves) t += "; the grating's own, its source moving with it";
    t += "\n";
    if (in.second)
        t += "offset   " + signedPoint(r.offset.value + in.separation, 4) + " mm for the second photo, " +
             fixedPoint(in.separation, 4) + " mm from the first\n";
    t += "conic    " + signedPoint(r.conic.value, 5) + " +/- " + fixedPoint(r.conic.sigma, 5) + ", correction " +
         fixedPoint(r.correctionPercent, 1) + " %\n";
    if (r.zoneHeight)
        t += std::string("zone     ") +
             (r.zone.kind == ZoneKind::Edge ? "turned edge from " : "central zone out to ") +
             fixedPoint(r.zone.start, 2) + " of the radius: " + signedPoint(r.zoneHeight->value, 4) + " +/- " +
             fixedPoint(r.zoneHeight->sigma, 4) + " waves on the surface (" + fixedPoint(r.mirror.wavelength, 3) +
             " um)\n";
    t += "edges    " + std::to_string(r.edgesUsed) + " used of " + std::to_string(r.edgesFound) + ", RMS " +
         fixedPoint(r.edgeRmsPhoto, 3) + " px in the photo (" + fixedPoint(r.edgeRms, 3) +
         " px on the program's 550 px disk)\n";
    t += "model    " + std::string(r.mirror.exact ? "exact ray trace" : "two-term series") + ", " +
         fixedPoint(r.bandPairs, 1) + " band pairs, transverse " + signedPoint(r.parameters.transverse, 3) +
         " bands\n";
    t += "seconds  " + fixedPoint(in.seconds, 2) + "\n";
    for (const FitWarning& w : r.warnings) t += "warning: " + w.message + "\n";
    return t;
}

std::string fitReportJson(const FitReportInput& in) {
    const FitResult& r = *in.result;
    std::string j = "{\n";
    auto field = [&](const std::string& key, const std::string& value) { j += "  \"" + key + "\": " + value + ",\n"; };
    field("photo", jsonString(in.photo));
    field("conic", fixedPoint(r.conic.value, 6));
    field("conic_sigma", fixedPoint(r.conic.sigma, 6));
    field("correction_percent", fixedPoint(r.correctionPercent, 3));
    field("offset_mm", fixedPoint(r.offset.value, 5));
    field("offset_sigma_mm", fixedPoint(r.offset.sigma, 5));
    field("side", jsonString(sideName(r.side)));
    field("side_from", jsonString(sideFromName(r.sideFrom)));
    field("source", jsonString(r.mirror.sourceMoves ? "moving" : "fixed"));
    field("ray_model", jsonString(r.mirror.exact ? "exact" : "series"));
    field("zone", jsonString(zoneName(r.zone.kind)));
    if (r.zoneHeight) {
        field("zone_start", fixedPoint(r.zone.start, 4));
        field("zone_height", fixedPoint(r.zoneHeight->value, 5));
        field("zone_height_sigma", fixedPoint(r.zoneHeight->sigma, 5));
    } else {
        field("zone_height", "null");
    }
    field("disk", jsonDisk(*in.first));
    if (in.second) {
        field("second_photo", jsonString(in.secondPhoto));
        field("second_disk", jsonDisk(*in.second));
        field("separation_mm", fixedPoint(in.separation, 5));
    }
    field("transverse_bands", fixedPoint(r.parameters.transverse, 5));
    field("band_pairs", fixedPoint(r.bandPairs, 3));
    field("edges_found", std::to_string(r.edgesFound));
    field("edges_used", std::to_string(r.edgesUsed));
    field("edge_rms_px", fixedPoint(r.edgeRmsPhoto, 4));
    field("edge_rms_frame_px", fixedPoint(r.edgeRms, 4));
    std::string warnings = "[";
    for (std::size_t i = 0; i < r.warnings.size(); ++i)
        warnings += (i ? ", " : "") + jsonString(r.warnings[i].message);
    field("warnings", warnings + "]");
    j += "  \"seconds\": " + fixedPoint(in.seconds, 3) + "\n}\n";
    return j;
}

}  // namespace sg

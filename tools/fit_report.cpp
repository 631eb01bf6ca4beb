// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/fit_report.h"

#include "model/json_writer.h"
#include "model/number_text.h"

namespace sg {

namespace {

std::string signedPoint(double value, int decimals) {
    const std::string s = fixedText(value, decimals);
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
    return "disk     centre " + fixedText(a.disk.cx, 2) + ", " + fixedText(a.disk.cy, 2) + " px, radius " +
           fixedText(a.disk.radius, 2) + " px, band normal " + fixedText(a.direction.normalDeg, 2) + " deg\n";
}

std::string photoLine(const std::string& label, const std::string& name, const PhotoAlignment& a) {
    return label + name + ", " + std::to_string(a.photoWidth) + " x " + std::to_string(a.photoHeight) + " pixels\n";
}

void jsonDisk(JsonWriter& j, const char* key, const PhotoAlignment& a) {
    j.key(key).beginObject(JsonWriter::Layout::Inline);
    j.key("cx").fixed(a.disk.cx, 3).key("cy").fixed(a.disk.cy, 3).key("r").fixed(a.disk.radius, 3);
    j.key("band_normal_deg").fixed(a.direction.normalDeg, 3);
    j.end();
}

}  // namespace

std::string fitReportText(const FitReportInput& in) {
    const FitResult& r = *in.result;
    std::string t = photoLine("photo    ", in.photo, *in.first) + diskLine(*in.first);
    if (in.second) t += photoLine("second   ", in.secondPhoto, *in.second) + diskLine(*in.second);
    t += "offset   " + signedPoint(r.offset.value, 4) + " +/- " + fixedText(r.offset.sigma, 4) + " mm, ";
    if (r.sideFrom == SideFrom::Undecided)
        t += "side undecided (on the other side " + signedPoint(-r.offset.value, 4) + " mm with conic " +
             signedPoint(-r.conic.value, 5) + ")";
    else
        t += std::string(sideName(r.side)) + " the centre of curvature (" + sideFromName(r.sideFrom) + ")";
    if (r.mirror.sourceMoves) t += "; the grating's own, its source moving with it";
    t += "\n";
    if (in.second)
        t += "offset   " + signedPoint(r.offset.value + in.separation, 4) + " mm for the second photo, " +
             fixedText(in.separation, 4) + " mm from the first\n";
    t += "conic    " + signedPoint(r.conic.value, 5) + " +/- " + fixedText(r.conic.sigma, 5) + ", correction " +
         fixedText(r.correctionPercent, 1) + " %\n";
    if (r.zoneHeight)
        t += std::string("zone     ") +
             (r.zone.kind == ZoneKind::Edge ? "turned edge from " : "central zone out to ") +
             fixedText(r.zone.start, 2) + " of the radius: " + signedPoint(r.zoneHeight->value, 4) + " +/- " +
             fixedText(r.zoneHeight->sigma, 4) + " waves on the surface (" + fixedText(r.mirror.wavelength, 3) +
             " um)\n";
    t += "edges    " + std::to_string(r.edgesUsed) + " used of " + std::to_string(r.edgesFound) + ", RMS " +
         fixedText(r.edgeRmsPhoto, 3) + " px in the photo (" + fixedText(r.edgeRms, 3) +
         " px on the program's 550 px disk)\n";
    t += "model    " + std::string(r.mirror.exact ? "exact ray trace" : "two-term series") + ", " +
         fixedText(r.bandPairs, 1) + " band pairs, transverse " + signedPoint(r.parameters.transverse, 3) +
         " bands\n";
    t += "seconds  " + fixedText(in.seconds, 2) + "\n";
    for (const FitWarning& w : r.warnings) t += "warning: " + w.message + "\n";
    return t;
}

std::string fitReportJson(const FitReportInput& in) {
    const FitResult& r = *in.result;
    JsonWriter j;
    j.beginObject();
    j.key("photo").string(in.photo);
    j.key("conic").fixed(r.conic.value, 6);
    j.key("conic_sigma").fixed(r.conic.sigma, 6);
    j.key("correction_percent").fixed(r.correctionPercent, 3);
    j.key("offset_mm").fixed(r.offset.value, 5);
    j.key("offset_sigma_mm").fixed(r.offset.sigma, 5);
    j.key("side").string(sideName(r.side));
    j.key("side_from").string(sideFromName(r.sideFrom));
    j.key("source").string(r.mirror.sourceMoves ? "moving" : "fixed");
    j.key("ray_model").string(r.mirror.exact ? "exact" : "series");
    j.key("zone").string(zoneName(r.zone.kind));
    if (r.zoneHeight) {
        j.key("zone_start").fixed(r.zone.start, 4);
        j.key("zone_height").fixed(r.zoneHeight->value, 5);
        j.key("zone_height_sigma").fixed(r.zoneHeight->sigma, 5);
    } else {
        j.key("zone_height").null();
    }
    jsonDisk(j, "disk", *in.first);
    if (in.second) {
        j.key("second_photo").string(in.secondPhoto);
        jsonDisk(j, "second_disk", *in.second);
        j.key("separation_mm").fixed(in.separation, 5);
    }
    j.key("transverse_bands").fixed(r.parameters.transverse, 5);
    j.key("band_pairs").fixed(r.bandPairs, 3);
    j.key("edges_found").integer(r.edgesFound);
    j.key("edges_used").integer(r.edgesUsed);
    j.key("edge_rms_px").fixed(r.edgeRmsPhoto, 4);
    j.key("edge_rms_frame_px").fixed(r.edgeRms, 4);
    j.key("warnings").beginArray(JsonWriter::Layout::Inline);
    for (const FitWarning& w : r.warnings) j.string(w.message);
    j.end();
    j.key("seconds").fixed(in.seconds, 3);
    j.end();
    return j.text() + "\n";
}

}  // namespace sg

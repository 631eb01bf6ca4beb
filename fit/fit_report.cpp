// SPDX-License-Identifier: GPL-3.0-or-later
#include "fit/fit_report.h"

#include "model/json_writer.h"
#include "model/number_text.h"

#include <cmath>

namespace sg {

namespace {

// A figure of the text, at most 24 characters: fixed notation, or the
// shortest form with an exponent for a huge or tiny value.
std::string figure(double value, int decimals) { return boundedText(value, decimals); }

std::string signedPoint(double value, int decimals) {
    const std::string s = figure(value, decimals);
    return s[0] == '-' || !std::isfinite(value) ? s : "+" + s;
}

// A figure of the JSON: as the text writes it, which is a JSON number, or
// null for a value that is not finite.
void jsonFigure(JsonWriter& j, double value, int decimals) {
    if (std::isfinite(value) && boundedText(value, decimals) == fixedText(value, decimals))
        j.fixed(value, decimals);
    else
        j.number(value);
}



// The light and the source the fit assumed, for the text.
std::string lightLine(const FitMirror& m) {
    std::string t = "light    ";
    t += m.spectrum == Spectrum::White && m.model == FitModel::Waves ? "white light"
                                                                      : figure(m.wavelength, 3) + " um";
    switch (m.source) {
    case LightSource::Slit: t += ", a slit " + figure(m.slitWidth, 4) + " mm wide"; break;
    case LightSource::Grating:
        t += ", the grating lit from behind (a slit " + figure(sourceWidth(m), 4) + " mm wide)";
        break;
    case LightSource::Point: t += ", a point source"; break;
    }
    return t + "\n";
}

std::string diskLine(const PhotoAlignment& a) {
    return "disk     centre " + figure(a.disk.cx, 2) + ", " + figure(a.disk.cy, 2) + " px, radius " +
           figure(a.disk.radius, 2) + " px, band normal " + figure(a.direction.normalDeg, 2) + " deg\n";
}

std::string photoLine(const std::string& label, const std::string& name, const PhotoAlignment& a) {
    return label + name + ", " + std::to_string(a.photoWidth) + " x " + std::to_string(a.photoHeight) + " pixels\n";
}

void jsonDisk(JsonWriter& j, const char* key, const PhotoAlignment& a) {
    j.key(key).beginObject(JsonWriter::Layout::Inline);
    jsonFigure(j.key("cx"), a.disk.cx, 3);
    jsonFigure(j.key("cy"), a.disk.cy, 3);
    jsonFigure(j.key("r"), a.disk.radius, 3);
    jsonFigure(j.key("band_normal_deg"), a.direction.normalDeg, 3);
    j.end();
}

}  // namespace

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

const char* modelName(FitModel m) { return m == FitModel::Waves ? "waves" : "rays"; }

const char* sourceKindName(LightSource k) {
    switch (k) {
    case LightSource::Slit: return "slit";
    case LightSource::Grating: return "grating";
    case LightSource::Point: break;
    }
    return "point";
}

std::string fitReportText(const FitReportInput& in) {
    const FitResult& r = *in.result;
    std::string t = photoLine("photo    ", in.photo, *in.first) + diskLine(*in.first);
    if (in.second) t += photoLine("second   ", in.secondPhoto, *in.second) + diskLine(*in.second);
    t += "offset   " + signedPoint(r.offset.value, 4) + " +/- " + figure(r.offset.sigma, 4) + " mm, ";
    if (r.sideFrom == SideFrom::Undecided)
        t += "side undecided (on the other side " + signedPoint(-r.offset.value, 4) + " mm with conic " +
             signedPoint(-r.conic.value, 5) + ")";
    else
        t += std::string(sideName(r.side)) + " the centre of curvature (" + sideFromName(r.sideFrom) + ")";
    if (r.mirror.sourceMoves) t += "; the grating's own, its source moving with it";
    t += "\n";
    if (in.second)
        t += "offset   " + signedPoint(r.offset.value + in.separation, 4) + " mm for the second photo, " +
             figure(in.separation, 4) + " mm from the first\n";
    t += "conic    " + signedPoint(r.conic.value, 5) + " +/- " + figure(r.conic.sigma, 5) + ", correction " +
         figure(r.correctionPercent, 1) + " %\n";
    if (r.zoneHeight)
        t += std::string("zone     ") +
             (r.zone.kind == ZoneKind::Edge ? "turned edge from " : "central zone out to ") +
             figure(r.zone.start, 2) + " of the radius: " + signedPoint(r.zoneHeight->value, 4) + " +/- " +
             figure(r.zoneHeight->sigma, 4) + " waves on the surface (" + figure(r.mirror.wavelength, 3) +
             " um)\n";
    t += "edges    " + std::to_string(r.edgesUsed) + " used of " + std::to_string(r.edgesFound) + ", RMS " +
         figure(r.edgeRmsPhoto, 3) + " px in the photo (" + figure(r.edgeRms, 3) +
         " px on the program's 550 px disk)\n";
    t += lightLine(r.mirror);
    // The wave picture is always of the exact surface.
    t += "model    " +
         std::string(r.mirror.model == FitModel::Waves ? "wave optics of the exact surface"
                     : r.mirror.exact                  ? "exact ray trace"
                                                       : "two-term series") +
         ", " +
         figure(r.bandPairs, 1) + " band pairs, transverse " + signedPoint(r.parameters.transverse, 3) +
         " bands\n";
    if (std::isfinite(r.pictureExplained))
        t += "picture  the wave picture explains " + figure(100 * r.pictureExplained, 1) +
             " % of the photo's brightness\n";
    t += "seconds  " + figure(in.seconds, 2) + "\n";
    for (const FitWarning& w : r.warnings) t += "warning: " + w.message + "\n";
    return t;
}

std::string fitReportJson(const FitReportInput& in) {
    const FitResult& r = *in.result;
    JsonWriter j;
    j.beginObject();
    j.key("photo").string(in.photo);
    jsonFigure(j.key("conic"), r.conic.value, 6);
    jsonFigure(j.key("conic_sigma"), r.conic.sigma, 6);
    jsonFigure(j.key("correction_percent"), r.correctionPercent, 3);
    jsonFigure(j.key("offset_mm"), r.offset.value, 5);
    jsonFigure(j.key("offset_sigma_mm"), r.offset.sigma, 5);
    j.key("side").string(sideName(r.side));
    j.key("side_from").string(sideFromName(r.sideFrom));
    j.key("source").string(r.mirror.sourceMoves ? "moving" : "fixed");
    j.key("ray_model").string(r.mirror.exact ? "exact" : "series");
    j.key("model").string(modelName(r.mirror.model));
    jsonFigure(j.key("wavelength_um"), r.mirror.wavelength, 4);
    j.key("spectrum").string(r.mirror.spectrum == Spectrum::White ? "white" : "mono");
    j.key("source_kind").string(sourceKindName(r.mirror.source));
    jsonFigure(j.key("source_width_mm"), sourceWidth(r.mirror), 5);
    if (std::isfinite(r.pictureExplained)) jsonFigure(j.key("picture_explained"), r.pictureExplained, 4);
    else j.key("picture_explained").null();
    j.key("zone").string(zoneName(r.zone.kind));
    if (r.zoneHeight) {
        jsonFigure(j.key("zone_start"), r.zone.start, 4);
        jsonFigure(j.key("zone_height"), r.zoneHeight->value, 5);
        jsonFigure(j.key("zone_height_sigma"), r.zoneHeight->sigma, 5);
    } else {
        j.key("zone_height").null();
    }
    jsonDisk(j, "disk", *in.first);
    if (in.second) {
        j.key("second_photo").string(in.secondPhoto);
        jsonDisk(j, "second_disk", *in.second);
        jsonFigure(j.key("separation_mm"), in.separation, 5);
    }
    jsonFigure(j.key("transverse_bands"), r.parameters.transverse, 5);
    jsonFigure(j.key("band_pairs"), r.bandPairs, 3);
    j.key("edges_found").integer(r.edgesFound);
    j.key("edges_used").integer(r.edgesUsed);
    jsonFigure(j.key("edge_rms_px"), r.edgeRmsPhoto, 4);
    jsonFigure(j.key("edge_rms_frame_px"), r.edgeRms, 4);
    j.key("warnings").beginArray(JsonWriter::Layout::Inline);
    for (const FitWarning& w : r.warnings) j.string(w.message);
    j.end();
    jsonFigure(j.key("seconds"), in.seconds, 3);
    j.end();
    return j.text() + "\n";
}

}  // namespace sg

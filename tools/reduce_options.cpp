// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/reduce_options.h"

#include "reduction/reading_text.h"
#include "fileio/record_file.h"

namespace sg {

namespace {

struct ValueOption {
    const char* name;
    HeaderKey key;
};

constexpr ValueOption kValueOptions[] = {
    {"--diameter", HeaderKey::Diameter},
    {"--radius", HeaderKey::Radius},
    {"--conic", HeaderKey::Conic},
    {"--wavelength", HeaderKey::Wavelength},
    {"--source", HeaderKey::Source},
    {"--source-distance", HeaderKey::SourceDistance},
    {"--zone-radius", HeaderKey::ZoneRadius},
    {"--obstruction", HeaderKey::Obstruction},
};

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// The value of the header option stepped to, checked now with the file's
// rules so that a bad value is refused before any file is read: numbers as
// every program reads them (the blanks around one dropped), then the
// file's ranges; the words in any case, as the file takes them.
std::string headerValue(CommandLine& args, const ValueOption& option) {
    const HeaderKey key = option.key;
    std::string text;
    if (key == HeaderKey::Source) {
        text = args.choice({"moving", "fixed"}, true) == 0 ? "moving" : "fixed";
    } else if (key == HeaderKey::ZoneRadius) {
        text = args.choice({"rms", "mid"}, true) == 0 ? "rms" : "mid";
    } else {
        text = args.numberText();
        while (isBlank(text.back())) text.pop_back();
        text.erase(0, text.find_first_not_of(" \t"));
    }
    ReductionInput scratch;
    try {
        setHeaderValue(scratch, key, text);
    } catch (const ReductionInputError& e) {
        throw UsageError(std::string("option ") + option.name + ": " + e.what());
    }
    return text;
}

}  // namespace

ReduceOptions parseReduceOptions(const std::vector<std::string>& arguments) {
    ReduceOptions o;
    StandardOptions standard;
    CommandLine args(arguments);
    while (args.next()) {
        const std::string& a = args.argument();
        if (!args.isOption()) {
            if (!o.file.empty())
                throw UsageError("one reading file only, found '" + printableFileName(o.file) + "' and '" +
                                 printableFileName(a) + "'");
            if (a.empty()) throw FileNameError("the reading file's name is empty");
            checkFileName(a);
            o.file = a;
            continue;
        }
        const ValueOption* valued = nullptr;
        for (const ValueOption& v : kValueOptions)
            if (args.is(v.name)) valued = &v;
        if (valued != nullptr) o.overrides.emplace_back(valued->key, headerValue(args, *valued));
        else if (args.is("--reverse")) o.overrides.emplace_back(HeaderKey::Reverse, std::string());
        else if (args.is("--profile")) o.profile = true;
        else if (args.is("--json")) o.json = true;
        else if (args.is("--round-trip")) o.roundTrip = true;
        else if (!args.takeStandard(standard)) args.refuse();
    }
    o.help = standard.help;
    o.version = standard.version;
    return o;
}

void applyOverrides(const ReduceOptions& o, ReductionInput& input) {
    for (const auto& [key, value] : o.overrides) {
        setHeaderValue(input, key, value);
        input.lineOf(key) = 0;
        for (const ValueOption& v : kValueOptions)
            if (v.key == key) input.fieldOf(key) = std::string("option ") + v.name;
        if (key == HeaderKey::Reverse) input.fieldOf(key) = "option --reverse";
    }
}

std::string reduceUsage() {
    return "Usage: shadowgram-reduce FILE [options]\n"
           "Reduces the Foucault readings of a zonal (Couder) mask: each zone's departure from\n"
           "the wanted conic, the wavefront's PV, RMS and Strehl ratio, the reference and\n"
           "best-fit conic, the transverse aberration against the Airy disc, the Couder\n"
           "criterion, the correction error and a plain verdict.\n"
           "\n"
           "FILE is a reading file: '#' starts a comment; ',' ';' and TAB count as spaces,\n"
           "but in a file that separates its fields with ';' a ',' between two digits is\n"
           "its decimal comma ('1;10,12' is zone 1 reading 10.12). At most 100 zones and sets.\n"
           "Header lines 'key value' (diameter, radius, conic, wavelength, source moving|fixed,\n"
           "source-distance, zone-radius rms|mid, obstruction, units mm|in, zones N, reverse),\n"
           "then one line per zone: 'zone inner outer set1 set2 ...', or after 'zones N'\n"
           "(equal-area zones) 'zone set1 set2 ...'.\n"
           "\n"
           "Options override the file (lengths in the file's units):\n"
           "  --diameter D           mirror diameter\n"
           "  --radius R             radius of curvature: the knife at reading 0\n"
           "  --conic K              the wanted conic (default -1)\n"
           "  --wavelength UM        wavelength in micrometres (default 0.55)\n"
           "  --source moving|fixed  a source that moves with the knife (default) or a fixed one\n"
           "  --source-distance S    a fixed source's distance from the mirror (default R)\n"
           "  --zone-radius rms|mid  a zone's radius: sqrt((a^2+b^2)/2) (default) or (a+b)/2\n"
           "  --obstruction O        diameter of the central obstruction (default 0)\n"
           "  --reverse              the scale counts toward the mirror: readings turned over\n"
           "  --profile              print the surface at 21 radii from the obstruction to the rim\n"
           "  --round-trip           add the column round_trip_mm to the zone table (format\n"
           "                         ' %14.5f'): each zone's null, as a reading in mm, of the\n"
           "                         reduced surface handed to the simulator as its drawn zone\n"
           "                         (conic K at the reference radius plus the drawn zone),\n"
           "                         beside the measured reading\n"
           "  --json                 print every figure as JSON instead of the text report\n"
           "  --help                 this text\n"
           "  --version              the program's version\n"
           "\n"
           "JSON keys: program, version, mirror {diameter_mm, radius_mm, focal_ratio,\n"
           "wanted_conic, wavelength_um, obstruction_mm, source, source_distance_mm,\n"
           "zone_radius, reverse}, reading_sets, zones [{zone, inner_mm, outer_mm, h_mm,\n"
           "readings_mm, expected_mm, measured_mm, departure_mm, ta_um, ta_over_rho,\n"
           "surface_nm, tolerance_mm, balanced_ta_over_rho, spread_mm, round_trip_mm}],\n"
           "reference {conic, radius_mm, centre_reading_mm}, best_fit_conic {conic,\n"
           "radius_mm, rms_wave}, pv_wave, rms_wave, strehl, airy_radius_um, couder\n"
           "{max_ta_over_rho, shift_mm, pass}, correction_error_wave, sets [{set,\n"
           "reference_radius_mm, pv_wave, rms_wave, strehl, conic, conic_radius_mm}],\n"
           "profile [{h_mm, surface_nm}], simulator {diameter_mm, radius_mm, conic,\n"
           "wavelength_um, zone_height_wave, knot_heights_px}, verdict [lines].\n"
           "\n"
           "A figure without a value (a zone's round trip that finds no null) is null in\n"
           "the JSON, with a line 'warning: ...' on standard error.\n"
           "\n"
           "Exit status: 0 done; 1 a fit did not converge or the report could not be\n"
           "written; 2 bad usage or input (input whose figures would not be finite numbers\n"
           "included).\n";
}

}  // namespace sg

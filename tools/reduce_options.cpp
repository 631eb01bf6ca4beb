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
    {"--null", HeaderKey::Null},
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
        text = zoneRadiusName(static_cast<ZoneRadiusRule>(args.choice({"rms", "mid", "carlin"}, true)));
    } else if (key == HeaderKey::Null) {
        text = nullRuleName(static_cast<NullRule>(args.choice({"exact", "classical"}, true)));
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
           "the wanted conic, the wavefront's PV, RMS and Strehl ratio, the surface's RMS in nm,\n"
           "the reference and best-fit conic, the transverse aberration against the Airy disc,\n"
           "the Couder criterion, the correction error and a plain verdict.\n"
           "\n"
           "FILE is a reading file: '#' starts a comment; ',' ';' and TAB count as spaces,\n"
           "but in a file that separates its fields with ';' a ',' between two digits is\n"
           "its decimal comma ('1;10,12' is zone 1 reading 10.12). At most 100 zones and sets.\n"
           "Header lines 'key value' (diameter, radius, conic, wavelength, source moving|fixed,\n"
           "source-distance, zone-radius rms|mid|carlin, null exact|classical, obstruction,\n"
           "units mm|in, zones N, reverse), then one line per zone: 'zone inner outer set1\n"
           "set2 ...', or after 'zones N' (equal-area zones) 'zone set1 set2 ...'.\n"
           "A first line of words only (a spreadsheet's header row such as\n"
           "'zone,inner,outer,run1') is skipped with a note. A zone's outer edge up to 1% of\n"
           "the mirror's radius beyond the rim (a mask measured a little large) is taken as\n"
           "the rim, with a note; further out it is refused. Notes go to standard error as\n"
           "'note: ...' and into the JSON's notes.\n"
           "\n"
           "Options override the file (lengths in the file's units):\n"
           "  --diameter D           mirror diameter\n"
           "  --radius R             radius of curvature: the knife at reading 0\n"
           "  --conic K              the wanted conic (default -1)\n"
           "  --wavelength UM        wavelength in micrometres (default 0.55)\n"
           "  --source moving|fixed  a source that moves with the knife (default) or a fixed one\n"
           "  --source-distance S    a fixed source's distance from the mirror (default R)\n"
           "  --zone-radius rms|mid|carlin\n"
           "                         a zone's radius: sqrt((a^2+b^2)/2) (default), (a+b)/2, or\n"
           "                         the mean of those two (what mask calculators often give)\n"
           "  --null exact|classical the nulls the readings are compared with: the exact nulls\n"
           "                         of the conic (default), or the classical first-order ones\n"
           "                         of hand sheets, centre's null - kappa K h^2/(2R) (h^2/R for\n"
           "                         a paraboloid before a fixed source, h^2/(2R) before a\n"
           "                         moving one): choose it to reproduce such a sheet\n"
           "  --obstruction O        diameter of the central obstruction (default 0)\n"
           "  --reverse              the scale counts toward the mirror: readings turned over\n"
           "  --profile              print the surface at 21 radii from the obstruction to the rim\n"
           "  --round-trip           add the column round_trip_mm to the zone table (format\n"
           "                         ' %14.5f'): each zone's null, as a reading in mm, of the\n"
           "                         reduced surface handed to the simulator as its measured\n"
           "                         surface (conic K at the radius R plus the reduced surface\n"
           "                         and the change from the reference radius to R), beside the\n"
           "                         measured reading\n"
           "  --json                 print every figure as JSON instead of the text report\n"
           "  --help                 this text\n"
           "  --version              the program's version\n"
           "\n"
           "With two or more reading sets the report gives, per zone, the spread (the sample\n"
           "standard deviation of the sets) and the repeatability (the same after taking out\n"
           "each set's mean offset: the mirror moves a little when it is turned between sets),\n"
           "and, per set, its PV, RMS, Strehl ratio, conic and Couder figure.\n"
           "\n"
           "JSON keys: program, version, mirror {diameter_mm, radius_mm, focal_ratio,\n"
           "wanted_conic, wavelength_um, obstruction_mm, source, source_distance_mm,\n"
           "zone_radius, null, reverse}, reading_sets, zones [{zone, inner_mm, outer_mm, h_mm,\n"
           "readings_mm, expected_mm, measured_mm, departure_mm, ta_um, ta_over_rho,\n"
           "surface_nm, tolerance_mm, balanced_ta_over_rho, spread_mm, repeatability_mm,\n"
           "round_trip_mm}], reference {conic, radius_mm, centre_reading_mm}, best_fit_conic\n"
           "{conic, radius_mm, rms_wave}, pv_wave, rms_wave, rms_surface_nm, strehl,\n"
           "airy_radius_um, couder {max_ta_over_rho, shift_mm, pass}, correction_error_wave,\n"
           "sets [{set, reference_radius_mm, pv_wave, rms_wave, strehl, conic,\n"
           "conic_radius_mm, couder {max_ta_over_rho, shift_mm, pass}}], profile [{h_mm,\n"
           "surface_nm}], simulator {diameter_mm, radius_mm, conic, wavelength_um,\n"
           "zone_height_wave, knot_heights_px}, verdict [lines], notes [lines].\n"
           "\n"
           "A figure without a value (a zone's round trip that finds no null) is null in\n"
           "the JSON, with a line 'warning: ...' on standard error; the spread and the\n"
           "repeatability of a single set are null.\n"
           "\n"
           "Exit status: 0 done; 1 a fit did not converge or the report could not be\n"
           "written; 2 bad usage or input (input whose figures would not be finite numbers\n"
           "included).\n";
}

}  // namespace sg

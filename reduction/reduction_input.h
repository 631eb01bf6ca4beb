// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the mirror maker gives the reduction: the mirror, the tester, the
// zones of the mask and the readings of the knife, as typed (lengths in the
// input's units, readings on the input's scale). The reading file, the
// command's options and a window's fields all fill this one record.

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace sg {

// Input that cannot be reduced: a bad line, a missing value, zones that
// break a rule. The message names the line, the zone or the option and
// what is wrong. The command exits with 2.
class ReductionInputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A fit that did not reach its minimum in 100 steps. The command exits
// with 1.
class ReductionFitError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Where the light comes from: a source that moves with the knife (its null
// is where the zone's normals cross the axis), or one fixed at a distance
// from the mirror while the knife alone moves (its null is where the
// reflected rays cross the axis).
enum class SourceKind { Moving, Fixed };

// The radius that stands for a zone [a, b]: sqrt((a^2 + b^2) / 2) ("rms"),
// (a + b) / 2 ("mid"), or the mean of those two ("carlin", the radius that
// common mask calculators give).
enum class ZoneRadiusRule { Rms, Mid, Carlin };

// The nulls the readings are compared with: the exact null of the conic
// ("exact"), or the classical first-order null of hand sheets and older
// reductions ("classical"): the centre's null less kappa K h^2 / (2R),
// h^2 / R for a paraboloid before a fixed source, h^2 / (2R) before a
// moving one.
enum class NullRule { Exact, Classical };

enum class LengthUnit { Millimetre, Inch };

inline constexpr double kMillimetresPerInch = 25.4;
// The one limit of the reader, the writer and the window.
inline constexpr int kMaxZones = 100;        // zones of one mask
inline constexpr int kMaxReadingSets = 100;  // readings per zone

// The header keys of the reading file, in the order a saved file lists them.
enum class HeaderKey {
    Diameter,
    Radius,
    Conic,
    Wavelength,
    Source,
    SourceDistance,
    ZoneRadius,
    Null,
    Obstruction,
    Units,
    Zones,
    Reverse,
};
inline constexpr int kHeaderKeyCount = 12;

// The key as the file writes it ("source-distance").
const char* headerKeyName(HeaderKey key);
// The words of the file for the rules ("rms", "mid", "carlin"; "exact",
// "classical").
const char* zoneRadiusName(ZoneRadiusRule rule);
const char* nullRuleName(NullRule rule);

struct ZoneEntry {
    // Inner and outer radius of the zone, input units; not used when the
    // mask is given as a zone count.
    double inner = 0;
    double outer = 0;
    // One reading per set, input units, as read off the scale (before
    // `reverse` turns them over).
    std::vector<double> readings;
    int line = 0;  // the file line that gave the zone, 0 for none
};

struct ReductionInput {
    std::optional<double> diameter;        // input units; required
    std::optional<double> radius;          // input units, knife at reading 0; required
    double conic = -1;                     // the wanted conic
    double wavelength = 0.55;              // micrometres, whatever the units
    SourceKind source = SourceKind::Moving;
    std::optional<double> sourceDistance;  // input units, fixed source; the radius when not given
    ZoneRadiusRule zoneRadius = ZoneRadiusRule::Rms;
    NullRule nulls = NullRule::Exact;
    double obstruction = 0;                // diameter, input units
    LengthUnit units = LengthUnit::Millimetre;
    int zoneCount = 0;                     // `zones N`: equal-area zones; 0 when every zone gives its edges
    bool reverse = false;                  // the scale counts toward the mirror
    std::vector<ZoneEntry> zones;
    // The file line of each header key, 0 when the file did not give it or
    // an option replaced it: messages about the value name that line.
    std::array<int, kHeaderKeyCount> keyLine{};
    // What gave each header value when no file line did: an option
    // ("option --radius") or a window's field ("Wavelength"); empty for a
    // default. Messages about the value start with it.
    std::array<std::string, kHeaderKeyCount> keyField{};
    // What the reader let through but the user should know of (a
    // spreadsheet's header row skipped), each with its line.
    struct Note {
        int line = 0;
        std::string text;
    };
    std::vector<Note> notes;
    // The file the input was read from, as its name was given; empty for
    // text that came from elsewhere. Messages that name a line name it.
    std::string fileName;

    int& lineOf(HeaderKey key) { return keyLine[static_cast<std::size_t>(key)]; }
    int lineOf(HeaderKey key) const { return keyLine[static_cast<std::size_t>(key)]; }
    std::string& fieldOf(HeaderKey key) { return keyField[static_cast<std::size_t>(key)]; }
    const std::string& fieldOf(HeaderKey key) const { return keyField[static_cast<std::size_t>(key)]; }
};

// Where a message about the input points: "'mirror.txt' line 3: " for a
// line of a named file, "line 3: " for one of an unnamed text, "option
// --radius: " or "Wavelength: " for a value given there, nothing for a
// default.
std::string linePlace(const ReductionInput& input, int line);
std::string valuePlace(const ReductionInput& input, HeaderKey key);

// A number for a message: its shortest plain decimal when that is at most
// 24 characters, otherwise boundedText's form ("1e+300"), never longer.
std::string messageNumber(double value);

}  // namespace sg

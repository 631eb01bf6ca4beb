// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduction/reading_text.h"

#include "model/number_text.h"

#include <algorithm>
#include <optional>

namespace sg {

namespace {

constexpr HeaderKey kKeys[kHeaderKeyCount] = {
    HeaderKey::Diameter,   HeaderKey::Radius,      HeaderKey::Conic, HeaderKey::Wavelength,
    HeaderKey::Source,     HeaderKey::SourceDistance, HeaderKey::ZoneRadius, HeaderKey::Obstruction,
    HeaderKey::Units,      HeaderKey::Zones,       HeaderKey::Reverse,
};

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::optional<HeaderKey> keyNamed(std::string_view word) {
    const std::string lower = lowerAscii(word);
    for (const HeaderKey key : kKeys)
        if (lower == headerKeyName(key)) return key;
    return std::nullopt;
}

[[noreturn]] void fail(const std::string& message) { throw ReductionInputError(message); }

std::string quotedToken(std::string_view text) {
    std::string quoted(1, '\'');
    quoted += printableToken(text);
    quoted += '\'';
    return quoted;
}

double decimal(std::string_view text) {
    const std::optional<double> v = parseDecimal(text);
    if (!v) fail(quotedToken(text) + " is not a finite decimal number");
    return *v;
}

double positive(std::string_view text, const char* what) {
    const double v = decimal(text);
    if (!(v > 0)) fail(std::string("the ") + what + " must be greater than 0, not " + printableToken(text));
    return v;
}

// One of two words, in any case.
bool choice(std::string_view text, const char* key, const char* first, const char* second) {
    const std::string lower = lowerAscii(text);
    if (lower == first) return true;
    if (lower == second) return false;
    fail(std::string(key) + " must be '" + first + "' or '" + second + "', not '" + printableToken(text) + "'");
}

std::vector<std::string_view> tokensOf(std::string_view line) {
    std::vector<std::string_view> tokens;
    auto separator = [](char c) { return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\r'; };
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && separator(line[at])) ++at;
        const std::size_t start = at;
        while (at < line.size() && !separator(line[at])) ++at;
        if (at > start) tokens.push_back(line.substr(start, at - start));
    }
    return tokens;
}

std::string zoneName(std::size_t number) { return "zone " + std::to_string(number); }

// One zone line: its number, then (without `zones N`) its edges, then its
// readings.
void readZoneLine(ReductionInput& input, const std::vector<std::string_view>& tokens, int lineNumber) {
    const std::size_t number = input.zones.size() + 1;
    const std::optional<int> given = parseCount(tokens[0]);
    if (!given || static_cast<std::size_t>(*given) != number)
        fail(zoneName(number) + " expected, found zone " + printableToken(tokens[0]) +
             " (zones are numbered 1, 2, 3, ... in order)");
    if (number > static_cast<std::size_t>(kMaxZones)) fail("more than " + std::to_string(kMaxZones) + " zones");
    const bool edges = input.zoneCount == 0;
    const std::size_t first = edges ? 3 : 1;
    if (tokens.size() <= first)
        fail(zoneName(number) + (edges ? " needs its inner and outer radius and at least one reading"
                                       : " needs at least one reading"));
    ZoneEntry zone;
    zone.line = lineNumber;
    auto value = [&](std::size_t i) {
        try {
            return decimal(tokens[i]);
        } catch (const ReductionInputError& e) {
            fail(zoneName(number) + ": " + e.what());
        }
    };
    if (edges) {
        zone.inner = value(1);
        zone.outer = value(2);
        if (zone.inner < 0) fail(zoneName(number) + ": the inner radius must not be negative");
        if (zone.outer < zone.inner) fail(zoneName(number) + ": the outer radius is smaller than the inner radius");
    }
    for (std::size_t i = first; i < tokens.size(); ++i) zone.readings.push_back(value(i));
    const std::size_t sets = zone.readings.size();
    if (sets > static_cast<std::size_t>(kMaxReadingSets))
        fail(zoneName(number) + " has more than " + std::to_string(kMaxReadingSets) + " readings");
    if (!input.zones.empty() && sets != input.zones.front().readings.size()) {
        const std::size_t want = input.zones.front().readings.size();
        fail(zoneName(number) + " has " + std::to_string(sets) + (sets == 1 ? " reading" : " readings") +
             ", zone 1 has " + std::to_string(want) + "; every zone needs one reading per set");
    }
    input.zones.push_back(std::move(zone));
}

void readHeaderLine(ReductionInput& input, HeaderKey key, const std::vector<std::string_view>& tokens,
                    int lineNumber) {
    const std::string name = headerKeyName(key);
    if (!input.zones.empty()) fail("the header line '" + name + "' comes after the zone lines; headers come first");
    if (const int earlier = input.lineOf(key); earlier != 0)
        fail("'" + name + "' is given twice (first on line " + std::to_string(earlier) + ")");
    if (key == HeaderKey::Reverse) {
        if (tokens.size() != 1) fail("'reverse' takes no value");
    } else if (tokens.size() == 1) {
        fail("'" + name + "' needs a value");
    } else if (tokens.size() > 2) {
        fail("'" + name + "' takes one value, found " + std::to_string(tokens.size() - 1));
    }
    setHeaderValue(input, key, tokens.size() > 1 ? tokens[1] : std::string_view());
    input.lineOf(key) = lineNumber;
}

}  // namespace

const char* headerKeyName(HeaderKey key) {
    switch (key) {
    case HeaderKey::Diameter: return "diameter";
    case HeaderKey::Radius: return "radius";
    case HeaderKey::Conic: return "conic";
    case HeaderKey::Wavelength: return "wavelength";
    case HeaderKey::Source: return "source";
    case HeaderKey::SourceDistance: return "source-distance";
    case HeaderKey::ZoneRadius: return "zone-radius";
    case HeaderKey::Obstruction: return "obstruction";
    case HeaderKey::Units: return "units";
    case HeaderKey::Zones: return "zones";
    case HeaderKey::Reverse: return "reverse";
    }
    return "";
}

void setHeaderValue(ReductionInput& input, HeaderKey key, std::string_view value) {
    switch (key) {
    case HeaderKey::Diameter: input.diameter = positive(value, "diameter"); break;
    case HeaderKey::Radius: input.radius = positive(value, "radius"); break;
    case HeaderKey::Conic: input.conic = decimal(value); break;
    case HeaderKey::Wavelength: input.wavelength = positive(value, "wavelength"); break;
    case HeaderKey::Source:
        input.source = choice(value, "source", "moving", "fixed") ? SourceKind::Moving : SourceKind::Fixed;
        break;
    case HeaderKey::SourceDistance: input.sourceDistance = positive(value, "source distance"); break;
    case HeaderKey::ZoneRadius:
        input.zoneRadius = choice(value, "zone-radius", "rms", "mid") ? ZoneRadiusRule::Rms : ZoneRadiusRule::Mid;
        break;
    case HeaderKey::Obstruction: {
        const double v = decimal(value);
        if (v < 0) fail("the obstruction must not be negative, not " + printableToken(value));
        input.obstruction = v;
        break;
    }
    case HeaderKey::Units:
        input.units = choice(value, "units", "mm", "in") ? LengthUnit::Millimetre : LengthUnit::Inch;
        break;
    case HeaderKey::Zones: {
        const std::optional<int> n = parseCount(value);
        if (!n || *n < 2 || *n > kMaxZones)
            fail("zones must be a whole number from 2 to " + std::to_string(kMaxZones) + ", not " +
                 printableToken(value));
        input.zoneCount = *n;
        break;
    }
    case HeaderKey::Reverse: input.reverse = true; break;
    }
}

ReductionInput parseReadingText(std::string_view text) {
    ReductionInput input;
    int lineNumber = 0;
    // A spreadsheet may begin its UTF-8 export with a byte order mark.
    std::size_t at = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
        const std::vector<std::string_view> tokens = tokensOf(line);
        if (tokens.empty()) continue;
        try {
            if (const std::optional<HeaderKey> key = keyNamed(tokens[0])) {
                readHeaderLine(input, *key, tokens, lineNumber);
            } else if (parseCount(tokens[0]) || parseDecimal(tokens[0])) {
                readZoneLine(input, tokens, lineNumber);
            } else {
                fail("unknown key '" + printableToken(tokens[0]) +
                     "' (the keys are diameter, radius, conic, wavelength, source, source-distance, zone-radius, "
                     "obstruction, units, zones and reverse)");
            }
        } catch (const ReductionInputError& e) {
            throw ReductionInputError("line " + std::to_string(lineNumber) + ": " + e.what());
        }
    }
    if (input.zoneCount > 0 && input.zones.size() != static_cast<std::size_t>(input.zoneCount))
        throw ReductionInputError("line " + std::to_string(input.lineOf(HeaderKey::Zones)) + ": zones " +
                                  std::to_string(input.zoneCount) + " is given but the file has " +
                                  std::to_string(input.zones.size()) + " zone lines");
    return input;
}

std::string readingText(const ReductionInput& input) {
    std::string out = "# Foucault readings: the mirror, then one line per zone:\n";
    out += input.zoneCount > 0 ? "# zone, then one reading per set\n" : "# zone, inner radius, outer radius, then one reading per set\n";
    auto line = [&out](HeaderKey key, const std::string& value) {
        out += headerKeyName(key);
        out += ' ';
        out += value;
        out += '\n';
    };
    if (input.diameter) line(HeaderKey::Diameter, exactDecimalText(*input.diameter));
    if (input.radius) line(HeaderKey::Radius, exactDecimalText(*input.radius));
    line(HeaderKey::Conic, exactDecimalText(input.conic));
    line(HeaderKey::Wavelength, exactDecimalText(input.wavelength));
    line(HeaderKey::Source, input.source == SourceKind::Moving ? "moving" : "fixed");
    if (input.sourceDistance) line(HeaderKey::SourceDistance, exactDecimalText(*input.sourceDistance));
    line(HeaderKey::ZoneRadius, input.zoneRadius == ZoneRadiusRule::Rms ? "rms" : "mid");
    line(HeaderKey::Obstruction, exactDecimalText(input.obstruction));
    line(HeaderKey::Units, input.units == LengthUnit::Millimetre ? "mm" : "in");
    if (input.zoneCount > 0) line(HeaderKey::Zones, std::to_string(input.zoneCount));
    if (input.reverse) out += "reverse\n";
    for (std::size_t i = 0; i < input.zones.size(); ++i) {
        const ZoneEntry& z = input.zones[i];
        out += std::to_string(i + 1);
        if (input.zoneCount == 0) out += ' ' + exactDecimalText(z.inner) + ' ' + exactDecimalText(z.outer);
        for (const double r : z.readings) out += ' ' + exactDecimalText(r);
        out += '\n';
    }
    return out;
}

}  // namespace sg

// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduction/reading_text.h"

#include "model/number_text.h"

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <utility>

namespace sg {

namespace {

constexpr HeaderKey kKeys[kHeaderKeyCount] = {
    HeaderKey::Diameter,   HeaderKey::Radius,         HeaderKey::Conic,      HeaderKey::Wavelength,
    HeaderKey::Source,     HeaderKey::SourceDistance, HeaderKey::ZoneRadius, HeaderKey::Null,
    HeaderKey::Obstruction, HeaderKey::Units,         HeaderKey::Zones,      HeaderKey::Reverse,
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

// How the text writes its numbers: with '.' only, or, in a file that
// separates its fields with ';', with ',' between two digits as its decimal
// comma (found first on `semicolonLine`).
struct NumberStyle {
    bool decimalComma = false;
    int semicolonLine = 0;
};

double decimal(std::string_view text, const NumberStyle& style = {}) {
    std::optional<double> v;
    if (style.decimalComma && text.find(',') != std::string_view::npos) {
        std::string pointed(text);
        std::replace(pointed.begin(), pointed.end(), ',', '.');
        v = parseDecimal(pointed);
        if (!v)
            fail(quotedToken(text) + " is not a finite decimal number (the file separates its fields with ';', "
                                     "first on line " +
                 std::to_string(style.semicolonLine) + ", so a ',' between two digits is its decimal comma)");
    } else {
        v = parseDecimal(text);
    }
    if (!v) fail(quotedToken(text) + " is not a finite decimal number");
    return *v;
}

double positive(std::string_view text, const char* what, const NumberStyle& style) {
    const double v = decimal(text, style);
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

// The index of one of several words, in any case.
std::size_t choiceOf(std::string_view text, const char* key, std::initializer_list<const char*> words) {
    const std::string lower = lowerAscii(text);
    std::size_t i = 0;
    std::string list;
    for (const char* w : words) {
        if (lower == w) return i;
        ++i;
        list += i == words.size() ? " or '" : (i == 1 ? "'" : ", '");
        list += w;
        list += '\'';
    }
    fail(std::string(key) + " must be " + list + ", not '" + printableToken(text) + "'");
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The fields of a line: separated by blanks, TABs, ';' and ',', except a ','
// between two digits in a file with decimal commas.
std::vector<std::string_view> tokensOf(std::string_view line, const NumberStyle& style) {
    std::vector<std::string_view> tokens;
    auto separator = [&](std::size_t i) {
        const char c = line[i];
        if (c == ',' && style.decimalComma && i > 0 && i + 1 < line.size() && isDigit(line[i - 1]) &&
            isDigit(line[i + 1]))
            return false;
        return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\r';
    };
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && separator(at)) ++at;
        const std::size_t start = at;
        while (at < line.size() && !separator(at)) ++at;
        if (at > start) tokens.push_back(line.substr(start, at - start));
    }
    return tokens;
}

std::string zoneName(std::size_t number) { return "zone " + std::to_string(number); }

// One zone line: its number, then (without `zones N`) its edges, then its
// readings.
void readZoneLine(ReductionInput& input, const std::vector<std::string_view>& tokens, int lineNumber,
                  const NumberStyle& style) {
    const std::size_t number = input.zones.size() + 1;
    const std::optional<int> given = parseCount(tokens[0]);
    if (!given || static_cast<std::size_t>(*given) != number)
        fail(zoneName(number) + " expected, found zone " + printableToken(tokens[0]) +
             " (zones are numbered 1, 2, 3, ... in order)");
    if (number > static_cast<std::size_t>(kMaxZones))
        fail(zoneName(number) + ": a reading file holds at most " + std::to_string(kMaxZones) + " zones");
    const bool edges = input.zoneCount == 0;
    const std::size_t first = edges ? 3 : 1;
    if (tokens.size() <= first)
        fail(zoneName(number) + (edges ? " needs its inner and outer radius and at least one reading"
                                       : " needs at least one reading"));
    ZoneEntry zone;
    zone.line = lineNumber;
    auto value = [&](std::size_t i) {
        try {
            return decimal(tokens[i], style);
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
        fail(zoneName(number) + " has " + std::to_string(sets) + " readings; a reading file holds at most " +
             std::to_string(kMaxReadingSets) + " sets");
    if (!input.zones.empty() && sets != input.zones.front().readings.size()) {
        const std::size_t want = input.zones.front().readings.size();
        fail(zoneName(number) + " has " + std::to_string(sets) + (sets == 1 ? " reading" : " readings") +
             ", zone 1 has " + std::to_string(want) + "; every zone needs one reading per set");
    }
    input.zones.push_back(std::move(zone));
}

void setHeaderValueIn(ReductionInput& input, HeaderKey key, std::string_view value, const NumberStyle& style);

void readHeaderLine(ReductionInput& input, HeaderKey key, const std::vector<std::string_view>& tokens,
                    int lineNumber, const NumberStyle& style) {
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
    setHeaderValueIn(input, key, tokens.size() > 1 ? tokens[1] : std::string_view(), style);
    input.lineOf(key) = lineNumber;
}

// A line that starts with a number is a zone line.
bool startsZoneLine(std::string_view first, const NumberStyle& style) {
    if (parseCount(first) || parseDecimal(first)) return true;
    if (!style.decimalComma) return false;
    std::string pointed(first);
    std::replace(pointed.begin(), pointed.end(), ',', '.');
    return parseDecimal(pointed).has_value();
}

// A spreadsheet's row of column names ("zone,inner,outer,run1"): words
// only, none of them a number, the first not a key.
bool isHeaderRow(const std::vector<std::string_view>& tokens, const NumberStyle& style) {
    if (keyNamed(tokens[0])) return false;
    for (const std::string_view t : tokens)
        if (startsZoneLine(t, style)) return false;
    return true;
}

// A line without its comment.
std::string_view withoutComment(std::string_view line) {
    const std::size_t hash = line.find('#');
    return hash == std::string_view::npos ? line : line.substr(0, hash);
}

// The lines of the text, a UTF-8 byte order mark at its start dropped.
std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t at = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

}  // namespace

std::string linePlace(const ReductionInput& input, int line) {
    if (line <= 0) return std::string();
    std::string place = input.fileName.empty() ? std::string() : "'" + input.fileName + "' ";
    return place + "line " + std::to_string(line) + ": ";
}

std::string valuePlace(const ReductionInput& input, HeaderKey key) {
    if (input.lineOf(key) > 0) return linePlace(input, input.lineOf(key));
    return input.fieldOf(key).empty() ? std::string() : input.fieldOf(key) + ": ";
}

std::string messageNumber(double value) {
    std::string text = exactDecimalText(value);
    return text.size() <= 24 ? text : boundedText(value, 8);
}

const char* headerKeyName(HeaderKey key) {
    switch (key) {
    case HeaderKey::Diameter: return "diameter";
    case HeaderKey::Radius: return "radius";
    case HeaderKey::Conic: return "conic";
    case HeaderKey::Wavelength: return "wavelength";
    case HeaderKey::Source: return "source";
    case HeaderKey::SourceDistance: return "source-distance";
    case HeaderKey::ZoneRadius: return "zone-radius";
    case HeaderKey::Null: return "null";
    case HeaderKey::Obstruction: return "obstruction";
    case HeaderKey::Units: return "units";
    case HeaderKey::Zones: return "zones";
    case HeaderKey::Reverse: return "reverse";
    }
    return "";
}

const char* zoneRadiusName(ZoneRadiusRule rule) {
    switch (rule) {
    case ZoneRadiusRule::Rms: return "rms";
    case ZoneRadiusRule::Mid: return "mid";
    case ZoneRadiusRule::Carlin: return "carlin";
    }
    return "";
}

const char* nullRuleName(NullRule rule) { return rule == NullRule::Exact ? "exact" : "classical"; }

namespace {

void setHeaderValueIn(ReductionInput& input, HeaderKey key, std::string_view value, const NumberStyle& style) {
    switch (key) {
    case HeaderKey::Diameter: input.diameter = positive(value, "diameter", style); break;
    case HeaderKey::Radius: input.radius = positive(value, "radius", style); break;
    case HeaderKey::Conic: input.conic = decimal(value, style); break;
    case HeaderKey::Wavelength: input.wavelength = positive(value, "wavelength", style); break;
    case HeaderKey::Source:
        input.source = choice(value, "source", "moving", "fixed") ? SourceKind::Moving : SourceKind::Fixed;
        break;
    case HeaderKey::SourceDistance: input.sourceDistance = positive(value, "source distance", style); break;
    case HeaderKey::ZoneRadius:
        input.zoneRadius = static_cast<ZoneRadiusRule>(choiceOf(value, "zone-radius", {"rms", "mid", "carlin"}));
        break;
    case HeaderKey::Null:
        input.nulls = static_cast<NullRule>(choiceOf(value, "null", {"exact", "classical"}));
        break;
    case HeaderKey::Obstruction: {
        const double v = decimal(value, style);
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

}  // namespace

void setHeaderValue(ReductionInput& input, HeaderKey key, std::string_view value) {
    setHeaderValueIn(input, key, value, NumberStyle{});
}

ReductionInput parseReadingText(std::string_view text) {
    ReductionInput input;
    const std::vector<std::string_view> lines = linesOf(text);
    // A file that separates its fields with ';' writes its decimals with a
    // comma (a spreadsheet in a comma locale).
    NumberStyle style;
    for (std::size_t i = 0; i < lines.size() && !style.decimalComma; ++i)
        if (withoutComment(lines[i]).find(';') != std::string_view::npos) {
            style.decimalComma = true;
            style.semicolonLine = static_cast<int>(i + 1);
        }
    bool first = true;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int lineNumber = static_cast<int>(i + 1);
        const std::vector<std::string_view> tokens = tokensOf(withoutComment(lines[i]), style);
        if (tokens.empty()) continue;
        const bool firstLine = std::exchange(first, false);
        try {
            if (firstLine && isHeaderRow(tokens, style)) {
                std::string_view row = withoutComment(lines[i]);
                while (!row.empty() && (row.back() == ' ' || row.back() == '\t' || row.back() == '\r'))
                    row.remove_suffix(1);
                while (!row.empty() && (row.front() == ' ' || row.front() == '\t')) row.remove_prefix(1);
                input.notes.push_back({lineNumber, quotedToken(row) + " is a row of column names: skipped"});
            } else if (const std::optional<HeaderKey> key = keyNamed(tokens[0])) {
                readHeaderLine(input, *key, tokens, lineNumber, style);
            } else if (startsZoneLine(tokens[0], style)) {
                readZoneLine(input, tokens, lineNumber, style);
            } else if (style.decimalComma && tokens[0].find(',') != std::string_view::npos) {
                fail(quotedToken(tokens[0]) + " is neither a key nor a zone number (the file separates its fields "
                                              "with ';', first on line " +
                     std::to_string(style.semicolonLine) + ", so a ',' between two digits is its decimal comma)");
            } else {
                fail("unknown key '" + printableToken(tokens[0]) +
                     "' (the keys are diameter, radius, conic, wavelength, source, source-distance, zone-radius, "
                     "null, obstruction, units, zones and reverse)");
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
    if (input.zones.size() > static_cast<std::size_t>(kMaxZones))
        fail(std::to_string(input.zones.size()) + " zones: a reading file holds at most " +
             std::to_string(kMaxZones));
    for (std::size_t i = 0; i < input.zones.size(); ++i)
        if (input.zones[i].readings.size() > static_cast<std::size_t>(kMaxReadingSets))
            fail(zoneName(i + 1) + " has " + std::to_string(input.zones[i].readings.size()) +
                 " readings: a reading file holds at most " + std::to_string(kMaxReadingSets) + " sets");
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
    line(HeaderKey::ZoneRadius, zoneRadiusName(input.zoneRadius));
    line(HeaderKey::Null, nullRuleName(input.nulls));
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

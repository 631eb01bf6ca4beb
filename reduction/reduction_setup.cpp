// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduction/reduction_setup.h"

#include "reduction/reading_text.h"

#include <cmath>
#include <string>

namespace sg {

namespace {

[[noreturn]] void fail(const std::string& message) { throw ReductionInputError(message); }

std::string zonePlace(const ReductionInput& input, std::size_t i) {
    std::string place = "zone " + std::to_string(i + 1);
    if (i < input.zones.size() && input.zones[i].line > 0) {
        std::string line = linePlace(input, input.zones[i].line);
        line.resize(line.size() - 2);  // without its ": "
        place += " (" + line + ")";
    }
    return place + ": ";
}

}  // namespace

double ReductionSetup::modelReading(double h, double r, double k) const { return conicNull(r, k, h, tester) - radius; }

ReductionSetup resolveSetup(const ReductionInput& input) {
    const std::string unit = input.units == LengthUnit::Millimetre ? " mm" : " in";
    auto quantity = [&unit](double v) { return messageNumber(v) + unit; };
    auto placeOf = [&input](HeaderKey key) { return valuePlace(input, key); };
    if (!input.diameter) fail("no diameter: give 'diameter' in the file or --diameter");
    if (!input.radius) fail("no radius: give 'radius' in the file or --radius");
    const double d = *input.diameter, r = *input.radius;
    if (!(d > 0)) fail(placeOf(HeaderKey::Diameter) + "the diameter must be greater than 0");
    if (!(r > 0)) fail(placeOf(HeaderKey::Radius) + "the radius must be greater than 0");
    if (!(input.wavelength > 0) || !std::isfinite(input.wavelength))
        fail(placeOf(HeaderKey::Wavelength) + "the wavelength must be greater than 0");
    if (!std::isfinite(input.conic)) fail(placeOf(HeaderKey::Conic) + "the conic must be a finite number");
    if (!(r > d))
        fail(placeOf(HeaderKey::Radius) + "the radius (" + quantity(r) + ") must be greater than the diameter (" +
             quantity(d) + ")");
    if (!(input.obstruction >= 0 && input.obstruction < d))
        fail(placeOf(HeaderKey::Obstruction) + "the obstruction (" + quantity(input.obstruction) +
             ") must be at least 0 and smaller than the diameter (" + quantity(d) + ")");
    if (input.sourceDistance && !(*input.sourceDistance > 0))
        fail(placeOf(HeaderKey::SourceDistance) + "the source distance must be greater than 0");
    if (input.source == SourceKind::Fixed && input.sourceDistance && !(*input.sourceDistance > r / 2))
        fail(placeOf(HeaderKey::SourceDistance) + "the source distance (" + quantity(*input.sourceDistance) +
             ") must be more than half the radius (" + quantity(r) +
             "): the mirror forms no real image of a nearer source");
    const std::size_t n = input.zoneCount > 0 ? static_cast<std::size_t>(input.zoneCount) : input.zones.size();
    if (n < 2) fail("at least 2 zones are needed, found " + std::to_string(input.zones.size()));
    if (n > static_cast<std::size_t>(kMaxZones))
        fail("at most " + std::to_string(kMaxZones) + " zones are reduced, found " + std::to_string(n));
    if (input.zones.size() != n)
        fail(placeOf(HeaderKey::Zones) + "zones " + std::to_string(n) + " is given but there are " +
             std::to_string(input.zones.size()) + " zones of readings");
    const std::size_t sets = input.zones.front().readings.size();
    if (sets == 0) fail(zonePlace(input, 0) + "no reading");
    if (sets > static_cast<std::size_t>(kMaxReadingSets))
        fail(zonePlace(input, 0) + "it has " + std::to_string(sets) + " readings; at most " +
             std::to_string(kMaxReadingSets) + " sets are reduced");
    for (std::size_t i = 0; i < n; ++i)
        if (input.zones[i].readings.size() != sets)
            fail(zonePlace(input, i) + "it has " + std::to_string(input.zones[i].readings.size()) +
                 " readings, zone 1 has " + std::to_string(sets) + "; every zone needs one reading per set");

    ReductionSetup s;
    for (const ReductionInput::Note& note : input.notes) s.notes.push_back(linePlace(input, note.line) + note.text);
    const double mm = input.units == LengthUnit::Inch ? kMillimetresPerInch : 1.0;
    // A length in mm; in inches, a value near the largest double has none.
    auto millimetres = [&](double v, const std::string& place, const char* what) {
        const double inMm = v * mm;
        if (!std::isfinite(inMm)) fail(place + what + " (" + quantity(v) + ") is too large to compute with");
        return inMm;
    };
    s.diameter = millimetres(d, placeOf(HeaderKey::Diameter), "the diameter");
    s.aperture = s.diameter / 2;
    s.radius = millimetres(r, placeOf(HeaderKey::Radius), "the radius");
    // Every null squares the radius.
    if (!std::isfinite(s.radius * s.radius))
        fail(placeOf(HeaderKey::Radius) + "the radius (" + quantity(r) + ") is too large to compute with");
    s.conic = input.conic;
    s.wavelength = input.wavelength;
    s.lambda = input.wavelength / 1000;
    // Figures in waves divide by it, the Airy radius multiplies it.
    if (!std::isnormal(s.lambda))
        fail(placeOf(HeaderKey::Wavelength) + "the wavelength (" + messageNumber(input.wavelength) +
             " um) is too small to compute with");
    s.obstruction = input.obstruction * mm;
    s.tester.source = input.source;
    s.tester.sourceDistance = input.sourceDistance
                                  ? millimetres(*input.sourceDistance, placeOf(HeaderKey::SourceDistance),
                                                "the source distance")
                                  : s.radius;
    s.tester.nulls = input.nulls;
    s.kappa = nullScale(s.tester);
    s.zoneRadius = input.zoneRadius;
    s.reverse = input.reverse;
    s.units = input.units;

    const double ho = s.obstruction / 2;
    for (std::size_t i = 0; i < n; ++i) {
        const ZoneEntry& z = input.zones[i];
        // The edges as given (input units) and in mm.
        double inner = z.inner, outer = z.outer, a = 0, b = 0;
        if (input.zoneCount > 0) {
            // Equal areas: edge i at A sqrt(i / N).
            const double f0 = std::sqrt(static_cast<double>(i) / static_cast<double>(n));
            const double f1 = std::sqrt(static_cast<double>(i + 1) / static_cast<double>(n));
            inner = d / 2 * f0;
            outer = d / 2 * f1;
            a = s.aperture * f0;
            b = s.aperture * f1;
        } else {
            if (!(z.inner >= 0)) fail(zonePlace(input, i) + "the inner radius must not be negative");
            if (!(z.outer >= z.inner)) fail(zonePlace(input, i) + "the outer radius is smaller than the inner radius");
            if (!(z.outer > z.inner))
                fail(zonePlace(input, i) + "its inner and outer radius are both " + quantity(z.inner) +
                     ": a zone needs a width");
            // Compared as typed, so that an edge of exactly half the
            // diameter is the edge whatever the units. An outer edge a
            // little past it (a mask measured a little large) is the edge.
            const bool pastRim = z.outer > d / 2;
            if (pastRim && !(z.outer <= d / 2 * (1 + kRimAllowance) && z.inner < d / 2))
                fail(zonePlace(input, i) + "the outer radius (" + quantity(z.outer) +
                     ") lies beyond the edge of the mirror (" + quantity(d / 2) + ")");
            a = z.inner * mm;
            b = pastRim ? s.aperture : z.outer * mm;
            if (pastRim)
                s.notes.push_back(zonePlace(input, i) + "the outer radius (" + quantity(z.outer) +
                                  ") lies beyond the edge of the mirror (" + quantity(d / 2) +
                                  "), within 1% of its radius: taken as the edge");
        }
        auto edges = [&](double from, double to) {
            std::string text(1, '(');
            text += messageNumber(from);
            text += " to ";
            text += quantity(to);
            text += ')';
            return text;
        };
        if (!(b > ho))
            fail(zonePlace(input, i) + "its edges " + edges(inner, outer) +
                 " lie wholly inside the obstruction (radius " + quantity(input.obstruction / 2) + ")");
        // Equal-area zones meet edge to edge; given edges may overlap.
        if (input.zoneCount == 0 && i > 0 && a < s.outer.back() && b > s.inner.back())
            fail(zonePlace(input, i) + "its edges " + edges(inner, outer) + " overlap zone " + std::to_string(i) +
                 "'s " + edges(input.zones[i - 1].inner, input.zones[i - 1].outer));
        const double rms = std::sqrt((a * a + b * b) / 2), mid = (a + b) / 2;
        const double h = input.zoneRadius == ZoneRadiusRule::Rms   ? rms
                         : input.zoneRadius == ZoneRadiusRule::Mid ? mid
                                                                   : (rms + mid) / 2;
        if (!(h * h > 0))
            fail(zonePlace(input, i) + "its edges " + edges(inner, outer) + " are too small to compute with");
        if (i > 0 && !(h > s.h.back() && h * h > s.u.back()))
            fail(zonePlace(input, i) + "its zone radius (" + messageNumber(h) + " mm) is not greater than zone " +
                 std::to_string(i) + "'s (" + messageNumber(s.h.back()) + " mm); zones go from the centre out");
        s.inner.push_back(a);
        s.outer.push_back(b);
        s.h.push_back(h);
        s.u.push_back(h * h);
        s.zoneLine.push_back(z.line);
    }

    // The wanted mirror must exist out to its edge, and the tester must see
    // a null for every zone of it.
    if (!(s.radius * s.radius - (1 + s.conic) * s.aperture * s.aperture >= 0))
        fail(placeOf(HeaderKey::Conic) + "the wanted conic " + messageNumber(s.conic) +
             " has no surface out to the edge of the mirror at this radius ((1 + K) (D/2)^2 exceeds R^2)");
    if (!std::isfinite(conicNull(s.radius, s.conic, 0, s.tester)))
        fail(placeOf(HeaderKey::SourceDistance) + "the source distance (" +
             quantity(input.sourceDistance.value_or(r)) +
             ") must be more than half the radius: the mirror forms no real image of a nearer source");
    for (std::size_t i = 0; i < n; ++i) {
        const double e = s.modelReading(s.h[i], s.radius, s.conic);
        if (!std::isfinite(e))
            fail(zonePlace(input, i) + "the light of this zone of the wanted mirror never crosses the axis in front "
                                       "of it, so the tester has no null there");
        s.expected.push_back(e);
    }

    const double sign = input.reverse ? -1.0 : 1.0;
    s.sets.assign(sets, std::vector<double>(n, 0.0));
    s.mean.assign(n, 0.0);
    for (std::size_t i = 0; i < n; ++i) {
        double sum = 0;
        for (std::size_t j = 0; j < sets; ++j) {
            const double reading = sign * input.zones[i].readings[j] * mm;
            s.sets[j][i] = reading;
            sum += reading;
            if (!std::isfinite(sum))
                fail(zonePlace(input, i) + "its readings are too large to compute with (set " + std::to_string(j + 1) +
                     ": " + quantity(input.zones[i].readings[j]) + ")");
        }
        s.mean[i] = sum / static_cast<double>(sets);
    }
    return s;
}

void checkDirection(const ReductionSetup& s) {
    const std::size_t n = s.zoneCount();
    double eMean = 0, mMean = 0;
    for (std::size_t i = 0; i < n; ++i) {
        eMean += s.expected[i];
        mMean += s.mean[i];
    }
    eMean /= static_cast<double>(n);
    mMean /= static_cast<double>(n);
    double see = 0, sem = 0;
    for (std::size_t i = 0; i < n; ++i) {
        see += (s.expected[i] - eMean) * (s.expected[i] - eMean);
        sem += (s.expected[i] - eMean) * (s.mean[i] - mMean);
    }
    if (see > static_cast<double>(n) * 1e-12 && sem / see < -0.5)
        fail(std::string("the readings decrease outward where the wanted mirror's nulls increase: the scale seems to "
                         "count toward the mirror; ") +
             (s.reverse ? "it is already read as reversed, so check the sign of the readings"
                        : "add the line 'reverse' to the file or give --reverse"));
}

}  // namespace sg

// SPDX-License-Identifier: GPL-3.0-or-later
// The printed report to the digit on cases worked by hand, the verdict's
// sentences, and the JSON document.
#include "model/number_text.h"
#include "reduction/exact_null.h"
#include "reduction/reading_text.h"
#include "reduction/reduction.h"
#include "reduction/reduction_report.h"
#include "reduction/verdict.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <sstream>

namespace sg {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// printf's layout in the C locale (the test never changes its locale).
std::string cFormat(const char* format, double v) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, v);
    return buffer;
}

const char* const kPerfectParaboloid =
    "Mirror: D 200.00 mm, R 2000.00 mm, f/5.00, wanted conic -1.0000, source moving, lambda 0.5500 um\n"
    "Zones: 4 (zone radius rms, exact nulls), reading sets: 1\n"
    "zone  inner_mm  outer_mm      h_mm  expected_mm  measured_mm    dev_mm    TA_um  TA/rho  surface_nm\n"
    "   1      0.00     50.00    35.355      0.31250      0.31250   0.00000    0.000   0.000         0.0\n"
    "   2     50.00     70.71    61.237      0.93750      0.93750   0.00000    0.000   0.000         0.0\n"
    "   3     70.71     86.60    79.057      1.56250      1.56250   0.00000    0.000   0.000         0.0\n"
    "   4     86.60    100.00    93.541      2.18750      2.18750   0.00000    0.000   0.000         0.0\n"
    "Reference radius (conic -1.0000): 2000.000 mm\n"
    "Reference centre at reading: 0.0000 mm\n"
    "Best-fit conic: -1.0000\n"
    "Best-fit conic radius: 2000.000 mm\n"
    "RMS wavefront vs best-fit conic: 0.0000 wave\n"
    "PV wavefront: 0.000 wave\n"
    "RMS wavefront: 0.0000 wave (surface 0.0 nm)\n"
    "Strehl (Marechal): 1.000\n"
    "Airy radius: 3.355 um\n"
    "Couder max |TA|/rho: 0.000 at shift 0.0000 mm (pass)\n"
    "Correction error: 0.000 wave\n"
    "Verdict: Diffraction limited: Strehl >= 0.80 and Couder criterion met.\n"
    "Verdict: Correction within 0.05 wave of the wanted conic.\n"
    "Verdict: No zone stands out (zone heights within 0.05 wave).\n";

TEST(Report, APerfectParaboloidPrintsExactly) {
    // Equal-area zones of a 200 mm f/5 mirror: h^2 = 1250, 3750, 6250,
    // 8750 and the nulls h^2 / 4000 mm beyond the centre.
    const ReductionInput in =
        parseReadingText("diameter 200\nradius 2000\nzones 4\n1 0.3125\n2 0.9375\n3 1.5625\n4 2.1875\n");
    EXPECT_EQ(reportText(reduce(in), {}), kPerfectParaboloid);
}

// Minimises a convex function of one variable on [a, b].
double argmin(const std::function<double(double)>& f, double a, double b) {
    for (int i = 0; i < 300; ++i) {
        const double m1 = a + (b - a) / 3, m2 = b - (b - a) / 3;
        if (f(m1) < f(m2)) b = m2;
        else a = m1;
    }
    return (a + b) / 2;
}

TEST(Report, ASphereReadAsAParaboloidPrintsTheFiguresWorkedByHand) {
    // A sphere of radius R nulls every zone at 0 with a moving source; the
    // paraboloid of radius R' wants -(R' - R) - u / (2R'). Departures are
    // linear in u = h^2, so on t = u / L (L = A^2) the wavefront is
    // W = alpha t + beta t^2 exactly, alpha = (R' - R) L / R^2,
    // beta = L^2 / (4 R' R^2), with variance (alpha + beta)^2 / 12 +
    // beta^2 / 180 and mean alpha / 2 + beta / 3.
    const double R = 2000, L = 10000, lambda = 0.00055, rho = 1.22 * lambda * (R / 2) / 200;
    auto alphaOf = [&](double r) { return (r - R) * L / (R * R); };
    auto betaOf = [&](double r) { return L * L / (4 * r * R * R); };
    auto variance = [&](double r) {
        const double a = alphaOf(r), b = betaOf(r);
        return (a + b) * (a + b) / 12 + b * b / 180;
    };
    const double ref = argmin(variance, R - 5, R + 5);
    const double alpha = alphaOf(ref), beta = betaOf(ref), mean = alpha / 2 + beta / 3;
    const double rms = std::sqrt(variance(ref)) / lambda;
    // W falls to its lowest at t = -alpha / (2 beta) and is highest at an end.
    const double tLow = -alpha / (2 * beta);
    const double pv = (std::max(0.0, alpha + beta) - (alpha * tLow + beta * tLow * tLow)) / lambda;
    const double correction = 1 * L * L / (16 * R * R * R * lambda);
    const double u[] = {1250, 3750, 6250, 8750}, edges[] = {0, 50, std::sqrt(5000.0), std::sqrt(7500.0), 100};
    std::vector<double> d(4);
    std::vector<std::string> expected = {
        "Mirror: D 200.00 mm, R 2000.00 mm, f/5.00, wanted conic -1.0000, source moving, lambda 0.5500 um",
        "Zones: 4 (zone radius rms, exact nulls), reading sets: 1",
        "zone  inner_mm  outer_mm      h_mm  expected_mm  measured_mm    dev_mm    TA_um  TA/rho  surface_nm"};
    for (int i = 0; i < 4; ++i) {
        const double h = std::sqrt(u[i]), t = u[i] / L;
        d[static_cast<std::size_t>(i)] = -(ref - R) - u[i] / (2 * ref);
        const double ta = d[static_cast<std::size_t>(i)] * h / R;
        char line[200];
        std::snprintf(line, sizeof line, "%4d %9.2f %9.2f %9.3f %12.5f %12.5f %9.5f %8.3f %7.3f %11.1f", i + 1,
                      edges[i], edges[i + 1], h, u[i] / (2 * R), 0.0, d[static_cast<std::size_t>(i)], ta * 1000,
                      ta / rho, (alpha * t + beta * t * t - mean) / 2 * 1e6);
        expected.push_back(line);
    }
    // Couder: the knife position that minimises the worst |TA|.
    auto worst = [&](double c) {
        double w = 0;
        for (int i = 0; i < 4; ++i) w = std::max(w, std::fabs(d[static_cast<std::size_t>(i)] - c) * std::sqrt(u[i]) / R);
        return w;
    };
    const double shift = argmin(worst, -2, 2);
    expected.push_back(cFormat("Reference radius (conic -1.0000): %.3f mm", ref));
    expected.push_back(cFormat("Reference centre at reading: %.4f mm", ref - R));
    expected.push_back("Best-fit conic: 0.0000");
    expected.push_back("Best-fit conic radius: 2000.000 mm");
    expected.push_back("RMS wavefront vs best-fit conic: 0.0000 wave");
    expected.push_back(cFormat("PV wavefront: %.3f wave", pv));
    // The surface's RMS in nm is half the wavefront's: rms waves of 550 nm.
    expected.push_back(cFormat("RMS wavefront: %.4f wave", rms) + cFormat(" (surface %.1f nm)", rms * 550 / 2));
    expected.push_back(cFormat("Strehl (Marechal): %.3f", std::exp(-std::pow(2 * std::numbers::pi * rms, 2))));
    expected.push_back("Airy radius: 3.355 um");
    expected.push_back(cFormat("Couder max |TA|/rho: %.3f", worst(shift) / rho) + cFormat(" at shift %.4f mm (fail)", shift));
    expected.push_back(cFormat("Correction error: %.3f wave", correction));
    expected.push_back("Verdict: Not diffraction limited: Strehl < 0.80.");
    expected.push_back(cFormat("Verdict: Under-corrected by %.3f wave (best-fit conic 0.0000).", correction));
    // Against the wanted paraboloid W = beta (t^2 - t) nearly, the centre
    // and the edge high; but the sphere is the best-fit conic, exactly.
    expected.push_back("Verdict: No zone stands out against the best-fit conic (within 0.05 wave).");

    const ReductionInput in = parseReadingText("diameter 200\nradius 2000\nzones 4\n1 0\n2 0\n3 0\n4 0\n");
    EXPECT_EQ(linesOf(reportText(reduce(in), {})), expected);
    EXPECT_EQ(expected[17], "Correction error: 1.420 wave");

    // The sphere's readings as one set beside those of the perfect
    // paraboloid: each set has its own Couder figure, the sphere's the one
    // worked out above.
    const ReductionResult two = reduce(parseReadingText(
        "diameter 200\nradius 2000\nzones 4\n1 0 0.3125\n2 0 0.9375\n3 0 1.5625\n4 0 2.1875\n"));
    ASSERT_EQ(two.sets.size(), 2u);
    EXPECT_NEAR(two.sets[0].couderRatio, worst(shift) / rho, 1e-9);
    EXPECT_NEAR(two.sets[0].couderShift, shift, 1e-8);
    EXPECT_FALSE(two.sets[0].couderPass);
    EXPECT_LT(two.sets[1].couderRatio, 1e-9);
    EXPECT_TRUE(two.sets[1].couderPass);
    EXPECT_EQ(setLine(two.sets[0], 1).substr(0, 6), "Set 1:");
    EXPECT_EQ(setLine(two.sets[0], 1).substr(setLine(two.sets[0], 1).find(", Couder ")),
              cFormat(", Couder %.3f (fail)", worst(shift) / rho));
}

TEST(Report, FixedSourceProfileAndRoundTripColumns) {
    // A perfect paraboloid before a fixed source at R: nulls at
    // h^2 / R + h^4 / (2 R^3).
    const double R = 2000;
    std::string text = "diameter 200\nradius 2000\nsource fixed\nzones 4\n";
    for (int i = 0; i < 4; ++i) {
        const double u = 10000 * (2 * i + 1) / 8.0;
        text += std::to_string(i + 1) + " " + exactDecimalText(u / R + u * u / (2 * R * R * R)) + "\n";
    }
    const ReductionResult r = reduce(parseReadingText(text));
    const std::vector<std::string> lines = linesOf(reportText(r, {true, true}));
    EXPECT_EQ(lines[0], "Mirror: D 200.00 mm, R 2000.00 mm, f/5.00, wanted conic -1.0000, source fixed, lambda 0.5500 um");
    EXPECT_EQ(lines[2], "zone  inner_mm  outer_mm      h_mm  expected_mm  measured_mm    dev_mm    TA_um  TA/rho  "
                        "surface_nm  round_trip_mm");
    // 1250 / 2000 + 1250^2 / (2 2000^3) = 0.62509765625, back unchanged.
    EXPECT_EQ(lines[3], "   1      0.00     50.00    35.355      0.62510      0.62510   0.00000    0.000   0.000  "
                        "       0.0        0.62510");
    const auto header = std::find(lines.begin(), lines.end(), "h_mm  surface_nm");
    ASSERT_NE(header, lines.end());
    ASSERT_GE(lines.end() - header, 22);
    EXPECT_EQ(header[1], "0.00 0.0");
    EXPECT_EQ(header[2], "5.00 0.0");
    EXPECT_EQ(header[21], "100.00 0.0");
    EXPECT_EQ(header[22], "Verdict: Diffraction limited: Strehl >= 0.80 and Couder criterion met.");
}

TEST(Report, SeveralSetsPrintTheirSpreadAndFigures) {
    const ReductionResult r = reduce(parseReadingText(
        "diameter 200\nradius 2000\nzones 4\n1 0.3125 0.3145\n2 0.9375 0.9375\n3 1.5625 1.5605\n4 2.1875 2.1875\n"));
    const std::vector<std::string> lines = linesOf(reportText(r, {}));
    // Two readings 0.002 apart: a sample deviation of 0.002 / sqrt(2);
    // the second set's differences average to nothing, so the
    // repeatability is the same.
    EXPECT_EQ(lines[18], "Reading spread (std dev, mm): 0.0014 0.0000 0.0014 0.0000");
    EXPECT_EQ(lines[19], "Repeatability (std dev less each set's offset, mm): 0.0014 0.0000 0.0014 0.0000");
    EXPECT_EQ(lines[20], "Set 1: PV 0.000 wave, RMS 0.0000 wave, Strehl 1.000, conic -1.0000, Couder 0.000 (pass)");
    EXPECT_EQ(lines[21].substr(0, 10), "Set 2: PV ");
    EXPECT_EQ(lines[22].substr(0, 9), "Verdict: ");
}

struct VerdictCase {
    VerdictFigures figures;
    std::vector<std::string> lines;
};

VerdictFigures figures(double strehl, double couder, double e, double rms, double rmsConic, double k,
                       std::vector<double> s, std::vector<double> residual = {}) {
    VerdictFigures f;
    f.strehl = strehl;
    f.couderRatio = couder;
    f.correctionError = e;
    f.rms = rms;
    f.rmsVsConic = rmsConic;
    f.bestFitConic = k;
    f.wavelengthNm = 550;
    f.surfaceNm = s;
    f.residualNm = residual.empty() ? s : residual;
    for (std::size_t i = 0; i < s.size(); ++i) f.h.push_back(20.0 * static_cast<double>(i + 1));
    return f;
}

TEST(Verdict, EveryBranchInItsOrder) {
    const std::string dl = "Diffraction limited: Strehl >= 0.80 and Couder criterion met.";
    const std::string within = "Correction within 0.05 wave of the wanted conic.";
    const std::string calm = "No zone stands out (zone heights within 0.05 wave).";
    const VerdictCase cases[] = {
        {figures(0.80, 1.0, 0.05, 0.05, 0.01, -1, {1, 2, 3}), {dl, within, calm}},
        {figures(0.85, 1.2, -0.05, 0.05, 0.01, -1, {1, 2, 3}),
         {"Strehl >= 0.80 but the Couder criterion is not met (max |TA|/rho > 1).", within, calm}},
        {figures(0.7999, 0.5, 0.2, 0.1, 0.06, -0.95, {1, 2, 3}),
         {"Not diffraction limited: Strehl < 0.80.",
          "Zonal errors dominate: the best-fit conic (-0.9500) leaves 60% of the RMS.", calm}},
        // A conic error: the zones and the edge are read against the
        // best-fit conic, not against the wanted one (where the first
        // would have a high centre and the second a low edge).
        {figures(0.9, 0.5, 0.2, 0.1, 0.05, -0.95, {40, -10, 30}, {1, 2, 3}),
         {dl, "Under-corrected by 0.200 wave (best-fit conic -0.9500).",
          "No zone stands out against the best-fit conic (within 0.05 wave)."}},
        {figures(0.9, 0.5, -0.1234, 0.1, 0.02, -1.04, {10, 20, -30}, {1, 2, 3}),
         {dl, "Over-corrected by 0.123 wave (best-fit conic -1.0400).",
          "No zone stands out against the best-fit conic (within 0.05 wave)."}},
        {figures(0.9, 0.5, -0.1234, 0.1, 0.02, -1.04, {10, 20, -30}, {2, 10, 1, -20}),
         {dl, "Over-corrected by 0.123 wave (best-fit conic -1.0400).",
          "Zones high against the best-fit conic: 1 (h 20.0 mm), 2 (h 40.0 mm), 3 (h 60.0 mm).",
          "The outermost zone is low against the best-fit conic: a turned-down edge."}},
        // Zonal errors dominate: the zones are read against the wanted
        // conic, whatever the residual.
        {figures(0.9, 0.5, 0.2, 0.1, 0.08, -0.95, {10, -5, 2, 0}, {0, 0, 0, 0}),
         {dl, "Zonal errors dominate: the best-fit conic (-0.9500) leaves 80% of the RMS.",
          "High zones (polish here): 1 (h 20.0 mm)."}},
        // 2 x 15 nm of 550: above 0.05 wave; only zone 1 is more than half
        // the spread above the lowest.
        {figures(0.9, 0.5, 0, 0.1, 0.02, -1, {10, -5, 2, 0}),
         {dl, within, "High zones (polish here): 1 (h 20.0 mm)."}},
        // The edge 23 nm below its neighbour and the lowest of all.
        {figures(0.9, 0.5, 0, 0.1, 0.02, -1, {5, 10, 3, -20}),
         {dl, within, "High zones (polish here): 1 (h 20.0 mm), 2 (h 40.0 mm), 3 (h 60.0 mm).",
          "The outermost zone is the lowest: turned-down edge."}},
        // Lowest, but only 1 nm below its neighbour.
        {figures(0.9, 0.5, 0, 0.1, 0.02, -1, {20, 0, -1, -2}),
         {dl, within, "High zones (polish here): 1 (h 20.0 mm)."}},
        // 23 nm down, but another zone is lower still.
        {figures(0.9, 0.5, 0, 0.1, 0.02, -1, {-30, 10, 3, -20}),
         {dl, within, "High zones (polish here): 2 (h 40.0 mm), 3 (h 60.0 mm)."}},
    };
    for (const VerdictCase& c : cases) EXPECT_EQ(verdictLines(c.figures), c.lines);
}

// The readings of a 200 mm f/5 mirror, ten equal-area zones before a
// moving source: a conic (2000, K) plus a figure g(h) (mm of surface, high
// positive) with its slope, each zone nulled where its normals cross the
// axis.
ReductionResult reducedSurface(double conic, const std::function<double(double)>& g,
                               const std::function<double(double)>& slope) {
    const double R = 2000;
    const Tester moving{SourceKind::Moving, R};
    std::string text = "diameter 200\nradius 2000\nzones 10\n";
    for (int i = 0; i < 10; ++i) {
        const double a = 100 * std::sqrt(i / 10.0), b = 100 * std::sqrt((i + 1) / 10.0);
        const double h = std::sqrt((a * a + b * b) / 2), q = std::sqrt(R * R - (1 + conic) * h * h);
        const double null = surfaceNull(h, h * h / (R + q) + g(h), h / q + slope(h), moving);
        text += std::to_string(i + 1) + " " + exactDecimalText(null - R) + "\n";
    }
    return reduce(parseReadingText(text));
}

double flat(double) { return 0; }

// A raised zone: a bump 40 nm high and 5 mm wide (a Gaussian) on zone 5,
// h 67.1 mm.
double bump(double h) { return 40e-6 * std::exp(-(h - 67.08) * (h - 67.08) / 50); }
double bumpSlope(double h) { return -40e-6 * (h - 67.08) / 25 * std::exp(-(h - 67.08) * (h - 67.08) / 50); }

// A turned-down edge: the surface falls as (h - 85)^2 beyond 85 mm, by
// 100 nm at the rim.
double edge(double h) { return h > 85 ? -100e-6 * (h - 85) * (h - 85) / 225 : 0.0; }
double edgeSlope(double h) { return h > 85 ? -100e-6 * 2 * (h - 85) / 225 : 0.0; }

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The verdict's advice on mirrors of known shape: a conic error is never
// read as zones or as an edge; zones and edges that are there are named,
// against the best-fit conic when there is a conic error too.
TEST(Verdict, AdviceOnReadingsOfKnownMirrors) {
    // A pure conic error either way: line (b) alone names it; nothing to
    // polish at the edge or anywhere else.
    for (const double k : {-1.08, -0.92}) {
        const ReductionResult r = reducedSurface(k, flat, flat);
        ASSERT_EQ(r.verdict.size(), 3u) << k;
        EXPECT_EQ(r.verdict[1].substr(0, 15), k < -1 ? "Over-corrected " : "Under-corrected") << k;
        EXPECT_EQ(r.verdict[2], "No zone stands out against the best-fit conic (within 0.05 wave).") << k;
        // Against the wanted paraboloid these heights spread well past
        // the 0.05 wave the zones are judged by.
        double low = 1e9, high = -1e9;
        for (const ZoneResult& z : r.zones) {
            low = std::min(low, z.surfaceNm);
            high = std::max(high, z.surfaceNm);
        }
        EXPECT_GT(2 * (high - low) / 550, 0.05) << k;
    }
    // A raised zone on a good paraboloid and on an under-corrected one:
    // the zone is named, the centre is not, and nothing is said of the
    // edge.
    for (const double k : {-1.0, -0.7}) {
        const ReductionResult r = reducedSurface(k, bump, bumpSlope);
        ASSERT_EQ(r.verdict.size(), 3u) << k << ": " << r.verdict.back();
        const std::string& zones = r.verdict[2];
        EXPECT_EQ(r.verdict[1].substr(0, 16), k < -0.9 ? "Zonal errors dom" : "Under-corrected ") << k;
        EXPECT_EQ(zones.substr(0, 26), k < -0.9 ? "High zones (polish here): " : "Zones high against the bes") << k;
        EXPECT_TRUE(contains(zones, "5 (h 67.1 mm)")) << zones;
        EXPECT_FALSE(contains(zones, ": 1 (h")) << zones;
    }
    // A turned-down edge on a good paraboloid, an over-corrected and an
    // under-corrected one.
    for (const double k : {-1.0, -1.4, -0.7}) {
        const ReductionResult r = reducedSurface(k, edge, edgeSlope);
        ASSERT_EQ(r.verdict.size(), 4u) << k << ": " << r.verdict[2];
        EXPECT_EQ(r.verdict[3], k == -1 ? "The outermost zone is the lowest: turned-down edge."
                                        : "The outermost zone is low against the best-fit conic: a turned-down edge.")
            << k;
        EXPECT_FALSE(contains(r.verdict[2], "10 (h")) << r.verdict[2];
    }
}

TEST(ReportJson, EveryFigureUnderItsKey) {
    // A narrow disc at the centre, three sets.
    const ReductionResult r = reduce(parseReadingText("diameter 150\nradius 1200\nsource fixed\n"
                                                      "1 0 1 0.001 0.002 0\n2 20 40 0.7 0.71 0.69\n"
                                                      "3 50 60 3.6 3.58 3.62\n4 70 75 7.01 7.0 7.02\n"));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(reportJson(r, "9.9")), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject o = doc.object();
    EXPECT_EQ(o["program"].toString(), "shadowgram-reduce");
    EXPECT_EQ(o["version"].toString(), "9.9");
    EXPECT_EQ(o["mirror"]["source"].toString(), "fixed");
    EXPECT_EQ(o["mirror"]["source_distance_mm"].toDouble(), 1200);
    EXPECT_EQ(o["reading_sets"].toInt(), 3);
    const QJsonArray zones = o["zones"].toArray();
    ASSERT_EQ(zones.size(), 4);
    for (qsizetype i = 0; i < 4; ++i) {
        const ZoneResult& z = r.zones[static_cast<std::size_t>(i)];
        const QJsonObject j = zones[i].toObject();
        EXPECT_EQ(j["zone"].toInt(), z.number);
        EXPECT_EQ(j["h_mm"].toDouble(), z.h);
        EXPECT_EQ(j["departure_mm"].toDouble(), z.departure);
        EXPECT_EQ(j["surface_nm"].toDouble(), z.surfaceNm);
        EXPECT_EQ(j["spread_mm"].toDouble(), z.spread);
        EXPECT_EQ(j["repeatability_mm"].toDouble(), z.repeatability);
        EXPECT_EQ(j["tolerance_mm"].toDouble(), z.tolerance);
        EXPECT_EQ(j["round_trip_mm"].toDouble(), z.roundTrip);
        EXPECT_EQ(j["readings_mm"].toArray().size(), 3);
    }
    EXPECT_EQ(o["reference"]["radius_mm"].toDouble(), r.referenceRadius);
    EXPECT_EQ(o["best_fit_conic"]["conic"].toDouble(), r.bestFitConic);
    EXPECT_EQ(o["pv_wave"].toDouble(), r.pv);
    EXPECT_EQ(o["rms_wave"].toDouble(), r.rms);
    EXPECT_EQ(o["strehl"].toDouble(), r.strehl);
    EXPECT_EQ(o["couder"]["shift_mm"].toDouble(), r.couderShift);
    EXPECT_EQ(o["couder"]["pass"].toBool(), r.couderPass);
    EXPECT_EQ(o["correction_error_wave"].toDouble(), r.correctionError);
    EXPECT_EQ(o["sets"].toArray().size(), 3);
    EXPECT_EQ(o["sets"][2]["conic"].toDouble(), r.sets[2].conic);
    EXPECT_EQ(o["sets"][2]["couder"]["max_ta_over_rho"].toDouble(), r.sets[2].couderRatio);
    EXPECT_EQ(o["sets"][1]["couder"]["shift_mm"].toDouble(), r.sets[1].couderShift);
    EXPECT_EQ(o["sets"][0]["couder"]["pass"].toBool(), r.sets[0].couderPass);
    EXPECT_EQ(o["rms_surface_nm"].toDouble(), r.rmsSurfaceNm);
    EXPECT_EQ(o["mirror"]["null"].toString(), "exact");
    EXPECT_EQ(o["mirror"]["zone_radius"].toString(), "rms");
    EXPECT_EQ(o["notes"].toArray().size(), 0);
    EXPECT_EQ(o["profile"].toArray().size(), 21);
    EXPECT_EQ(o["simulator"]["knot_heights_px"].toArray().size(), 45);
    EXPECT_EQ(o["simulator"]["radius_mm"].toDouble(), r.radius);
    ASSERT_EQ(o["verdict"].toArray().size(), static_cast<qsizetype>(r.verdict.size()));
    EXPECT_EQ(o["verdict"][0].toString().toStdString(), r.verdict[0]);
}

// A zone whose round trip finds no null: null in the JSON, which still
// parses strictly, and named for the command's warning.
TEST(ReportJson, ARoundTripWithoutANullIsNullAndNamed) {
    ReductionResult r = reduce(parseReadingText("diameter 200\nradius 2000\nzones 3\n1 0.2\n2 1\n3 1.9\n"));
    EXPECT_TRUE(missingFigures(r).empty());
    r.zones[1].roundTrip = std::nan("");
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(reportJson(r, "9.9")), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_TRUE(doc.object()["zones"][1]["round_trip_mm"].isNull());
    EXPECT_EQ(doc.object()["zones"][0]["round_trip_mm"].toDouble(), r.zones[0].roundTrip);
    EXPECT_EQ(missingFigures(r),
              std::vector<std::string>{"zone 2: the surface handed to the simulator has no null there (round_trip_mm)"});
}

}  // namespace
}  // namespace sg

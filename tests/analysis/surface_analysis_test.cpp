// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis sequence with the worked figures, the limits, the tables and
// the failures, read back from what it writes.
#include "model/number_text.h"
#include "model/failure.h"
#include "analysis/analysis_layout.h"
#include "analysis/surface_analysis.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>

namespace sg {
namespace {

struct Limits : ZoneLimitCells {
    std::array<std::string, 2> cells{"0", "20"};
    std::string limitCell(int row) const override { return cells.at(static_cast<std::size_t>(row)); }
    void setLimitCell(int row, const std::string& text) override { cells.at(static_cast<std::size_t>(row)) = text; }
};

struct Written : AnalysisOutput {
    std::map<std::pair<int, int>, std::pair<Rgb, std::string>> at;
    int count = 0;
    void drawText(int x, int y, Rgb colour, const std::string& text) override {
        at[{x, y}] = {colour, text};
        ++count;
    }
    std::string text(int x, int y) const {
        const auto it = at.find({x, y});
        return it == at.end() ? std::string("(nothing)") : it->second.second;
    }
};

std::string tableValue(double v) { return formatFixed(v, 10, 7); }

// The number at the start of a result line.
double shownNumber(const std::string& line) { return std::strtod(line.c_str(), nullptr); }

// The calculation as the window runs it: the main window's controls, the
// editor's shape, the picture's mirror for the deviation's sign, the limit
// cells; the texts it writes and the figures it returns.
struct Analysis {
    EditorShape shape;
    Mirror shown;
    PlainControls controls;
    Limits limits;
    AnalysisFigures figures;
    Written out;
    void run() {
        out = Written{};
        const ControlsReading r = readControls(controls);
        calculateAndLayOut({r, shape, shown.invertDeviation, figures.fitCoefficient}, limits, out, figures);
    }
    std::string message() {
        try {
            run();
        } catch (const ActionError& e) {
            return e.what();
        }
        return "no error";
    }
};

TEST(SurfaceAnalysis, DefaultParaboloidIsPerfect) {
    Analysis a;
    a.run();
    EXPECT_EQ(a.out.text(300, 365), "-1.0000 Set Conic Const ");
    EXPECT_EQ(a.out.text(290, 385), "0.5500 Set Wavelength (um) ");
    EXPECT_EQ(a.out.text(310, 405), "0.5000 Set Zone Ht (waves) ");
    EXPECT_EQ(a.out.text(13, 350), "0.00000 SURFACE RMS Area Weighted - Parabola");
    EXPECT_EQ(a.out.text(90, 365), "1.00000  Strehl       ");
    EXPECT_EQ(a.out.text(35, 380), "2000.00000 Best Vertex Radius - Parabola (mm)");
    EXPECT_EQ(a.out.text(5, 400), "0.00000 SURFACE RMS AREA Weighted - Best Conic");
    EXPECT_EQ(a.out.text(43, 415), "2000.00000  Vertex Radius - Best Conic (mm)");
    EXPECT_EQ(a.out.text(64, 430), "-1.00000  Best Conic Constant ");
    EXPECT_EQ(a.out.at[std::pair(13, 350)].first, kRed);
    EXPECT_EQ(a.out.at[std::pair(300, 365)].first, kAnalysisSetColour);
    EXPECT_EQ(a.figures.pvError, 0.5);
}

TEST(SurfaceAnalysis, SphereAgainstTheBestParaboloidAndConic) {
    Analysis a;
    a.controls.parameters[kRowConic] = "0";
    a.run();
    EXPECT_EQ(a.out.text(13, 350), "0.21298 SURFACE RMS Area Weighted - Parabola");
    EXPECT_EQ(a.out.text(90, 365), "0.00077  Strehl       ");
    EXPECT_EQ(a.out.text(35, 380), "1998.87786 Best Vertex Radius - Parabola (mm)");
    EXPECT_EQ(a.out.text(5, 400), "0.00000 SURFACE RMS AREA Weighted - Best Conic");
    EXPECT_EQ(a.out.text(43, 415), "2000.00000  Vertex Radius - Best Conic (mm)");
    EXPECT_NEAR(a.figures.bestConicConstant, 0, 1e-6);

    a.limits.cells = {"3", "15"};
    a.run();
    EXPECT_EQ(a.out.text(13, 350), "0.06523 SURFACE RMS Area Weighted - Parabola");
    EXPECT_EQ(a.out.text(90, 365), "0.51078  Strehl       ");
    EXPECT_EQ(a.out.text(35, 380), "1999.35958 Best Vertex Radius - Parabola (mm)");
    EXPECT_EQ(a.out.text(43, 415), "2000.00000  Vertex Radius - Best Conic (mm)");
    EXPECT_NEAR(a.figures.bestConicConstant, 0, 1e-6);
    EXPECT_EQ(a.figures.inner, 3);
    EXPECT_EQ(a.figures.outer, 15);
}

TEST(SurfaceAnalysis, LimitsAreClampedAndWrittenBack) {
    struct Case {
        const char* inner;
        const char* outer;
        const char* innerBack;
        const char* outerBack;
    };
    // Below its range a limit is the range's lower end, as above it the upper.
    for (const Case& c : {Case{"12", "25", "8", "20"}, Case{"-2", "5", "0", "10"}, Case{" 4 ", "-18", "4", "10"},
                          Case{"2147483647", "-2147483648", "8", "10"}}) {
        Analysis a;
        a.limits.cells = {c.inner, c.outer};
        a.run();
        EXPECT_EQ(a.limits.cells[0], c.innerBack) << c.inner;
        EXPECT_EQ(a.limits.cells[1], c.outerBack) << c.outer;
    }
}

// A pure conic is fitted exactly whatever the limits, two rings included.
TEST(SurfaceAnalysis, PureConicsKeepTheirFiguresAtTheNarrowestLimits) {
    Analysis a;
    a.controls.parameters[kRowConic] = "0";
    a.limits.cells = {"8", "10"};
    a.run();
    EXPECT_EQ(a.out.text(13, 350), "0.00657 SURFACE RMS Area Weighted - Parabola");
    EXPECT_EQ(a.out.text(90, 365), "0.99321  Strehl       ");
    EXPECT_EQ(a.out.text(35, 380), "1999.70763 Best Vertex Radius - Parabola (mm)");
    EXPECT_EQ(a.out.text(5, 400), "0.00000 SURFACE RMS AREA Weighted - Best Conic");
    EXPECT_EQ(a.out.text(43, 415), "2000.00000  Vertex Radius - Best Conic (mm)");
    EXPECT_EQ(a.out.text(64, 430), "0.00000  Best Conic Constant ");

    Analysis b;
    b.controls.parameters = {"300", "3000", "-1.5", "4", "20", "0.5", "0.55"};
    b.limits.cells = {"2", "17"};
    b.run();
    EXPECT_EQ(b.out.text(13, 350), "0.08212 SURFACE RMS Area Weighted - Parabola");
    EXPECT_EQ(b.out.text(90, 365), "0.34477  Strehl       ");
    EXPECT_EQ(b.out.text(35, 380), "3000.61318 Best Vertex Radius - Parabola (mm)");
    EXPECT_EQ(b.out.text(5, 400), "0.00000 SURFACE RMS AREA Weighted - Best Conic");
    EXPECT_EQ(b.out.text(43, 415), "3000.00000  Vertex Radius - Best Conic (mm)");
    EXPECT_EQ(b.out.text(64, 430), "-1.50000  Best Conic Constant ");
}

// A zone raised at half the radius (knots 12 and 32 at the top of the
// editor's plot) on a paraboloid of R 2400: the paraboloid's figures stay,
// and the best conic, whose family holds that paraboloid, does better.
TEST(SurfaceAnalysis, RaisedZoneAtHalfTheRadius) {
    Analysis a;
    a.controls.parameters[kRowRadius] = "2400";
    a.shape.knotHeight[12] = a.shape.knotHeight[32] = -80;
    a.run();
    EXPECT_EQ(a.out.text(13, 350), "0.06716 SURFACE RMS Area Weighted - Parabola");
    EXPECT_EQ(a.out.text(90, 365), "0.49056  Strehl       ");
    EXPECT_EQ(a.out.text(35, 380), "2400.01580 Best Vertex Radius - Parabola (mm)");
    EXPECT_LT(shownNumber(a.out.text(5, 400)), 0.06716);
    EXPECT_EQ(a.out.text(5, 400), "0.06540 SURFACE RMS AREA Weighted - Best Conic");
    EXPECT_EQ(a.out.text(43, 415), "2399.98397  Vertex Radius - Best Conic (mm)");
    EXPECT_EQ(a.out.text(64, 430), "-1.06078  Best Conic Constant ");
}

// Drawn shapes as the editor makes them (knot k and 44 - k alike, whole
// numbers in -80..80) on varied mirrors and limits.
TEST(SurfaceAnalysis, BestConicIsNeverWorseThanTheParaboloid) {
    std::mt19937 random(7321);
    std::uniform_int_distribution<int> knot(-80, 80), inner(0, 8), outer(10, 20);
    std::uniform_real_distribution<double> zone(0.02, 3), conic(-3, 1), radius(1000, 5000), diameter(100, 300);
    Analysis a;
    for (int trial = 0; trial < 300; ++trial) {
        for (int k = 0; k <= 22; ++k) a.shape.knotHeight[k] = a.shape.knotHeight[44 - k] = knot(random);
        char text[32];
        const double height = zone(random) * (trial % 3 == 0 ? -1 : 1);
        std::snprintf(text, sizeof text, "%.3f", height);
        a.controls.parameters[kRowZoneHeight] = text;
        a.shown.invertDeviation = height < 0;
        std::snprintf(text, sizeof text, "%.3f", conic(random));
        a.controls.parameters[kRowConic] = text;
        std::snprintf(text, sizeof text, "%.1f", radius(random));
        a.controls.parameters[kRowRadius] = text;
        std::snprintf(text, sizeof text, "%.1f", diameter(random));
        a.controls.parameters[kRowDiameter] = text;
        a.limits.cells = {std::to_string(inner(random)), std::to_string(outer(random))};
        a.run();
        const std::string setting = a.limits.cells[0] + " " + a.limits.cells[1] + " D " +
                                    a.controls.parameters[kRowDiameter] + " R " + a.controls.parameters[kRowRadius];
        EXPECT_LE(a.figures.rmsConic, a.figures.rmsParabola) << setting;
        EXPECT_LE(shownNumber(a.out.text(5, 400)), shownNumber(a.out.text(13, 350))) << setting;
        EXPECT_GT(a.figures.rmsParabola, 0) << setting;
    }
}

std::string residualEntry(const Written& out, int n) {
    const bool left = n <= 20;
    return out.text(left ? 750 : 850, left ? 15 * n : 15 * n - 315);
}

TEST(SurfaceAnalysis, TablesShowTheFullDiameterAndThisCalculationsResiduals) {
    Analysis a;
    a.shape.knotHeight[22] = -80;
    a.limits.cells = {"0", "20"};
    a.run();
    const AnalysisArray first = a.figures.residual;
    for (int n = 1; n <= 41; ++n) {
        if (std::abs(n - 21) > 12) {
            ASSERT_NE(tableValue(first[n - 1]), "0.0000000") << n;
        }
    }

    // A narrower analysis: its residuals are the best conic's at the samples
    // it fitted, in the rows of their abscissae, and 0 beyond the outer
    // limit, never the first calculation's.
    a.limits.cells = {"0", "12"};
    a.run();
    const NormalVector c = a.figures.fitCoefficient;
    for (int n = 1; n <= 41; ++n) {
        const bool left = n <= 20;
        const std::string x = a.out.text(left ? 330 : 420, left ? 15 * n : 15 * n - 315);
        char expected[40];
        std::snprintf(expected, sizeof expected, "%.7f X %d", (n - 21) * 5.0, n);
        EXPECT_EQ(x, expected);

        const double sx = a.figures.sampleX[n - 1];
        const double conicMinusSurface = c[0] + c[1] * sx * sx + c[2] * sx * sx * sx * sx - a.figures.sampleY[n - 1];
        const double shown = std::abs(n - 21) <= 12 ? conicMinusSurface : 0.0;
        EXPECT_NEAR(a.figures.residual[n - 1], shown, 1e-15) << n;
        EXPECT_EQ(residualEntry(a.out, n), tableValue(a.figures.residual[n - 1]) + " Resid " + std::to_string(n));
        if (std::abs(n - 21) > 12) {
            EXPECT_EQ(residualEntry(a.out, n), "0.0000000 Resid " + std::to_string(n));
            EXPECT_NE(residualEntry(a.out, n), tableValue(first[n - 1]) + " Resid " + std::to_string(n));
        }
    }
    EXPECT_NE(residualEntry(a.out, 21), "0.0000000 Resid 21");  // the raised centre stands off the conic
    EXPECT_EQ(a.out.text(420, 0), "0.0000000 X 21");
    EXPECT_EQ(a.out.text(5, 0), "40.0000000");  // -knotHeight[22] x pvError
    EXPECT_EQ(a.out.text(5, 300), "0.0000000");
    EXPECT_EQ(a.out.text(195, 0), "0.0002750 Dev 21");  // one zone height of 0.5 waves at 0.55 um
    EXPECT_EQ(a.out.count, 3 + 21 + 4 * 41 + 6);
}

TEST(SurfaceAnalysis, ZoneHeightZeroAndTheDrawnZone) {
    Analysis a;
    a.controls.parameters[kRowZoneHeight] = "0";
    a.shape.knotHeight[22] = -80;
    a.run();
    EXPECT_EQ(a.out.text(310, 405), "0.0000 Set Zone Ht (waves) ");
    EXPECT_EQ(a.figures.pvError, 1e-11);
    EXPECT_NEAR(a.figures.deviation[20], 1e-7 * 0.55 / 1000, 1e-18);

    // A raised centre of one wave on the paraboloid: no longer perfect, and
    // inverting the zone height turns it into a hole of the same RMS.
    Analysis zone;
    zone.controls.parameters[kRowZoneHeight] = "1";
    zone.shape.knotHeight[22] = -80;
    zone.run();
    const std::string rms = zone.out.text(13, 350);
    EXPECT_NEAR(zone.figures.deviation[20], 0.55e-3, 1e-12);
    EXPECT_NE(rms, "0.00000 SURFACE RMS Area Weighted - Parabola");
    zone.controls.parameters[kRowZoneHeight] = "-1";
    zone.shown.invertDeviation = true;
    zone.run();
    EXPECT_EQ(zone.out.text(13, 350), rms);
    EXPECT_NEAR(zone.figures.deviation[20], -0.55e-3, 1e-12);
}

// Extreme entries whose sums overflow stop the calculation; no figure is
// ever written as "INF" or "NAN".
TEST(SurfaceAnalysis, OverflowingFiguresAreRefusedNotShown) {
    for (const char* zoneHeight : {"1e300", "-1e300", "1e200"}) {
        Analysis a;
        a.controls.parameters[kRowZoneHeight] = zoneHeight;
        a.shape.knotHeight[22] = -80;
        EXPECT_EQ(a.message(), kInvalidOperationMessage) << zoneHeight;
        for (const auto& [place, written] : a.out.at) {
            EXPECT_EQ(written.second.find("INF"), std::string::npos) << written.second;
            EXPECT_EQ(written.second.find("NAN"), std::string::npos) << written.second;
        }
    }
}

TEST(SurfaceAnalysis, FailuresStopWhereTheyHappen) {
    {
        Analysis a;
        a.controls.parameters[kRowRadius] = "r";
        EXPECT_EQ(a.message(), "'r' is not a valid floating point value");
        EXPECT_EQ(a.out.count, 0);
    }
    {
        Analysis a;
        a.limits.cells[1] = "";
        EXPECT_EQ(a.message(), "'' is not a valid integer value");
        EXPECT_EQ(a.out.count, 3);  // the set values are drawn
        a.limits.cells[1] = "1.5";
        EXPECT_EQ(a.message(), "'1.5' is not a valid integer value");
    }
    {
        Analysis a;
        a.controls.parameters[kRowRadius] = "0";
        EXPECT_EQ(a.message(), kInvalidOperationMessage);
    }
    {
        Analysis a;
        a.controls.parameters[kRowWavelength] = "0";
        a.controls.parameters[kRowConic] = "0";
        EXPECT_EQ(a.message(), kDivisionByZeroMessage);
        EXPECT_EQ(a.out.count, 3 + 21 + 3 * 41);  // stopped before the results and the residuals
    }
    {
        Analysis a;
        a.run();
        const NormalVector before = a.figures.fitCoefficient;
        a.controls.parameters[kRowDiameter] = "0";
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(a.message(), kInvalidOperationMessage);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "ERROR : MATRIX SINGULAR\n");
        EXPECT_EQ(a.figures.fitCoefficient, before);
    }
}


// The calculation alone: a plain input, its figures, and how far it got.
TEST(SurfaceAnalysis, FiguresOfThePureCalculation) {
    AnalysisInput sphere;
    sphere.conicConstant = 0;
    const AnalysisFigures f = analyseSurface(sphere);
    EXPECT_EQ(f.reached, AnalysisStage::Complete);
    EXPECT_EQ(f.failure, "");
    EXPECT_EQ(formatFixed(f.rmsParabola, 10, 5), "0.21298");
    EXPECT_EQ(formatFixed(f.strehlRatio, 10, 5), "0.00077");
    EXPECT_EQ(formatFixed(f.parabolaRadius, 10, 5), "1998.87786");
    EXPECT_NEAR(f.rmsConic, 0, 1e-9);
    EXPECT_NEAR(f.bestConicRadius, 2000, 1e-6);
    EXPECT_NEAR(f.bestConicConstant, 0, 1e-6);
    EXPECT_EQ(f.inner, 0);
    EXPECT_EQ(f.outer, 20);
    EXPECT_EQ(f.sampleX[0], -100);
    EXPECT_EQ(f.sampleX[40], 100);
    EXPECT_EQ(f.solverMessage, "");

    // The limits as used, and an entered zone height of 0 taken two ways.
    AnalysisInput flat;
    flat.zoneHeight = 0;
    flat.inner = 12;
    flat.outer = 4;
    flat.knotHeight[22] = -80;
    const AnalysisFigures g = analyseSurface(flat);
    EXPECT_EQ(g.inner, 8);
    EXPECT_EQ(g.outer, 10);
    EXPECT_EQ(g.pvError, 1e-11);
    EXPECT_NEAR(g.deviation[20], 1e-7 * 0.55 / 1000, 1e-18);
}

TEST(SurfaceAnalysis, AFaultStopsTheCalculationAtItsStage) {
    struct Case {
        double radius, wavelength;
        AnalysisStage reached;
        const char* failure;
    };
    for (const Case& c : {Case{0, 0.55, AnalysisStage::None, kInvalidOperationMessage},
                          Case{2000, 0, AnalysisStage::Sampled, kDivisionByZeroMessage}}) {
        AnalysisInput in;
        in.radiusOfCurvature = c.radius;
        in.wavelength = c.wavelength;
        in.previousFit = {1, 2, 3};
        const AnalysisFigures f = analyseSurface(in);
        EXPECT_EQ(f.reached, c.reached) << c.radius << " " << c.wavelength;
        EXPECT_EQ(f.failure, c.failure) << c.radius << " " << c.wavelength;
    }
    // A diameter of 0: every abscissa 0, the paraboloid's system singular;
    // the previous fit stays and the solver's line is kept for the layout.
    AnalysisInput none;
    none.mirrorDiameter = 0;
    none.previousFit = {1, 2, 3};
    const AnalysisFigures f = analyseSurface(none);
    EXPECT_EQ(f.solverMessage, "ERROR : MATRIX SINGULAR");
    EXPECT_EQ(f.reached, AnalysisStage::Sampled);
    EXPECT_EQ(f.fitCoefficient, (NormalVector{1, 2, 3}));
}

}  // namespace
}  // namespace sg

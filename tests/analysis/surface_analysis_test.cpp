// The analysis sequence with the worked figures, the limits, the tables and
// the failures, read back from what it writes.
#include "failure.h"
#include "surface_analysis.h"

#include <gtest/gtest.h>

#include <map>

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

struct Analysis {
    MirrorModel model;
    PlainControls controls;
    Limits limits;
    AnalysisWorkspace workspace;
    Written out;
    Analysis() { setModelDefaults(model); }
    void run() {
        out = Written{};
        runAnalysis(model, controls, limits, workspace, out);
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
    EXPECT_EQ(a.out.text(310, 405), "0.5000 Set PV error  ");
    EXPECT_EQ(a.out.text(13, 350), "0.00000 SURFACE RMS Area Weighted - Parabola");
    EXPECT_EQ(a.out.text(90, 365), "1.00000  Strehl       ");
    EXPECT_EQ(a.out.text(35, 380), "2000.00000 Best Vertex Radius - Parabola");
    EXPECT_EQ(a.out.text(5, 400), "0.00000 SURFACE RMS AREA Weighted - Best Conic");
    EXPECT_EQ(a.out.text(43, 415), "2000.00000  Vertex Radius - Best Conic");
    EXPECT_EQ(a.out.text(64, 430), "-1.00000  Best Conic Constant ");
    EXPECT_EQ(a.out.at[std::pair(13, 350)].first, kRed);
    EXPECT_EQ(a.out.at[std::pair(300, 365)].first, kAnalysisSetColour);
    EXPECT_EQ(a.model.pvError, 0.5);
}

TEST(SurfaceAnalysis, SphereAgainstTheBestParaboloidAndConic) {
    Analysis a;
    a.controls.parameters[kRowConic] = "0";
    a.run();
    EXPECT_EQ(a.out.text(13, 350), "0.21298 SURFACE RMS Area Weighted - Parabola");
    EXPECT_EQ(a.out.text(90, 365), "0.00077  Strehl       ");
    EXPECT_EQ(a.out.text(35, 380), "1998.87786 Best Vertex Radius - Parabola");
    EXPECT_EQ(a.out.text(5, 400), "0.00000 SURFACE RMS AREA Weighted - Best Conic");
    EXPECT_EQ(a.out.text(43, 415), "2000.00000  Vertex Radius - Best Conic");
    EXPECT_NEAR(a.workspace.bestConicConstant, 0, 1e-6);

    a.limits.cells = {"3", "15"};
    a.run();
    EXPECT_EQ(a.out.text(13, 350), "0.06523 SURFACE RMS Area Weighted - Parabola");
    EXPECT_EQ(a.out.text(90, 365), "0.51078  Strehl       ");
    EXPECT_EQ(a.out.text(35, 380), "1999.35958 Best Vertex Radius - Parabola");
    EXPECT_EQ(a.out.text(43, 415), "2000.00000  Vertex Radius - Best Conic");
    EXPECT_NEAR(a.workspace.bestConicConstant, 0, 1e-6);
    EXPECT_EQ(a.model.analysisZoneFrom, 3);
    EXPECT_EQ(a.model.analysisZoneTo, 15);
}

TEST(SurfaceAnalysis, LimitsAreClampedAndWrittenBack) {
    struct Case {
        const char* inner;
        const char* outer;
        const char* innerBack;
        const char* outerBack;
    };
    for (const Case& c : {Case{"12", "25", "8", "20"}, Case{"-2", "5", "2", "10"}, Case{" 4 ", "-18", "4", "18"},
                          Case{"2147483647", "-2147483648", "8", "20"}}) {
        Analysis a;
        a.limits.cells = {c.inner, c.outer};
        a.run();
        EXPECT_EQ(a.limits.cells[0], c.innerBack) << c.inner;
        EXPECT_EQ(a.limits.cells[1], c.outerBack) << c.outer;
    }
}

TEST(SurfaceAnalysis, TablesShowTheFullDiameterAndThePreviousResiduals) {
    Analysis a;
    a.model.knotHeight[22] = -80;
    a.limits.cells = {"0", "12"};
    a.run();
    for (int n = 1; n <= 41; ++n) {
        const bool left = n <= 20;
        const std::string x = a.out.text(left ? 330 : 420, left ? 15 * n : 15 * n - 315);
        char expected[40];
        std::snprintf(expected, sizeof expected, "%.7f X %d", (n - 21) * 5.0, n);
        EXPECT_EQ(x, expected);
        EXPECT_EQ(a.out.text(left ? 750 : 850, left ? 15 * n : 15 * n - 315), "0.0000000 Resid " + std::to_string(n));
    }
    EXPECT_EQ(a.out.text(420, 0), "0.0000000 X 21");
    EXPECT_EQ(a.out.text(5, 0), "40.0000000");  // -knotHeight[22] x pvError
    EXPECT_EQ(a.out.text(5, 300), "0.0000000");
    EXPECT_EQ(a.out.text(195, 0), "0.0002750 Dev 21");  // one zone height of 0.5 waves at 0.55 um
    // The second calculation shows the residuals the first one left.
    const AnalysisArray left = a.workspace.residual;
    a.run();
    char expected[40];
    std::snprintf(expected, sizeof expected, "%.7f Resid 13", left[12]);
    EXPECT_EQ(a.out.text(750, 15 * 13), expected);
    EXPECT_EQ(a.out.count, 3 + 21 + 4 * 41 + 6);
}

TEST(SurfaceAnalysis, ZoneHeightZeroAndTheDrawnZone) {
    Analysis a;
    a.controls.parameters[kRowZoneHeight] = "0";
    a.model.knotHeight[22] = -80;
    a.run();
    EXPECT_EQ(a.out.text(310, 405), "0.0000 Set PV error  ");
    EXPECT_EQ(a.model.pvError, 1e-11);
    EXPECT_EQ(a.model.zoneHeight, 1e-7);  // as the sampling reads it
    EXPECT_NEAR(a.workspace.deviationSample[20], 1e-7 * 0.55 / 1000, 1e-18);

    // A raised centre of one wave on the paraboloid: no longer perfect, and
    // inverting the zone height turns it into a hole of the same RMS.
    Analysis zone;
    zone.controls.parameters[kRowZoneHeight] = "1";
    zone.model.knotHeight[22] = -80;
    zone.run();
    const std::string rms = zone.out.text(13, 350);
    EXPECT_NEAR(zone.workspace.deviationSample[20], 0.55e-3, 1e-12);
    EXPECT_NE(rms, "0.00000 SURFACE RMS Area Weighted - Parabola");
    zone.controls.parameters[kRowZoneHeight] = "-1";
    zone.model.invertDeviation = true;
    zone.run();
    EXPECT_EQ(zone.out.text(13, 350), rms);
    EXPECT_NEAR(zone.workspace.deviationSample[20], -0.55e-3, 1e-12);
}

// Extreme entries whose sums overflow stop the calculation; no figure is
// ever written as "INF" or "NAN".
TEST(SurfaceAnalysis, OverflowingFiguresAreRefusedNotShown) {
    for (const char* zoneHeight : {"1e300", "-1e300", "1e200"}) {
        Analysis a;
        a.controls.parameters[kRowZoneHeight] = zoneHeight;
        a.model.knotHeight[22] = -80;
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
        EXPECT_EQ(a.out.count, 3 + 21 + 4 * 41);  // stopped before the results
    }
    {
        Analysis a;
        a.run();
        const NormalVector before = a.workspace.fitCoefficient;
        a.controls.parameters[kRowDiameter] = "0";
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(a.message(), kInvalidOperationMessage);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), "ERROR : MATRIX SINGULAR\n");
        EXPECT_EQ(a.workspace.fitCoefficient, before);
    }
}

}  // namespace
}  // namespace sg

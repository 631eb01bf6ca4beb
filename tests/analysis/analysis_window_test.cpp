// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis window through its button, and shadowgram-analyse printing
// the same lines.
#include "mainwindow/application.h"
#include "tests/support/picture_checks.h"
#include "tests/support/recording_reporter.h"
#include "tests/support/scripted_dialogs.h"

#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace sg {
namespace {

class AnalysisWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<ShadowgramApp>(errors, &dialogs, home.path());
        app->start();
        QTest::mouseClick(app->mainWindow().findChild<QPushButton*>("analyseButton"), Qt::LeftButton);
        window = &app->analysisWindow();
    }
    void calculate() { QTest::mouseClick(window->findChild<QPushButton*>("calculateButton"), Qt::LeftButton); }
    void setMainCell(int row, const char* text) {
        app->mainWindow().findChild<QTableWidget*>("parameterGrid")->item(row, 1)->setText(text);
    }
    // The nine lines as the window shows them, in the order they are drawn.
    QStringList shown() {
        QStringList lines;
        for (const auto& w : window->written())
            if (w.colour != kAnalysisTableColour) lines << QString::fromStdString(w.text);
        return lines;
    }
    static QStringList analyse(const QStringList& args, int* exitCode = nullptr, QString* err = nullptr) {
        QProcess p;
        p.start(SHADOWGRAM_ANALYSE, args);
        EXPECT_TRUE(p.waitForFinished(60000));
        if (exitCode != nullptr) *exitCode = p.exitCode();
        if (err != nullptr) *err = QString::fromLocal8Bit(p.readAllStandardError());
        return QString::fromLocal8Bit(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir home;
    testing::RecordingReporter errors;
    testing::ScriptedDialogs dialogs;
    std::unique_ptr<ShadowgramApp> app;
    AnalysisWindow* window = nullptr;
};

TEST_F(AnalysisWindowTest, LayoutAndTheOpeningLimits) {
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->geometry(), QRect(19, 140, 992, 482));
    EXPECT_EQ(window->findChild<QPushButton*>("calculateButton")->geometry(), QRect(24, 320, 225, 25));
    EXPECT_EQ(window->findChild<QPushButton*>("calculateButton")->text(), "Calculate Surface Performance");
    EXPECT_EQ(window->findChild<QTableWidget*>("zoneLimitGrid")->geometry(), QRect(464, 312, 55, 55));
    EXPECT_EQ(window->findChild<QListWidget*>("noteList")->count(), 48);
    EXPECT_EQ(window->zoneCell(0), "0");
    EXPECT_EQ(window->zoneCell(1), "20");
}

TEST_F(AnalysisWindowTest, SphereFiguresInTheWindowAndFromTheCommandLine) {
    setMainCell(kRowConic, "0");
    window->setZoneCell(0, "3");
    window->setZoneCell(1, "15");
    calculate();
    ASSERT_TRUE(errors.messages.empty()) << errors.messages[0];
    EXPECT_EQ(window->textAt(13, 350), "0.06523 SURFACE RMS Area Weighted - Parabola");
    EXPECT_EQ(window->textAt(90, 365), "0.51078  Strehl       ");
    EXPECT_EQ(window->textAt(35, 380), "1999.35958 Best Vertex Radius - Parabola (mm)");
    EXPECT_EQ(shown(), analyse({"--conic", "0", "--inner", "3", "--outer", "15"}));
    // The text is on the window's picture, in its colours, and stays through a repaint.
    EXPECT_GT(testing::countColour(window->canvas().image(), kRed, 13, 350, 200, 363), 20);
    EXPECT_GT(testing::countColour(window->canvas().image(), kAnalysisSetColour, 300, 365, 420, 378), 20);
    const QImage screen = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(testing::countColour(screen, kRed, 13, 350, 200, 363), 20);

    // With --tables the command line gives what the window drew, in order.
    QStringList all;
    for (const auto& w : window->written()) all << QString::fromStdString(w.text);
    EXPECT_EQ(all.size(), 9 + 21 + 4 * 41);
    EXPECT_TRUE(all == analyse({"--conic", "0", "--inner", "3", "--outer", "15", "--tables"}));
}

TEST_F(AnalysisWindowTest, ADrawnZoneFromTheEditorAndItsShapeFile) {
    // A raised zone at 70 % of the radius, one wave high.
    setMainCell(kRowZoneHeight, "1");
    app->showEditorWindow();
    QTest::mouseClick(&app->editorWindow(), Qt::LeftButton, {}, QPoint(141, 130));
    dialogs.answers = {home.filePath("zone.Shp")};
    app->editorWindow().onSaveShape();
    calculate();
    const QStringList lines = shown();
    ASSERT_EQ(lines.size(), 9);
    EXPECT_NE(lines[3], "0.00000 SURFACE RMS Area Weighted - Parabola");
    EXPECT_EQ(lines, analyse({"--zone-height", "1", "--shape", home.filePath("zone.Shp")}));

    // Inverted in the main window: the same RMS, as the command line gives for a negative zone height.
    QTest::mouseClick(app->mainWindow().findChild<QPushButton*>("invertButton"), Qt::LeftButton);
    calculate();
    EXPECT_EQ(shown()[3], lines[3]);
    EXPECT_EQ(shown(), analyse({"--zone-height", "-1", "--shape", home.filePath("zone.Shp")}));
}

// Zone limits out of range, typed into the window or given to the command,
// are taken as the nearer end of their range (a negative inner limit as 0,
// which it did not use to be: -5 left out five zones); both give the same
// figures, and the window writes back what it used.
TEST_F(AnalysisWindowTest, OutOfRangeLimitsAreTakenAlikeByTheWindowAndTheCommand) {
    setMainCell(kRowConic, "0");
    window->setZoneCell(0, "-5");
    window->setZoneCell(1, "-15");
    calculate();
    ASSERT_TRUE(errors.messages.empty()) << errors.messages[0];
    EXPECT_EQ(window->zoneCell(0), "0");
    EXPECT_EQ(window->zoneCell(1), "10");
    const QStringList negative = shown();
    ASSERT_EQ(negative.size(), 9);
    EXPECT_EQ(negative, analyse({"--conic", "0", "--inner", "-5", "--outer", "-15"}));
    EXPECT_EQ(negative, analyse({"--conic", "0", "--inner", "0", "--outer", "10"}));
    // The inner limit counts: 5 leaves out what 0 keeps.
    EXPECT_NE(negative[3], analyse({"--conic", "0", "--inner", "5", "--outer", "10"})[3]);

    window->setZoneCell(0, "12");
    window->setZoneCell(1, "7");
    calculate();
    EXPECT_EQ(window->zoneCell(0), "8");
    EXPECT_EQ(window->zoneCell(1), "10");
    EXPECT_EQ(shown(), analyse({"--conic", "0", "--inner", "12", "--outer", "7"}));
    EXPECT_EQ(shown(), analyse({"--conic", "0", "--inner", "8", "--outer", "10"}));
}

// A second calculation with other settings leaves nothing of the first on
// the window: its picture is that of a window that only ever ran the second.
TEST_F(AnalysisWindowTest, ASecondCalculationShowsNothingOfTheFirst) {
    setMainCell(kRowConic, "0");
    setMainCell(kRowRadius, "1500");
    app->shape().knotHeight[22] = -80;
    calculate();
    ASSERT_TRUE(errors.messages.empty()) << errors.messages[0];
    std::vector<std::string> first;
    for (const auto& w : window->written()) first.push_back(w.text);

    setMainCell(kRowConic, "-1");
    setMainCell(kRowRadius, "2400");
    setMainCell(kRowZoneHeight, "1");
    app->shape().knotHeight[22] = 0;
    app->shape().knotHeight[12] = app->shape().knotHeight[32] = -80;
    window->setZoneCell(0, "3");
    window->setZoneCell(1, "12");
    calculate();
    ASSERT_TRUE(errors.messages.empty()) << errors.messages[0];
    ASSERT_EQ(window->written().size(), 9u + 21 + 4 * 41);
    for (const auto& w : window->written()) {
        if (w.colour == kAnalysisResultColour || w.x >= 750) {
            EXPECT_EQ(std::count(first.begin(), first.end(), w.text), 0) << w.text;
        }
    }
    EXPECT_EQ(window->textAt(750, 15), "0.0000000 Resid 1");  // beyond the outer limit of 12

    AnalysisWindow fresh(&app->mainWindow(), app->shape(), app->mainWindow().scene().mirror, app->mainWindow().controls(),
                    errors);
    fresh.setZoneCell(0, "3");
    fresh.setZoneCell(1, "12");
    fresh.onCalculate();
    ASSERT_TRUE(errors.messages.empty()) << errors.messages[0];
    EXPECT_EQ(fresh.written().size(), window->written().size());
    EXPECT_TRUE(fresh.canvas().image() == window->canvas().image());
}

TEST_F(AnalysisWindowTest, FailuresAreShownAndTheWindowStaysUsable) {
    struct Case {
        int row;
        const char* text;
        const char* message;
        int linesDrawn;
    };
    calculate();
    ASSERT_EQ(shown().size(), 9);
    for (const Case& c : {Case{kRowDiameter, "wide", "'wide' is not a valid floating point value", 0},
                          Case{kRowRadius, "0", "Invalid floating point operation", 3},
                          Case{kRowDiameter, "0", "Invalid floating point operation", 3}}) {
        errors.messages.clear();
        setMainCell(c.row, c.text);
        calculate();
        ASSERT_EQ(errors.messages.size(), 1u) << c.text;
        EXPECT_EQ(errors.messages[0], c.message);
        EXPECT_EQ(shown().size(), c.linesDrawn) << c.text;
        // Nothing of the earlier results is left beside what this run drew.
        EXPECT_EQ(testing::countColour(window->canvas().image(), kRed), 0) << c.text;
        setMainCell(c.row, c.row == kRowDiameter ? "200" : "2000");
    }
    errors.messages.clear();
    window->setZoneCell(1, "");
    calculate();
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], "'' is not a valid integer value");
    EXPECT_EQ(shown().size(), 3);
    window->setZoneCell(1, "25");
    setMainCell(kRowWavelength, "0");
    setMainCell(kRowConic, "0");
    errors.messages.clear();
    calculate();
    EXPECT_EQ(errors.messages, std::vector<std::string>{"Floating point division by zero"});
    EXPECT_EQ(window->zoneCell(1), "20");
    setMainCell(kRowWavelength, "0.55");
    errors.messages.clear();
    calculate();
    EXPECT_TRUE(errors.messages.empty());
    EXPECT_EQ(window->textAt(35, 380), "1998.87786 Best Vertex Radius - Parabola (mm)");
}

TEST(AnalyseTool, ExitStatusAndMessages) {
    struct Case {
        QStringList args;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {{"--conic", "abc"}, 2, "option --conic takes a number, not 'abc'"},
        {{"--inner", "1.5"}, 2, "option --inner takes a whole number, not '1.5'"},
        {{"--frobnicate"}, 2, "unknown option"},
        {{"--setup", "/nonexistent/x.Ron"}, 2, "Cannot read the test file"},
        {{"--shape", "/nonexistent/x.Shp"}, 2, "Cannot read the shape file"},
        {{"--radius", "0"}, 1, "Invalid floating point operation"},
        {{"--wavelength", "0", "--conic", "0"}, 1, "Floating point division by zero"},
    };
    for (const Case& c : cases) {
        QProcess p;
        p.start(SHADOWGRAM_ANALYSE, c.args);
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_TRUE(QString::fromLocal8Bit(p.readAllStandardError()).contains(c.message)) << c.args.join(' ').toStdString();
    }
    QProcess help;
    help.start(SHADOWGRAM_ANALYSE, {"--help"});
    ASSERT_TRUE(help.waitForFinished(60000));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(QString::fromLocal8Bit(help.readAllStandardOutput()).contains("--outer N"));
}

}  // namespace
}  // namespace sg

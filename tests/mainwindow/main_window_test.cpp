// SPDX-License-Identifier: GPL-3.0-or-later
// The main window driven with mouse events on the offscreen platform: the
// model, the pixels of the drawing area and the recorded messages.
#include "tests/support/main_window_fixture.h"
#include "tests/support/picture_checks.h"
#include "widgets/radio_group.h"
#include "editor/surface_editor_window.h"

#include <QAbstractButton>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace sg {
namespace {

using testing::countColour;

class MainWindowTest : public testing::MainWindowFixture {
protected:
    QTableWidget* grid(const char* name) { return form->findChild<QTableWidget*>(name); }
    void setCell(int row, const char* text) { grid("parameterGrid")->item(row, 1)->setText(text); }
    std::string cell(int row) { return grid("parameterGrid")->item(row, 1)->text().toStdString(); }
    void selectCell(int row) { grid("parameterGrid")->setCurrentCell(row, 1); }
    void setMoveCell(const char* text) { grid("maxMoveGrid")->item(2, 0)->setText(text); }
    std::string readout() { return form->axialReadout()->text().toStdString(); }
    const QImage& picture() { return form->canvas().image(); }
    // Lets the window system's activation arrive.
    static bool waitForFocus(QWidget* w) {
        for (int i = 0; i < 200 && QGuiApplication::focusWindow() != w->windowHandle(); ++i) QTest::qWait(5);
        return QGuiApplication::focusWindow() == w->windowHandle();
    }
    int redOnDisk() { return countColour(picture(), kRed, 135, 25, 685, 575); }
    const Scene& scene() { return form->scene(); }
};

TEST_F(MainWindowTest, StartsEmptyWithTheDefaults) {
    // No picture, the diagrams with the device where it starts.
    EXPECT_EQ(countColour(picture(), kSilver, 106, 0, 800, 700), 694 * 700);
    EXPECT_GE(countColour(picture(), kBlack, 17, 320, 34, 331), 9) << "the grating's strokes on row 325";
    EXPECT_GT(countColour(picture(), kGrey, 0, 220, 50, 480), 300) << "the ray diagram and the slider";
    EXPECT_EQ(readout(), "0");
    EXPECT_EQ(scene().setup.position.axialOffset, 0);
    EXPECT_EQ(form->windowTitle().toStdString(), "Shadowgram");
    const char* values[] = {"200", "2000", "-1", "4", "20", "0.5", "0.55"};
    const char* labels[] = {"D   (mm)", "R   (mm)", "Conic   ", "Line/mm ", "RANGE   ", "Zone Ht ", "WL   (u)"};
    for (int r = 0; r < 7; ++r) {
        EXPECT_EQ(cell(r), values[r]);
        EXPECT_EQ(grid("parameterGrid")->item(r, 0)->text().toStdString(), labels[r]);
    }
    EXPECT_EQ(grid("maxMoveGrid")->item(0, 0)->text().toStdString(), "MaxMove ");
    EXPECT_EQ(grid("maxMoveGrid")->item(1, 0)->text().toStdString(), " (bands)");
    EXPECT_EQ(grid("maxMoveGrid")->item(2, 0)->text().toStdString(), "2");
    EXPECT_EQ(form->controls().testItem(), kTestRonchi);
    EXPECT_EQ(form->controls().orientationItem(), kOrientVertical);
    EXPECT_EQ(form->controls().surfaceItem(), kSurfacePure);
    EXPECT_FALSE(form->controls().oddChecked());
    EXPECT_FALSE(form->controls().gridChecked());
    EXPECT_EQ(form->findChild<QWidget*>("Notes")->toolTip().toStdString(),
              "Write notes here.  This is saved with the mirror data.");
}

TEST_F(MainWindowTest, FirstClickDrawsWhatTheRendererDraws) {
    clickAt(400, 300);
    QTemporaryDir dir;
    const QString file = dir.filePath("click.png");
    QProcess renderer;
    renderer.start(SHADOWGRAM_RENDER, {"-o", file});
    ASSERT_TRUE(renderer.waitForFinished(60000));
    ASSERT_EQ(renderer.exitCode(), 0);
    EXPECT_EQ(testing::firstDifference(QImage(file).convertToFormat(QImage::Format_RGB32), picture()), "");
    EXPECT_EQ(readout(), "0");
    EXPECT_TRUE(errors.messages.empty());
}

// The read-outs stand for what they were computed from: the conic's turn
// grey while the grid holds another mirror and black again when it holds
// that one; the editor's statistics follow Zone Ht as it is typed.
TEST_F(MainWindowTest, ReadoutsFollowTheEntries) {
    clickAt(400, 300);
    const QImage drawn = picture().copy();
    const int black = countColour(drawn, kBlack, 590, 10, 800, 40);
    ASSERT_GT(black, 50) << "the conic's read-outs";
    for (const auto& [row, text] : {std::pair{kRowDiameter, "300"}, std::pair{kRowRadius, "3318.8"},
                                    std::pair{kRowConic, "-0.5"}, std::pair{kRowWavelength, "0.63"},
                                    std::pair{kRowDiameter, "abc"}}) {
        const std::string before = form->controls().parameterCell(row);
        setCell(row, text);
        EXPECT_EQ(countColour(picture(), kBlack, 590, 10, 800, 40), 0) << text;
        EXPECT_EQ(countColour(picture(), kGrey, 590, 10, 800, 40), black) << text;
        setCell(row, before.c_str());
        EXPECT_EQ(testing::firstDifference(picture(), drawn), "") << text;
    }
    // Zone Ht, the lines per mm or RANGE do not change them.
    setCell(kRowZoneHeight, "1");
    EXPECT_EQ(testing::firstDifference(picture(), drawn), "");
    // The next picture shows the new mirror's, in black.
    setCell(kRowDiameter, "300");
    clickAt(400, 300);
    EXPECT_EQ(countColour(picture(), kGrey, 590, 10, 800, 40), 0);
    EXPECT_GT(countColour(picture(), kBlack, 590, 10, 800, 40), 50);

    SurfaceEditorWindow& editor = app->editorWindow();
    EXPECT_EQ(editor.statisticsCaption(4), "1.000 PV  (set from main Program)");
    setCell(kRowZoneHeight, "0.25");
    EXPECT_EQ(editor.statisticsCaption(4), "0.250 PV  (set from main Program)");
    auto* line = editor.findChild<QLabel*>("peakToValleyLabel");
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(line->isEnabled());
    setCell(kRowZoneHeight, "x");
    EXPECT_FALSE(line->isEnabled()) << "greyed while Zone Ht cannot be read";
    EXPECT_TRUE(errors.messages.empty()) << "and no message while typing";
    setCell(kRowZoneHeight, "0.5");
    EXPECT_TRUE(line->isEnabled());
    EXPECT_EQ(editor.statisticsCaption(4), "0.500 PV  (set from main Program)");
}

TEST_F(MainWindowTest, AxialSliderClicks) {
    clickAt(25, 225);
    EXPECT_EQ(readout(), "-20");
    clickAt(25, 434);
    EXPECT_EQ(readout(), "21.8");
    EXPECT_DOUBLE_EQ(scene().setup.position.axialOffset, 21.8);
    clickAt(25, 325);
    EXPECT_EQ(readout(), "0");
    setCell(kRowRange, "200");
    clickAt(25, 434);
    EXPECT_EQ(readout(), "100");
    clickAt(25, 216);
    EXPECT_EQ(readout(), "-100");
    EXPECT_DOUBLE_EQ(scene().setup.position.axialOffset, -100);
}

TEST_F(MainWindowTest, TransverseSliderClicks) {
    struct Case {
        const char* maxMove;
        int x;
        double offset;
    };
    for (const Case& c : {Case{"2", 49, 2}, Case{"2", 1, -2}, Case{"2", 37, 1}, Case{"30", 49, 24}}) {
        setMoveCell(c.maxMove);
        clickAt(c.x, 470);
        EXPECT_DOUBLE_EQ(scene().setup.position.transverseOffset, c.offset) << c.maxMove << " " << c.x;
        EXPECT_GT(redOnDisk(), 5000);
    }
}

TEST_F(MainWindowTest, ExcludedBoundsDoNothingAndThePictureRegionRedraws) {
    clickAt(400, 300);
    const QImage before = picture().copy();
    for (auto [x, y] : {std::pair{35, 300}, {15, 300}, {50, 470}, {20, 458}})
        clickAt(x, y);
    EXPECT_EQ(testing::firstDifference(before, picture()), "");
    // (106, 10) lies under the "?" of the diameter row; the handler redraws.
    form->onDrawingAreaPress(106, 10);
    EXPECT_NE(testing::firstDifference(before, picture()), "");
    EXPECT_GT(redOnDisk(), 10000);
}

TEST_F(MainWindowTest, FoucaultWarningForASphere) {
    press("testChoiceItem2");
    setCell(kRowConic, "0");
    setMoveCell("0.05");
    clickAt(40, 470);
    EXPECT_TRUE(app->warningWindow().isVisible());
    EXPECT_EQ(app->warningWindow().line1().toStdString(), kFoucaultWarningLine1);
    EXPECT_EQ(app->warningWindow().line2().toStdString(), kFoucaultWarningLine2);
    // Drawn all the same: a sphere at its centre with the knife past the
    // axis is dark all over, which is why the result is meaningless.
    EXPECT_GT(countColour(picture(), kBlack, 135, 25, 685, 575), 100000);
    EXPECT_EQ(redOnDisk(), 0);
}

TEST_F(MainWindowTest, NoWarningOnTheCentreLineOrForAParaboloid) {
    press("testChoiceItem2");
    setCell(kRowConic, "0");
    setMoveCell("0.05");
    clickAt(25, 470);
    EXPECT_FALSE(app->warningWindow().isVisible());
    setCell(kRowConic, "-1");
    clickAt(40, 470);
    EXPECT_FALSE(app->warningWindow().isVisible());
}

TEST_F(MainWindowTest, BrightenAddsTwoPassesAndAClickStartsAgain) {
    clickAt(400, 300);
    const int one = redOnDisk();
    RandomGenerator g;
    auto passes = [&g](int n) {
        for (int i = 0; i < n * 2 * kRayCount; ++i) g.next();
        return g.seed();
    };
    EXPECT_EQ(form->simulator().random.seed(), passes(1));
    press("brightenButton");
    EXPECT_EQ(form->simulator().random.seed(), passes(2));
    const int three = redOnDisk();
    EXPECT_GT(three, one * 3 / 2);
    press("brightenButton");
    EXPECT_EQ(form->simulator().random.seed(), passes(2));
    EXPECT_GT(redOnDisk(), three);
    clickAt(400, 300);
    EXPECT_LT(redOnDisk(), one * 11 / 10);
}

TEST_F(MainWindowTest, ZeroInWhiteModeDrawsAWhiteDisk) {
    clickAt(25, 250);
    press("whiteButton");
    EXPECT_TRUE(scene().view.whiteMode);
    press("zeroButton");
    EXPECT_EQ(readout(), "0");
    EXPECT_GT(countColour(picture(), kWhite, 135, 25, 685, 575), 50000);
    EXPECT_EQ(countColour(picture(), kBlack, 200, 100, 620, 500), 0);
}

TEST_F(MainWindowTest, BadRulingCellTakesTheEarlierCellsAndReportsIt) {
    setCell(kRowDiameter, "150");
    setCell(kRowRadius, "1500");
    setCell(kRowConic, "-0.5");
    setCell(kRowLinesPerMm, "abc");
    setCell(kRowRange, "40");
    selectCell(kRowWavelength);
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], "'abc' is not a valid floating point value");
    EXPECT_EQ(scene().mirror.mirrorDiameter, 150);
    EXPECT_EQ(scene().mirror.radiusOfCurvature, 1500);
    EXPECT_EQ(scene().mirror.conicConstant, -0.5);
    EXPECT_EQ(workingLinesPerMm(scene().setup), 4);
    EXPECT_EQ(scene().setup.position.range, 20);
    EXPECT_EQ(scene().mirror.zoneHeight, 0.5);

    // The program stays usable.
    setCell(kRowLinesPerMm, "4");
    clickAt(400, 300);
    EXPECT_EQ(errors.messages.size(), 1u);
    EXPECT_GT(redOnDisk(), 10000);
}

TEST_F(MainWindowTest, SelectingACellReadsRowsZeroToFiveOnly) {
    setCell(kRowWavelength, "0.6");
    setCell(kRowZoneHeight, "0");
    selectCell(kRowDiameter);
    EXPECT_EQ(scene().setup.wavelength, 0.55);
    EXPECT_EQ(scene().mirror.zoneHeight, 0);
    press("brightenButton");  // the recompute takes all seven
    EXPECT_EQ(scene().setup.wavelength, 0.6);
    EXPECT_EQ(scene().mirror.zoneHeight, 1e-7);

    setMoveCell("7.5");
    grid("maxMoveGrid")->setCurrentCell(2, 0);
    EXPECT_EQ(scene().setup.position.maxMove, 7.5);
}

TEST_F(MainWindowTest, InvertOnTheLargestZoneHeightWritesATextThatReadsBack) {
    setCell(kRowZoneHeight, "1.7976931348623157e308");
    press("invertButton");
    EXPECT_TRUE(errors.messages.empty()) << errors.messages.front();
    EXPECT_EQ(cell(kRowZoneHeight), "-1.79769313486231E308");
    press("invertButton");
    EXPECT_TRUE(errors.messages.empty()) << errors.messages.front();
    EXPECT_EQ(cell(kRowZoneHeight), "1.79769313486231E308");
}

// A wavelength so small that the conic's departure overflows: the read-out
// is refused with the floating-point message, never drawn as "INF".
TEST_F(MainWindowTest, OverflowingReadoutIsRefused) {
    clickAt(400, 300);
    const double shown = form->simulator().conicDeviation;
    setCell(kRowWavelength, "1e-310");
    clickAt(400, 300);
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], "Invalid floating point operation");
    EXPECT_EQ(form->simulator().conicDeviation, shown);
    EXPECT_EQ(countColour(picture(), kBlack, 590, 10, 760, 40), 0);  // no read-out text drawn
}

TEST_F(MainWindowTest, InvertTwice) {
    press("invertButton");
    EXPECT_EQ(cell(kRowZoneHeight), "-0.5");
    EXPECT_EQ(scene().mirror.zoneHeight, -0.5);
    press("invertButton");
    EXPECT_EQ(cell(kRowZoneHeight), "0.5");
    EXPECT_EQ(scene().mirror.zoneHeight, 0.5);
}

TEST_F(MainWindowTest, FoucaultReductionOpensItsWindow) {
    clickAt(400, 300);
    const QImage before = picture().copy();
    press("reductionButton");
    EXPECT_EQ(testing::firstDifference(before, picture()), "");
    EXPECT_TRUE(app->reductionWindow().isVisible());
    EXPECT_EQ(app->reductionWindow().windowTitle(), "Foucault Reduction");
    press("reductionHelp");
    EXPECT_TRUE(app->helpWindow(HelpTopic::FoucaultReduction)->isVisible());
}

// The buttons that open windows, Save and every "?" leave the picture as it is.
TEST_F(MainWindowTest, WindowButtonsSaveAndHelpKeepThePicture) {
    struct Case {
        const char* button;
        QWidget* window;
    };
    const Case cases[] = {{"irregularSurfaceButton", &app->editorWindow()},      {"informationButton", &app->informationWindow()},
                          {"figuringButton", &app->figuringWindow()},    {"gettingStartedPanel", &app->gettingStartedWindow()},
                          {"analyseButton", &app->analysisWindow()},     {"saveButton", nullptr}};
    clickAt(400, 300);
    ASSERT_GT(redOnDisk(), 10000);
    const QImage drawn = picture().copy();
    for (const Case& c : cases) {
        dialogs.answers = {home.filePath("kept.Ron")};
        if (std::string(c.button) == "gettingStartedPanel") clickAt(800, 100);
        else press(c.button);
        if (c.window != nullptr) {
            EXPECT_TRUE(c.window->isVisible()) << c.button;
        }
        EXPECT_EQ(testing::firstDifference(picture(), drawn), "") << c.button;
    }
    EXPECT_TRUE(form->picture().editorOpened);
    EXPECT_TRUE(QFile::exists(home.filePath("kept.Ron")));
    EXPECT_EQ(app->analysisWindow().zoneCell(0), "0");
    EXPECT_EQ(app->analysisWindow().zoneCell(1), "20");
    int helpButtons = 0;
    for (QPushButton* b : form->findChildren<QPushButton*>()) {
        if (b->text() != "?") continue;
        QTest::mouseClick(b, Qt::LeftButton);
        EXPECT_EQ(testing::firstDifference(picture(), drawn), "") << b->objectName().toStdString();
        ++helpButtons;
    }
    EXPECT_GE(helpButtons, 27);
    EXPECT_TRUE(errors.messages.empty()) << errors.messages.front();
}

TEST_F(MainWindowTest, AnalyseSurfaceResetsTheZoneCells) {
    app->analysisWindow().setZoneCell(0, "5");
    app->analysisWindow().setZoneCell(1, "12");
    press("analyseButton");
    EXPECT_EQ(app->analysisWindow().zoneCell(0), "0");
    EXPECT_EQ(app->analysisWindow().zoneCell(1), "20");
}

TEST_F(MainWindowTest, HelpButtonsShowTheirWindowsAndKeepThePicture) {
    const std::pair<const char*, const char*> buttons[] = {
        {"diameterHelp", "Help on D entry"},
        {"radiusHelp", "Help on R Entry"},
        {"conicHelp", "Help on Conic Entry"},
        {"linesPerMmHelp", "Help on Lines / mm  entry"},
        {"rangeHelp", "Help on Range Entry"},
        {"zoneHeightHelp", "Help on Zone Ht. Entry"},
        {"wavelengthHelp", "Help on Wavelength entry"},
        {"testHelp", "Help on Wire - Fouc - Ronchi - Choice"},
        {"whiteHelp", "Help on White Option"},
        {"gridHelp", "Help on Grid Option"},
        {"invertHelp", "Help on Invert Option"},
        {"orientationHelp", "Help on Vertical - Horizontal - 2D Option"},
        {"oddHelp", "Help on Odd Option"},
        {"zeroHelp", "Help on Zero Option"},
        {"axialPositionHelp", "Help on Setting Longitudinal Position of Ronchi Grid"},
        {"brightenHelp", "Help on Bright Option"},
        {"centresHelp", "Help on Centres Option"},
        {"transversePositionHelp", "Help on Setting X Position of Ronchi Grid"},
        {"maxMoveHelp", "Help on  Maximum X Movement Option"},
        {"conicInfoHelp", "Help on Conic Deformation and F:NO Information Display"},
        {"irregularSurfaceHelp", "Help on Irregular Surface Option"},
        {"surfaceChoiceHelp", "Help on Show Pure Conic Option"},
        {"retrieveHelp", "Help on Retrieve - Save Option"},
        {"analyseHelp", "Help on Analyse Surface Option"},
        {"reductionHelp", "Help on Foucault Reduction Option"},
        {"heightHelp", "Help on Height Display"},
        {"slopeHelp", "Help on Slope Display and Absolute Slope Option"},
    };
    clickAt(400, 300);
    const QImage before = picture().copy();
    for (const auto& [name, caption] : buttons) {
        press(name);
        bool shown = false;
        for (const auto& h : app->helpWindows())
            if (h->windowTitle().toStdString() == caption) shown = h->isVisible();
        EXPECT_TRUE(shown) << name << " " << caption;
        EXPECT_EQ(form->findChild<QPushButton*>(name)->text().toStdString(), "?");
    }
    EXPECT_EQ(testing::firstDifference(before, picture()), "");
}

TEST_F(MainWindowTest, AnExampleIsShownAtOnce) {
    press("testChoiceItem0");
    EXPECT_EQ((scene().setup.orientation == Orientation::Horizontal), false);
    EXPECT_EQ(redOnDisk(), 0);
    app->gettingStartedWindow().showExample3();  // "Ronchi - Parabola - Hoizontal"
    EXPECT_GT(redOnDisk(), 10000);
    EXPECT_TRUE((scene().setup.test == TestKind::Ronchi));
    EXPECT_TRUE((scene().setup.orientation == Orientation::Horizontal));
    EXPECT_EQ(form->controls().orientationItem(), kOrientHorizontal);
    EXPECT_EQ(form->controls().testItem(), kTestRonchi);
    EXPECT_TRUE(form->controls().oddChecked());
}

TEST_F(MainWindowTest, OptionControlsReachTheModel) {
    press("gridBox");
    EXPECT_TRUE(scene().view.showGrid);
    clickAt(400, 300);
    EXPECT_EQ(picture().pixel(410, 690) & 0xffffff, toQRgb(kYellow) & 0xffffff);  // grid line below the disk
    press("surfaceChoiceItem1");
    EXPECT_TRUE(scene().mirror.distorted());
    press("surfaceChoiceItem0");
    EXPECT_FALSE(scene().mirror.distorted());
    press("testChoiceItem0");
    press("brightenButton");
    EXPECT_EQ(grid("maxMoveGrid")->item(1, 0)->text().toStdString(), "(wire  W)");
    EXPECT_EQ(workingLinesPerMm(scene().setup), 12);
    EXPECT_EQ(cell(kRowLinesPerMm), "4");
    press("oddBox");
    press("testChoiceItem1");
    press("centresButton");
    EXPECT_FALSE(brightCentreBand(scene().setup));
}

TEST_F(MainWindowTest, LabelsAndPanelsTakeTheirOwnClicks) {
    clickAt(400, 300);
    const QImage before = picture().copy();
    clickAt(820, 596);  // "HEIGHT"
    clickAt(110, 620);  // the "Click Mouse on" panel
    EXPECT_EQ(testing::firstDifference(before, picture()), "");
}

TEST_F(MainWindowTest, ReturningFromAnotherWindowClearsWhiteAndTheEditorFlag) {
    press("whiteButton");
    press("irregularSurfaceButton");
    ASSERT_TRUE(scene().view.whiteMode);
    ASSERT_TRUE(form->picture().editorOpened);
    QWidget& editor = app->editorWindow();
    editor.activateWindow();
    ASSERT_TRUE(waitForFocus(&editor));
    EXPECT_TRUE(scene().view.whiteMode);
    form->activateWindow();
    ASSERT_TRUE(waitForFocus(form));
    EXPECT_FALSE(scene().view.whiteMode);
    EXPECT_FALSE(form->picture().editorOpened);
}


// Presses on the grids as the user makes them: each press on a cell reads
// the grid again, the cell being edited included, and a press that moves to
// another cell reads it once.
class GridPresses : public MainWindowTest {
protected:
    void pressCell(QTableWidget* g, int row, int column) {
        const QRect r = g->visualRect(g->model()->index(row, column));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
    }
    // Types into the cell's open editor and ends the edit with Enter.
    void typeIntoEditor(QTableWidget* g, const char* text) {
        QLineEdit* editor = nullptr;
        for (QLineEdit* e : g->findChildren<QLineEdit*>())
            if (e->isVisible()) editor = e;
        ASSERT_NE(editor, nullptr) << "no cell editor open";
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
    }
};

TEST_F(GridPresses, PressingTheEditedCellAgainReadsIt) {
    QTableWidget* g = grid("parameterGrid");
    pressCell(g, kRowDiameter, 1);
    EXPECT_TRUE(errors.messages.empty());
    typeIntoEditor(g, "abc");
    EXPECT_EQ(cell(kRowDiameter), "abc");
    pressCell(g, kRowDiameter, 1);
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], "'abc' is not a valid floating point value");
    pressCell(g, kRowDiameter, 1);
    EXPECT_EQ(errors.messages.size(), 2u);

    // A press on another cell moves there and reads the grid once.
    pressCell(g, kRowRange, 1);
    EXPECT_EQ(errors.messages.size(), 3u);
    // A press on a label cell selects nothing and reads nothing.
    pressCell(g, kRowRange, 0);
    EXPECT_EQ(errors.messages.size(), 3u);
    // A keyboard move reads it too.
    QTest::keyClick(g, Qt::Key_Down);
    EXPECT_EQ(g->currentRow(), kRowZoneHeight);
    EXPECT_EQ(errors.messages.size(), 4u);

    pressCell(g, kRowDiameter, 1);
    typeIntoEditor(g, "150");
    pressCell(g, kRowDiameter, 1);
    EXPECT_EQ(errors.messages.size(), 5u);  // the press that opened the cell still saw abc
    EXPECT_EQ(scene().mirror.mirrorDiameter, 150);
}

TEST_F(GridPresses, PressingTheMaximumMovementCellAgainReadsIt) {
    QTableWidget* g = grid("maxMoveGrid");
    pressCell(g, kMoveRowValue, 0);
    typeIntoEditor(g, "7.5");
    pressCell(g, kMoveRowValue, 0);
    EXPECT_EQ(scene().setup.position.maxMove, 7.5);
    typeIntoEditor(g, "x1");
    pressCell(g, kMoveRowValue, 0);
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], "'x1' is not a valid floating point value");
    EXPECT_EQ(scene().setup.position.maxMove, 7.5);
    pressCell(g, kMoveRowLabel, 0);  // a fixed row
    EXPECT_EQ(errors.messages.size(), 1u);
}

// Two points of the mouse regions lie under "?" buttons, so a real press
// there opens the button's help window and leaves the picture alone.
TEST_F(MainWindowTest, PressesUnderHelpButtonsReachTheButtons) {
    clickAt(400, 300);
    const QImage before = picture().copy();
    clickAt(106, 10);
    EXPECT_TRUE(app->helpWindow(HelpTopic::Diameter)->isVisible());
    clickAt(105, 300);
    EXPECT_TRUE(app->helpWindow(HelpTopic::Zero)->isVisible());
    EXPECT_EQ(testing::firstDifference(before, picture()), "");
}

// Every caption of the radio groups fits its column beside the indicator,
// and every item lies below its group's frame line.
TEST_F(MainWindowTest, RadioCaptionsFitTheirColumns) {
    for (const char* name : {"testChoice", "orientationChoice", "surfaceChoice"}) {
        auto* box = form->findChild<RadioGroupBox*>(name);
        ASSERT_NE(box, nullptr) << name;
        const auto buttons = box->findChildren<QRadioButton*>();
        ASSERT_FALSE(buttons.empty());
        for (QRadioButton* b : buttons) {
            QStyle* st = b->style();
            const int indicator = st->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, b) +
                                  st->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, b);
            EXPECT_LE(indicator + b->fontMetrics().horizontalAdvance(b->text()), b->width())
                << name << " " << b->text().toStdString();
            EXPECT_GT(b->y(), box->frameTop() + 1) << name << " " << b->text().toStdString();
            EXPECT_LE(b->geometry().bottom(), box->height()) << name << " " << b->text().toStdString();
            EXPECT_GE(b->fontInfo().pixelSize(), 9) << b->text().toStdString();
        }
    }
    // The test choice still ends before its "?" button.
    EXPECT_EQ(form->findChild<QWidget*>("testChoice")->geometry(), QRect(128, -8, 129, 49));
    EXPECT_EQ(form->findChild<QWidget*>("orientationChoice")->geometry(), QRect(0, 124, 81, 55));
}

}  // namespace
}  // namespace sg

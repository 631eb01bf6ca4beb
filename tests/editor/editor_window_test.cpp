// SPDX-License-Identifier: GPL-3.0-or-later
// The surface editor window driven with mouse presses, keys, scripted file
// dialogs and questions on the offscreen platform, and the drawn surface
// through the main window's picture.
#include "widgets/window_placement.h"
#include "tests/editor/editor_window_fixture.h"
#include "tests/support/picture_checks.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProcess>

#include <limits>

namespace sg {
namespace {

using testing::countColour;

TEST_F(EditorWindow, LayoutCaptionsAndTheFirstStatistics) {
    EXPECT_EQ(editor->windowTitle().toStdString(), "Custom Surface");
    // The test screen (800 x 600) is too short to open it below the picture:
    // it stands where it covers least of the mirror, less than at its usual
    // place (4, 146).
    EXPECT_EQ(editor->size(), QSize(967, 357));
    const KeepClear disk{QRect(app->mainWindow().mapToGlobal(QPoint(135, 25)), QSize(551, 551)), true};
    EXPECT_LT(coveredPixels(editor->frameGeometry(), disk), coveredPixels(QRect(QPoint(4, 146), QSize(967, 357)), disk));
    EXPECT_EQ(editor->parentWidget(), &app->mainWindow());
    struct Control {
        const char* name;
        QRect place;
        const char* text;
    };
    for (const Control& c : {Control{"showSurfaceButton", {184, 0, 161, 25}, "Show  surface"},
                             Control{"startNewButton", {376, 0, 161, 25}, "Start NEW surface"},
                             Control{"saveShapeButton", {144, 312, 91, 25}, "Save Shape"},
                             Control{"retrieveShapeButton", {464, 312, 97, 25}, "Retrieve Shape"}}) {
        auto* b = editor->findChild<QPushButton*>(c.name);
        ASSERT_NE(b, nullptr) << c.name;
        EXPECT_EQ(b->geometry(), c.place) << c.name;
        EXPECT_EQ(b->text().toStdString(), c.text);
        EXPECT_LE(b->fontMetrics().horizontalAdvance(b->text()), b->width() - 4) << c.name;
    }
    EXPECT_EQ(editor->findChild<QPushButton*>("startNewButton")->toolTip().toStdString(), "Starts a zero deviation profile");
    auto* note = editor->findChild<QListWidget*>("noteList");
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->geometry(), QRect(728, 8, 233, 137));
    EXPECT_EQ(note->count(), 18);

    // The statistics of the flat surface, filled when the window was created.
    EXPECT_EQ(captions(), (std::array<std::string, 5>{"0.000 MEAN Ht - Linear", "0.000 MEAN Ht Area Weighted",
                                                       "0.000 RMS - Linear", "0.000 RMS - Area Weighted ",
                                                       "0.500 PV  (set from main Program)"}));
    const std::pair<const char*, int> lines[] = {{"meanLinearLabel", 160}, {"meanAreaLabel", 176}, {"rmsLinearLabel", 208}, {"rmsAreaLabel", 224},
                                                 {"peakToValleyLabel", 253}};
    for (const auto& [name, y] : lines) {
        auto* l = editor->findChild<QLabel*>(name);
        ASSERT_NE(l, nullptr) << name;
        EXPECT_EQ(l->pos(), QPoint(752, y)) << name;
        EXPECT_LE(l->geometry().right(), editor->width()) << name;
    }
    EXPECT_EQ(editor->findChild<QLabel*>("rmsAreaLabel")->palette().color(QPalette::Window), QColor(Qt::yellow));
    // The flat plot is there from the start and stays when the window repaints.
    EXPECT_EQ(editor->canvas().pixel(365, 150), kYellow);
    EXPECT_EQ(editor->grab().toImage().pixel(365, 150) & 0xffffff, 0xffff00u);
}

TEST_F(EditorWindow, ZoneNumbersStandOverTheirKnotLines) {
    auto* label = editor->findChild<QLabel*>("zoneNumbers");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->pos(), QPoint(40, 88));
    const QImage image = label->grab().toImage();
    // Runs of columns with dark text pixels, one per number.
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < image.width(); ++x) {
        bool dark = false;
        for (int y = 0; y < image.height(); ++y) dark = dark || qGray(image.pixel(x, y)) < 100;
        if (!dark) continue;
        if (!runs.empty() && runs.back().second >= x - 3)
            runs.back().second = x;
        else
            runs.push_back({x, x});
    }
    ASSERT_EQ(runs.size(), 9u);
    for (int i = 0; i < 9; ++i) {
        const int centre = label->x() + (runs[i].first + runs[i].second) / 2;
        EXPECT_NEAR(centre, 13 + 16 * (2 + 5 * i), 2) << "number " << i;
    }
}

TEST_F(EditorWindow, PressesOnThePlotSetKnotsAndControlsTakeTheirOwn) {
    pressAt(100, 130);
    EXPECT_EQ(knot(5), -80);
    EXPECT_EQ(knot(39), -80);
    pressAt(100, 290);
    EXPECT_EQ(knot(5), 80);
    EXPECT_EQ(knot(39), 80);
    pressAt(725, 250);  // half a spacing right of the last knot column
    EXPECT_EQ(knot(44), 40);
    EXPECT_EQ(knot(0), 40);
    pressAt(5, 170);  // half a spacing left of the first
    EXPECT_EQ(knot(0), -40);
    EXPECT_EQ(knot(44), -40);
    EXPECT_NE(captions()[2], "0.000 RMS - Linear");
    const EditorShape before = app->shape();
    for (auto [x, y] : {std::pair{200, 30}, {300, 45}, {300, 68}, {800, 60}, {760, 164}})  // labels and the note
        pressAt(x, y);
    for (int k = 0; k < kKnotCount; ++k) EXPECT_EQ(knot(k), before.knotHeight[k]) << k;
    EXPECT_TRUE(errors.messages.empty());

    questions.answers = {true};
    press("startNewButton");  // "Start NEW surface"
    for (int k = 0; k < kKnotCount; ++k) EXPECT_EQ(knot(k), 0) << k;
    EXPECT_EQ(captions()[2], "0.000 RMS - Linear");
}

// Beyond half a knot spacing from the outer knot columns, and above or below
// the plot's rows, a press changes no knot and draws nothing.
TEST_F(EditorWindow, PressesBeyondThePlotChangeNothing) {
    pressAt(365, 150);
    const KnotHeights drawn = editor->editor().knots();
    const auto shown = captions();
    editor->editor().canvas().setPixel(500, 200, kBlue);  // a redraw would clear it
    struct Place {
        int x, y;
        const char* where;
    };
    for (const Place& p : {Place{4, 150, "left of the first column"}, Place{-30, 210, "off the window's left"},
                           Place{726, 150, "right of the last column"}, Place{900, 300, "beside the statistics"},
                           Place{365, 129, "above the top row"}, Place{100, 20, "by the buttons"},
                           Place{365, 291, "below the bottom row"}, Place{100, 340, "by the lower buttons"},
                           Place{4, 129, "beyond both corners"}, Place{726, 291, "beyond the other corner"}}) {
        pressAt(p.x, p.y);
        EXPECT_TRUE(sameHeights(editor->editor().knots(), drawn)) << p.where;
        EXPECT_EQ(editor->canvas().pixel(500, 200), kBlue) << p.where;
    }
    EXPECT_EQ(captions(), shown);
    EXPECT_TRUE(errors.messages.empty());
    // Nothing to undo but the one press on the plot.
    undoKey();
    EXPECT_EQ(knot(22), 0);
    undoKey();
    EXPECT_EQ(editor->canvas().pixel(500, 200), kSilver);
}

TEST_F(EditorWindow, SaveAndRetrieveAShape) {
    for (int x : {77, 141, 365}) pressAt(x, 135);
    const EditorShape drawn = app->shape();

    dialogs.answers = {shapeFolder() + "/zone"};  // typed without an extension
    press("saveShapeButton");
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_TRUE(dialogs.askedToSave[0]);
    EXPECT_EQ(dialogs.asked[0].directory, shapeFolder());
    EXPECT_TRUE(QDir(shapeFolder()).exists());
    EXPECT_EQ(dialogs.asked[0].filters, (QStringList{"Shape Files (*.Shp)", "All Files (*)"}));
    EXPECT_EQ(dialogs.asked[0].defaultSuffix, "Shp");
    const QString file = shapeFolder() + "/zone.Shp";
    EXPECT_EQ(editor->shapeFileName(), file);
    EXPECT_EQ(QFile(file).size(), 360);

    press("startNewButton");  // the shape is saved: no question
    EXPECT_TRUE(questions.asked.empty());
    pressAt(500, 280);
    dialogs.answers = {file};
    press("retrieveShapeButton");
    EXPECT_FALSE(dialogs.askedToSave[1]);
    for (int k = 0; k < kKnotCount; ++k) EXPECT_EQ(knot(k), drawn.knotHeight[k]) << k;
    EXPECT_EQ(app->shape().profile, drawn.profile);
    EXPECT_TRUE(errors.messages.empty());

    // Cancelling either dialog changes nothing but redraws the plot.
    editor->editor().canvas().setPixel(300, 300, kBlue);
    dialogs.answers = {std::nullopt};
    press("retrieveShapeButton");
    EXPECT_EQ(editor->canvas().pixel(300, 300), kSilver);
    for (int k = 0; k < kKnotCount; ++k) EXPECT_EQ(knot(k), drawn.knotHeight[k]) << k;
    dialogs.answers = {std::nullopt};
    press("saveShapeButton");
    EXPECT_EQ(QDir(shapeFolder()).entryList(QDir::Files), QStringList{"zone.Shp"});

    // The next dialog starts where the user last was.
    QDir(home.path()).mkpath("elsewhere");
    dialogs.answers = {home.path() + "/elsewhere/flat.Shp"};
    press("startNewButton");
    press("saveShapeButton");
    dialogs.answers = {std::nullopt};
    press("retrieveShapeButton");
    EXPECT_EQ(dialogs.asked.back().directory, home.path() + "/elsewhere");
    EXPECT_EQ(QFile(home.path() + "/elsewhere/flat.Shp").size(), 360);
}

TEST_F(EditorWindow, FileFailuresAreReportedAndChangeNoKnot) {
    pressAt(365, 135);
    const EditorShape drawn = app->shape();
    const QFontMetrics metrics(canvasFont());

    QFile shortFile(home.path() + "/short.Shp");
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write(QByteArray(100, '\1'));
    shortFile.close();
    dialogs.answers = {shortFile.fileName()};
    press("retrieveShapeButton");
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], "Cannot read the shape file \"" + shortFile.fileName().toStdString() +
                                      "\": it holds 100 bytes; a shape needs 360");
    for (int k = 0; k < kKnotCount; ++k) EXPECT_EQ(knot(k), drawn.knotHeight[k]) << k;
    EXPECT_GT(countColour(editor->canvas().image(), kBlack, 500, 550, 560, 570), 3);  // "error"

    dialogs.answers = {home.path() + "/no/such/folder/x.Shp"};
    press("saveShapeButton");
    ASSERT_EQ(errors.messages.size(), 2u);
    EXPECT_NE(errors.messages[1].find("Cannot save the shape file"), std::string::npos);
    EXPECT_NE(errors.messages[1].find("x.Shp"), std::string::npos);
    EXPECT_GT(countColour(editor->canvas().image(), kBlack, 1, 90, 1 + metrics.horizontalAdvance("error saving"), 100),
              3);
    EXPECT_EQ(countColour(editor->canvas().image(), kBlack, 500, 550, 560, 570), 0);  // only this action's outcome

    // A good save takes the old text away.
    dialogs.answers = {home.path() + "/good.Shp"};
    press("saveShapeButton");
    EXPECT_EQ(errors.messages.size(), 2u);
    EXPECT_EQ(countColour(editor->canvas().image(), kBlack, 0, 85, 120, 100), 0);
    for (int k = 0; k < kKnotCount; ++k) EXPECT_EQ(knot(k), drawn.knotHeight[k]) << k;
}

// A shape file named on the command line is retrieved as the dialog's would be.
TEST_F(EditorWindow, ShapeNamedAtStartIsRetrieved) {
    ShapeRecord r{};
    r[8] = r[36] = -80;
    writeShapeFile(home.path() + "/start.Shp", r);
    editor->retrieveShape(home.path() + "/start.Shp");
    EXPECT_EQ(knot(8), -80);
    EXPECT_EQ(knot(36), -80);
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_EQ(editor->shapeFileName(), home.path() + "/start.Shp");
    EXPECT_NE(captions()[2], "0.000 RMS - Linear");
    editor->retrieveShape(home.path() + "/missing.Shp");
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(knot(8), -80);
}

TEST_F(EditorWindow, HugeRetrievedHeightsAreDrawnAndKept) {
    ShapeRecord r{};
    r[22] = 4e9;  // beyond any plot coordinate
    r[12] = r[32] = -1e300;
    writeShapeFile(home.path() + "/huge.Shp", r);
    dialogs.answers = {home.path() + "/huge.Shp"};
    press("retrieveShapeButton");
    EXPECT_EQ(knot(22), 4e9);
    EXPECT_EQ(knot(12), -1e300);
    EXPECT_TRUE(errors.messages.empty());
    EXPECT_EQ(editor->canvas().pixel(13, 130), kGrey);
    pressAt(365, 150);  // and the editor goes on
    EXPECT_EQ(knot(22), -60);
}

TEST_F(EditorWindow, StatisticsFailuresKeepTheCaptionsAndTheEditorUsable) {
    pressAt(365, 135);
    const auto good = captions();
    struct Case {
        int row;
        const char* text;
        const char* message;
    };
    for (const Case& c : {Case{kRowWavelength, "0", "Invalid floating point operation"},
                          Case{kRowDiameter, "0", "Invalid floating point operation"},
                          Case{kRowConic, "x2", "'x2' is not a valid floating point value"}}) {
        errors.messages.clear();
        setMainCell(c.row, c.text);
        press("showSurfaceButton");  // "Show  surface"
        ASSERT_EQ(errors.messages.size(), 1u) << c.text;
        EXPECT_EQ(errors.messages[0], c.message);
        EXPECT_EQ(captions(), good);
        pressAt(365, 280);  // the knot still moves, and the plot with it
        EXPECT_EQ(knot(22), 70);
        EXPECT_EQ(editor->canvas().pixel(365, 279), kRed);
        pressAt(365, 135);
        setMainCell(c.row, c.row == kRowWavelength ? "0.55" : c.row == kRowDiameter ? "200" : "-1");
    }
    errors.messages.clear();
    press("showSurfaceButton");
    EXPECT_TRUE(errors.messages.empty());
    EXPECT_EQ(captions(), good);
}

// A zone drawn with the editor's own presses shows in the main window's
// picture exactly as the command-line renderer draws the saved shape.
TEST(DrawnSurface, MainWindowPictureEqualsTheRenderersForTheSavedShape) {
    QTemporaryDir home;
    const QString file = home.filePath("zone70.Shp");
    struct Case {
        int testItem;
        const char* test;
    };
    for (const Case& c : {Case{kTestRonchi, "ronchi"}, Case{kTestWire, "wire"}, Case{kTestFoucault, "foucault"}}) {
        testing::RecordingReporter errors;
        testing::ScriptedDialogs dialogs;
        ShadowgramApp app(errors, &dialogs, home.path());
        app.start();
        app.showEditorWindow();
        SurfaceEditorWindow& editor = app.editorWindow();
        QTest::mouseClick(&editor, Qt::LeftButton, {}, QPoint(141, 130));  // the zone at 70 % of the radius, raised
        dialogs.answers = {file};
        editor.onSaveShape();

        MainWindow& form = app.mainWindow();
        form.controls().setTestItem(c.testItem);
        QTest::mouseClick(form.findChild<QWidget*>("surfaceChoiceItem1"), Qt::LeftButton);
        QTest::mouseClick(&form, Qt::LeftButton, {}, QPoint(400, 300));
        ASSERT_TRUE(errors.messages.empty()) << errors.messages[0];

        QProcess renderer;
        const QString png = home.filePath(QString("%1.png").arg(c.test));
        renderer.start(SHADOWGRAM_RENDER, {"--test", c.test, "--shape", file, "--distorted", "-o", png});
        ASSERT_TRUE(renderer.waitForFinished(60000));
        ASSERT_EQ(renderer.exitCode(), 0) << renderer.readAllStandardError().toStdString();
        const QImage rendered = QImage(png).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(testing::firstDifference(rendered, form.canvas().image()), "") << c.test;

        // And the zone is there: the pure conic differs, in the picture and the height graph.
        QProcess pure;
        const QString purePng = home.filePath(QString("%1-pure.png").arg(c.test));
        pure.start(SHADOWGRAM_RENDER, {"--test", c.test, "-o", purePng});
        ASSERT_TRUE(pure.waitForFinished(60000));
        const QImage conic = QImage(purePng).convertToFormat(QImage::Format_RGB32);
        EXPECT_NE(testing::firstDifference(conic, rendered), "") << c.test;
        EXPECT_GT(countColour(rendered, kRed, 0, 580, 800, 598), 10) << "a raised zone draws above the height base line";
    }
}

TEST(DrawnSurface, RendererRefusesBadShapeFiles) {
    QTemporaryDir dir;
    QFile shortFile(dir.filePath("short.Shp"));
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write(QByteArray(10, '\0'));
    shortFile.close();
    ShapeRecord bad{};
    bad[3] = std::numeric_limits<double>::quiet_NaN();
    QFile damaged(dir.filePath("nan.Shp"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    const ShapeBytes b = encodeShapeRecord(bad);
    damaged.write(reinterpret_cast<const char*>(b.data()), 360);
    damaged.close();
    const QString png = dir.filePath("out.png");
    for (const QString& shape : {dir.filePath("missing.Shp"), shortFile.fileName(), damaged.fileName()}) {
        QProcess p;
        p.start(SHADOWGRAM_RENDER, {"--shape", shape, "--distorted", "-o", png});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 2) << shape.toStdString();
        const QString err = QString::fromLocal8Bit(p.readAllStandardError());
        EXPECT_TRUE(err.contains("Cannot read the shape file") && err.contains(shape)) << err.toStdString();
        EXPECT_FALSE(QFile::exists(png));
    }
}

}  // namespace
}  // namespace sg

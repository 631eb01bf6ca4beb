// SPDX-License-Identifier: GPL-3.0-or-later
// "Save" and "Retrieve" through the real main window, with file dialogs
// that the test answers, and the set-up file from the command line.
#include "tests/support/comma_locales.h"
#include "model/controls_reading.h"
#include "simulator/picture_caption.h"
#include "tests/support/main_window_fixture.h"
#include "wave/wave_painter.h"
#include "model/number_text.h"
#include "tests/support/picture_checks.h"
#include "testfile/test_record.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

#include <bit>
#include <limits>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace sg {
namespace {

using testing::countColour;

class TestFiles : public testing::MainWindowFixture {
protected:
    void clickPicture() { clickOnWindow(400, 300); }
    QTableWidget* grid() { return form->findChild<QTableWidget*>("parameterGrid"); }
    void setCell(int row, const char* text) { grid()->item(row, 1)->setText(text); }
    std::string cell(int row) { return grid()->item(row, 1)->text().toStdString(); }
    QPlainTextEdit* notes() { return form->findChild<QPlainTextEdit*>("Notes"); }
    QString testFolder() { return QDir(home.path()).filePath("Test"); }
    QString save(const QString& name) {
        dialogs.answers = {testFolder() + "/" + name};
        press("saveButton");
        return testFolder() + "/" + name;
    }
    void retrieve(const QString& path) {
        dialogs.answers = {path};
        press("retrieveButton");
    }
    QByteArray bytes(const QString& path) {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        return f.readAll();
    }
    bool drawingAreaEmpty() { return countColour(form->canvas().image(), kSilver) == 800 * 700; }
    ModelControls& controls() { return form->controls(); }

    // Everything the main window shows that a retrieve could change.
    struct Shown {
        std::vector<std::string> cells;
        std::string moveCell;
        int test, orientation, surface;
        bool odd, grid;
        QString notes, title, readout;
        QImage picture;
    };
    Shown shown() {
        Shown s;
        for (int r = 0; r < kParameterRows; ++r) s.cells.push_back(cell(r));
        s.moveCell = controls().moveCell(kMoveRowValue);
        s.test = controls().testItem();
        s.orientation = controls().orientationItem();
        s.surface = controls().surfaceItem();
        s.odd = controls().oddChecked();
        s.grid = controls().gridChecked();
        s.notes = notes()->toPlainText();
        s.title = form->windowTitle();
        s.readout = form->axialReadout()->text();
        s.picture = form->canvas().image().copy();
        return s;
    }
    void expectUnchanged(const Shown& before, const std::string& what) {
        const Shown now = shown();
        EXPECT_EQ(now.cells, before.cells) << what;
        EXPECT_EQ(now.moveCell, before.moveCell) << what;
        EXPECT_EQ(now.test, before.test) << what;
        EXPECT_EQ(now.orientation, before.orientation) << what;
        EXPECT_EQ(now.surface, before.surface) << what;
        EXPECT_EQ(now.odd, before.odd) << what;
        EXPECT_EQ(now.grid, before.grid) << what;
        EXPECT_EQ(now.notes, before.notes) << what;
        EXPECT_EQ(now.title, before.title) << what;
        EXPECT_EQ(now.readout, before.readout) << what;
        EXPECT_EQ(testing::firstDifference(now.picture, before.picture), "") << what;
    }
};

TEST_F(TestFiles, DefaultsAfterOneClickAndBeforeAny) {
    const QString before = save("before");  // typed without an extension
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_TRUE(dialogs.askedToSave[0]);
    EXPECT_EQ(dialogs.asked[0].directory, testFolder());
    EXPECT_TRUE(QDir(testFolder()).exists());
    EXPECT_EQ(dialogs.asked[0].filters, (QStringList{"Ronchi Test Files (*.Ron)", "All Files (*)"}));
    EXPECT_EQ(dialogs.asked[0].defaultSuffix, "Ron");
    const QByteArray first = bytes(before + ".Ron");
    ASSERT_EQ(first.size(), 2660);
    EXPECT_EQ(first[16], 1);  // the parity "Odd" shows, unchecked, before any drawing
    EXPECT_EQ(form->windowTitle(), "Shadowgram \u2014 before.Ron");

    clickPicture();
    ASSERT_FALSE(drawingAreaEmpty());
    const QImage drawn = form->canvas().image().copy();
    const QByteArray b = bytes(save("after.Ron"));
    EXPECT_EQ(testing::firstDifference(form->canvas().image(), drawn), "");  // Save keeps the picture
    EXPECT_EQ(form->windowTitle(), "Shadowgram \u2014 after.Ron");
    ASSERT_EQ(b.size(), 2660);
    const SetupRecord r = decodeTestRecord(std::span(reinterpret_cast<const std::uint8_t*>(b.constData()), 2660));
    EXPECT_EQ(r.linesPerMm, 4);
    EXPECT_EQ(r.axialOffset, 0);
    EXPECT_EQ(b[16], 1);
    EXPECT_EQ(b[17], 0);
    EXPECT_EQ(b[19], 1);
    EXPECT_EQ(b[20], 0);
    EXPECT_EQ(r.range, 20);
    EXPECT_EQ(b[56], 0);
    EXPECT_EQ(b[57], 1);
    EXPECT_EQ(b[58], 0);
    EXPECT_EQ(r.conicConstant, -1);
    EXPECT_EQ(r.wavelength, 0.55);
    EXPECT_EQ(r.mirrorDiameter, 200);
    EXPECT_EQ(r.radiusOfCurvature, 2000);
    EXPECT_EQ(r.zoneHeight, 0.5);
    EXPECT_EQ(r.notes, (std::array<std::string, 10>{}));
    EXPECT_TRUE(errors.messages.empty());
}

TEST_F(TestFiles, SaveChangeEverythingRetrieve) {
    const char* values[] = {"150", "1200", "-0.7", "10", "40", "-0.25", "0.6328"};
    for (int r = 0; r < 7; ++r) setCell(r, values[r]);
    press("orientationChoiceItem1");  // Horizontal
    press("oddBox");         // "Odd"
    notes()->setPlainText(QString::fromUtf8("----- A NOTE OF 10 LINES WILL BE SAVED ------\n"
                                            "f/8, 5µm slit\n20°C\ncafé\n\n\n\n\n\n\nline ten\nline eleven"));
    clickOnWindow(25, 280);  // the grating 18 mm inside at a RANGE of 40
    ASSERT_EQ(app->mainWindow().scene().setup.position.axialOffset, -18);
    const QString file = save("mirror.Ron");

    const char* others[] = {"250", "3000", "0", "4", "20", "0.5", "0.55"};
    for (int r = 0; r < 7; ++r) setCell(r, others[r]);
    press("testChoiceItem0");
    press("orientationChoiceItem2");
    press("oddBox");
    notes()->setPlainText("----- A NOTE OF 10 LINES WILL BE SAVED ------\nx\ny\nz\n\n\n\n\n\n\nq\nr");
    clickOnWindow(25, 400);
    form->canvas().fillRect(0, 0, 799, 699, kSilver);
    retrieve(file);
    // Drawn at once, at the set-up's own position and with its settings.
    EXPECT_FALSE(drawingAreaEmpty());
    EXPECT_EQ(app->mainWindow().scene().setup.position.axialMarkerY, 280);
    EXPECT_EQ(app->mainWindow().scene().setup.position.axialOffset, -18);
    EXPECT_EQ(form->axialReadout()->text(), "-18");
    EXPECT_TRUE((app->mainWindow().scene().setup.orientation == Orientation::Horizontal));
    EXPECT_EQ(app->mainWindow().scene().mirror.mirrorDiameter, 150);
    EXPECT_EQ(form->windowTitle(), "Shadowgram \u2014 mirror.Ron");
    // Line 11 was typed but is not kept, and Save said so.
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], "Saved, but the notes keep only the 10 lines under their header: line 11 is not kept.");
    errors.messages.clear();
    for (int r = 0; r < 7; ++r) EXPECT_EQ(cell(r), values[r]) << "row " << r;
    EXPECT_EQ(controls().testItem(), kTestRonchi);
    EXPECT_EQ(controls().orientationItem(), kOrientHorizontal);
    EXPECT_TRUE(controls().oddChecked());
    EXPECT_EQ(notes()->toPlainText(),
              QString::fromUtf8("----- A NOTE OF 10 LINES WILL BE SAVED ------\n"
                                "f/8, 5µm slit\n20°C\ncafé\n\n\n\n\n\n\nline ten\nr"));
    // The notes went to the file as single bytes of the code page.
    const QByteArray b = bytes(file);
    EXPECT_EQ(b.mid(100, 14), QByteArray("\x0D" "f/8, 5\xB5m slit"));
    EXPECT_EQ(b.mid(356, 5), QByteArray("\x04" "20\xB0" "C"));
    EXPECT_EQ(b.mid(612, 5), QByteArray("\x04" "caf\xE9"));
    EXPECT_TRUE(errors.messages.empty());
}

// "Wave optics" draws the picture in continuous tones of the light's colour,
// "Brighten" raises its exposure, a drag shows rays until the button is let
// go, and Save and Retrieve keep the choice and the light.
TEST_F(TestFiles, TheWavePictureIsDrawnKeptAndRetrieved) {
    press("waveOpticsBox");
    clickPicture();
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    const QImage& picture = form->canvas().image();
    std::set<QRgb> tones;
    // Pixels well inside the disk (centre (410, 300), radius 275).
    const auto onMirror = [](int x, int y) { return (x - 410) * (x - 410) + (y - 300) * (y - 300) < 260 * 260; };
    for (int y = 100; y < 500; y += 2)
        for (int x = 210; x < 610; x += 2)
            if (onMirror(x, y)) tones.insert(picture.pixel(x, y) & 0xffffff);
    EXPECT_GT(tones.size(), 40u) << "continuous tones, not dots";
    // The light of 0.55 micrometres: green with some red, no blue.
    const Rgb light = lightColour(form->scene().setup);
    EXPECT_EQ(light.b, 0);
    EXPECT_GT(light.g, light.r);
    for (QRgb c : tones) EXPECT_EQ(qBlue(c), 0) << std::hex << c;

    // "Brighten" adds two passes' exposure to the one of the click: the
    // dim tones twice as bright, nothing darker, the bright bands held at full.
    const QImage before = picture.copy();
    press("brightenButton");
    int halfLit = 0;
    for (int y = 100; y < 500; y += 2)
        for (int x = 210; x < 610; x += 2) {
            if (!onMirror(x, y)) continue;
            const int g0 = qGreen(before.pixel(x, y)), g1 = qGreen(picture.pixel(x, y));
            EXPECT_GE(g1, g0) << x << ", " << y;
            if (g0 >= 20 && g0 <= 120) {
                ++halfLit;
                EXPECT_NEAR(g1, 2 * g0, 2.0) << x << ", " << y;
            }
        }
    EXPECT_GT(halfLit, 100);

    // Dragging the marker: rays while held (red dots of the ray picture),
    // waves again when let go.
    QTest::mousePress(form, Qt::LeftButton, {}, QPoint(25, 300));
    QTest::mouseMove(form, QPoint(25, 310));
    int red = 0;
    for (int y = 100; y < 500; y += 2)
        for (int x = 210; x < 610; x += 2) red += (picture.pixel(x, y) & 0xffffff) == 0xff0000 ? 1 : 0;
    EXPECT_GT(red, 1000);
    QTest::mouseRelease(form, Qt::LeftButton, {}, QPoint(25, 310));
    red = 0;
    for (int y = 100; y < 500; y += 2)
        for (int x = 210; x < 610; x += 2) red += (picture.pixel(x, y) & 0xffffff) == 0xff0000 ? 1 : 0;
    EXPECT_EQ(red, 0);
    EXPECT_EQ(form->scene().setup.position.axialMarkerY, 310);

    press("whiteLightBox");
    const QByteArray b = bytes(save("wave.Ron"));
    ASSERT_EQ(b.size(), 2660);
    EXPECT_EQ(b[23], 1);
    EXPECT_EQ(b[18], 1);
    press("waveOpticsBox");
    press("whiteLightBox");
    retrieve(testFolder() + "/wave.Ron");
    EXPECT_TRUE(controls().waveOpticsChecked());
    EXPECT_TRUE(controls().whiteLightChecked());
    EXPECT_TRUE(form->scene().setup.waveOptics);
    EXPECT_EQ(form->scene().setup.spectrum, Spectrum::White);
    EXPECT_EQ(pictureCaptionLines(form->scene())[0].substr(pictureCaptionLines(form->scene())[0].rfind("   ") + 3),
              "wave optics, white light");
    EXPECT_TRUE(errors.messages.empty()) << errors.messages.front();
}

TEST_F(TestFiles, NotesAreParagraphsAndAllTenComeBack) {
    notes()->setPlainText("----- A NOTE OF 10 LINES WILL BE SAVED ------\none\ntwo\nthree\nfour\n\n\n\n\n\nten");
    const QString file = save("notes.Ron");
    notes()->setPlainText("my own header\n1\n2");
    retrieve(file);
    EXPECT_EQ(notes()->toPlainText(), "my own header\none\ntwo\nthree\nfour\n\n\n\n\n\nten");
    // A cleared box gets the header and every note back.
    notes()->clear();
    retrieve(file);
    EXPECT_EQ(notes()->toPlainText(),
              "----- A NOTE OF 10 LINES WILL BE SAVED ------\none\ntwo\nthree\nfour\n\n\n\n\n\nten");

    // A paragraph longer than the box is wide is one note, as typed.
    const QString longLine = "a long note about the mirror that runs on well beyond the width of the box";
    notes()->setPlainText(QString(kNotesHeader) + "\n" + longLine + "\nnext");
    const QString wrapped = save("wrapped.Ron");
    SetupRecord r = readTestFile(wrapped);
    EXPECT_EQ(decodeNote(r.notes[0]), longLine);
    EXPECT_EQ(r.notes[1], "next");
    EXPECT_TRUE(errors.messages.empty()) << errors.messages.front();

    // Text the file does not keep: a header of one's own, lines beyond the
    // tenth; Save says which.
    errors.messages.clear();
    notes()->setPlainText("my header\none\n\n\n\n\n\n\n\n\nten\neleven\n \nthirteen");
    save("beyond.Ron");
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], "Saved, but the notes keep only the 10 lines under their header: the header line "
                                  "and lines 11, 13 are not kept.");
    errors.messages.clear();

    // A note beyond 255 characters is cut, and the user hears of it.
    notes()->setPlainText(QString(kNotesHeader) + "\nshort\n" + QString(300, 'x'));
    r = readTestFile(save("long.Ron"));
    EXPECT_EQ(r.notes[1], std::string(255, 'x'));
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0],
              "Saved, but a note holds at most 255 characters: note 2 was cut to its first 255.");
}

// Save stores the choices as the controls show them, drawn or not.
TEST_F(TestFiles, SaveStoresTheChoicesShown) {
    press("testChoiceItem0");  // Wire, "Odd" unchecked
    ASSERT_FALSE(controls().oddChecked());
    clickPicture();
    press("testChoiceItem2");  // Foucault chosen, not drawn
    press("orientationChoiceItem2");  // and "2 D"
    const QString file = save("wire.Ron");
    SetupRecord r = readTestFile(file);
    EXPECT_EQ(r.linesPerMm, 4);  // as entered, not tripled
    EXPECT_FALSE(r.testWire);
    EXPECT_TRUE(r.testFoucault);
    EXPECT_TRUE(r.orient2D);
    EXPECT_FALSE(r.orientVertical);
    EXPECT_FALSE(r.evenLines);  // no parity for Foucault
    press("testChoiceItem1");
    press("orientationChoiceItem0");
    retrieve(file);
    EXPECT_EQ(controls().testItem(), kTestFoucault);
    EXPECT_EQ(controls().orientationItem(), kOrient2D);
    EXPECT_TRUE(controls().oddChecked());

    // Ronchi drawn with "Odd" checked, then unchecked: the parity shown is stored.
    press("testChoiceItem1");
    clickPicture();
    ASSERT_FALSE(brightCentreBand(app->mainWindow().scene().setup));
    press("oddBox");
    ASSERT_FALSE(controls().oddChecked());
    r = readTestFile(save("odd.Ron"));
    EXPECT_TRUE(r.testRonchi);
    EXPECT_TRUE(r.evenLines);
}

TEST_F(TestFiles, CancelAndRefusedFilesChangeNothing) {
    setCell(kRowDiameter, "2e2");
    setCell(kRowZoneHeight, "0");
    press("testChoiceItem0");
    clickPicture();               // a Wire drawing
    press("testChoiceItem1");    // then Ronchi chosen, not drawn
    notes()->setPlainText("----- A NOTE OF 10 LINES WILL BE SAVED ------\nkeep me");
    Shown before = shown();
    dialogs.answers = {std::nullopt};
    press("retrieveButton");
    EXPECT_TRUE(errors.messages.empty());
    expectUnchanged(before, "a cancelled retrieve");

    // Damaged files: a message naming the file, and nothing else changes.
    QFile shortFile(home.filePath("short.Ron"));
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write(QByteArray(100, '\x40'));
    shortFile.close();
    SetupRecord nan;
    nan.linesPerMm = 4;
    nan.mirrorDiameter = std::numeric_limits<double>::quiet_NaN();
    const TestRecordBytes nanBytes = encodeTestRecord(nan);
    QFile nanFile(home.filePath("nan.Ron"));
    ASSERT_TRUE(nanFile.open(QIODevice::WriteOnly));
    nanFile.write(reinterpret_cast<const char*>(nanBytes.data()), 2660);
    nanFile.close();
    struct Case {
        QString path;
        const char* reason;
    };
    // A pipe is refused at once instead of waited on.
    const QString pipe = home.filePath("pipe.Ron");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    for (const Case& c : {Case{shortFile.fileName(), "it holds 100 bytes; a test set-up needs 2660"},
                          Case{nanFile.fileName(), "the diameter is not a finite number"},
                          Case{home.filePath("missing.Ron"), "No such file"}, Case{pipe, "not a regular file"},
                          Case{home.path(), "not a regular file"}}) {
        errors.messages.clear();
        const Scene shown = app->mainWindow().scene();
        retrieve(c.path);
        ASSERT_EQ(errors.messages.size(), 1u) << c.path.toStdString();
        EXPECT_EQ(errors.messages[0].rfind("Cannot read the test file \"" + c.path.toStdString() + "\": ", 0), 0u)
            << errors.messages[0];
        EXPECT_NE(errors.messages[0].find(c.reason), std::string::npos) << errors.messages[0];
        expectUnchanged(before, c.path.toStdString());
        EXPECT_EQ(app->mainWindow().scene(), shown);
    }

    // A cancelled save writes nothing; a bad cell stops before the dialog.
    const std::size_t asked = dialogs.asked.size();
    dialogs.answers = {std::nullopt};
    press("saveButton");
    EXPECT_EQ(QDir(testFolder()).entryList(QDir::Files), QStringList{});
    setCell(kRowRange, "far");
    errors.messages.clear();
    press("saveButton");
    EXPECT_EQ(dialogs.asked.size(), asked + 1);
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], "'far' is not a valid floating point value");
}

TEST_F(TestFiles, SaveIntoAMissingFolderOrAPipeIsReportedAndTheLastFolderIsRemembered) {
    const QString path = home.filePath("no/such/folder/x.Ron");
    dialogs.answers = {path};
    press("saveButton");
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0].rfind("Cannot save the test file \"" + path.toStdString() + "\": ", 0), 0u);

    // A pipe chosen for the set-up is written into or refused, never replaced.
    const QString pipe = home.filePath("pipe.Ron");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    errors.messages.clear();
    dialogs.answers = {pipe};
    press("saveButton");
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0],
              "Cannot save the test file \"" + pipe.toStdString() + "\": it is a pipe that no program is reading");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(pipe).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    QDir(home.path()).mkpath("mirrors");
    dialogs.answers = {home.filePath("mirrors/a.Ron")};
    press("saveButton");
    dialogs.answers = {std::nullopt};
    press("retrieveButton");
    EXPECT_EQ(dialogs.asked.back().directory, home.filePath("mirrors"));
}

TEST_F(TestFiles, FileNamedAtStartIsRetrieved) {
    SetupRecord r;
    r.linesPerMm = 2;
    r.range = 20;
    r.conicConstant = 0;
    r.wavelength = 0.55;
    r.mirrorDiameter = 300;
    r.radiusOfCurvature = 3000;
    r.zoneHeight = 0.5;
    r.testFoucault = r.orient2D = true;
    r.notes[0] = "from the file manager";
    writeTestFile(home.filePath("start.Ron"), r);
    // A pipe named at start is refused at once, named.
    const QString pipe = home.filePath("pipe.Ron");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);
    form->retrieveSetup(pipe);
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], "Cannot read the test file \"" + pipe.toStdString() + "\": not a regular file");

    form->retrieveSetup(home.filePath("start.Ron"));
    EXPECT_EQ(cell(kRowDiameter), "300");
    EXPECT_EQ(controls().testItem(), kTestFoucault);
    EXPECT_EQ(controls().orientationItem(), kOrient2D);
    EXPECT_EQ(notes()->toPlainText().split('\n').at(1), "from the file manager");
    EXPECT_TRUE(dialogs.asked.empty());
}

// The renderer starts from a saved set-up, and options after it override it.
TEST_F(TestFiles, RendererStartsFromASavedSetUp) {
    setCell(kRowConic, "0");
    setCell(kRowLinesPerMm, "8");
    press("orientationChoiceItem1");
    QTest::mouseClick(form, Qt::LeftButton, {}, QPoint(25, 280));  // the axial diagram: the grating moves
    const double axial = app->mainWindow().scene().setup.position.axialOffset;
    ASSERT_NE(axial, 0);
    const QString file = save("set.Ron");
    auto render = [this](const QStringList& args, const QString& name) {
        QProcess p;
        p.start(SHADOWGRAM_RENDER, QStringList(args) << "-o" << home.filePath(name));
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return QImage(home.filePath(name)).convertToFormat(QImage::Format_RGB32);
    };
    const QString at = QString::number(axial, 'g', 17);
    const QImage fromFile = render({"--setup", file}, "set.png");
    const QImage asGiven = render({"--conic", "0", "--lines", "8", "--orientation", "horizontal", "--axial", at}, "given.png");
    EXPECT_EQ(testing::firstDifference(fromFile, asGiven), "");
    const QImage overridden = render({"--conic", "-1", "--setup", file, "--lines", "2"}, "over.png");
    const QImage expected =
        render({"--conic", "0", "--lines", "2", "--orientation", "horizontal", "--axial", at}, "expected.png");
    EXPECT_EQ(testing::firstDifference(overridden, expected), "");
    EXPECT_NE(testing::firstDifference(overridden, fromFile), "");

    QFile shortFile(home.filePath("short.Ron"));
    ASSERT_TRUE(shortFile.open(QIODevice::WriteOnly));
    shortFile.write(QByteArray(100, '\0'));
    shortFile.close();
    for (const QString& bad : {home.filePath("missing.Ron"), shortFile.fileName()}) {
        QFile::remove(home.filePath("none.png"));
        QProcess p;
        p.start(SHADOWGRAM_RENDER, {"--setup", bad, "-o", home.filePath("none.png")});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 2);
        EXPECT_TRUE(QString::fromLocal8Bit(p.readAllStandardError()).contains("Cannot read the test file"));
        EXPECT_FALSE(QFile::exists(home.filePath("none.png")));
    }
}

// The tester, the ray model and the slit go with the set-up; the slit's
// entry is open only with the exact trace.
TEST_F(TestFiles, TheTesterTheRayModelAndTheSlitGoWithTheSetUp) {
    auto* moving = form->findChild<QCheckBox*>("movingSourceBox");
    auto* exact = form->findChild<QCheckBox*>("exactTraceBox");
    auto* slit = form->findChild<QLineEdit*>("slitEdit");
    ASSERT_TRUE(moving && exact && slit);
    EXPECT_FALSE(slit->isEnabled());
    exact->setChecked(true);
    EXPECT_TRUE(slit->isEnabled());
    moving->setChecked(true);
    slit->setText("0.3");
    const QString file = save("slit.Ron");
    const SetupRecord r = readTestFile(file);
    EXPECT_TRUE(r.sourceMoves);
    EXPECT_TRUE(r.exactTrace);
    EXPECT_EQ(r.slitWidth, 0.3);

    moving->setChecked(false);
    exact->setChecked(false);
    slit->setText("0");
    retrieve(file);
    EXPECT_TRUE(moving->isChecked());
    EXPECT_TRUE(exact->isChecked());
    EXPECT_TRUE(slit->isEnabled());
    EXPECT_EQ(slit->text(), "0.3");
    EXPECT_EQ(app->mainWindow().scene().setup.slitWidth, 0.3);  // drawn with it at once

    // A negative slit stops the drawing with a message.
    slit->setText("-1");
    errors.messages.clear();
    clickPicture();
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], kNegativeSlitMessage);
}

// In a comma-decimal locale the grids still show and read points, and a
// set-up comes back from its file with them.
class TestFilesInCommaLocale : public TestFiles, public ::testing::WithParamInterface<const char*> {
protected:
    void pressCell(int row) {
        const QRect r = grid()->visualRect(grid()->model()->index(row, 1));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, r.center());
    }
};

TEST_P(TestFilesInCommaLocale, PointsInTheCellsAndTheFiles) {
    if (!testing::commaLocaleInstalled(GetParam())) GTEST_SKIP() << "the locale " << GetParam() << " is not installed";
    testing::ScopedLocale locale(GetParam());
    ASSERT_TRUE(locale.ok());

    setCell(kRowConic, "-1.5");
    setCell(kRowZoneHeight, "0.25");
    pressCell(kRowConic);
    EXPECT_TRUE(errors.messages.empty()) << errors.messages.front();
    EXPECT_EQ(app->mainWindow().scene().mirror.conicConstant, -1.5);
    EXPECT_EQ(app->mainWindow().scene().mirror.zoneHeight, 0.25);
    QTest::mouseClick(form, Qt::LeftButton, {}, QPoint(25, 280));  // the grating moves: a read-out
    clickPicture();
    EXPECT_TRUE(errors.messages.empty()) << errors.messages.front();
    const QString readout = form->axialReadout()->text();
    EXPECT_FALSE(readout.contains(',')) << readout.toStdString();
    EXPECT_NO_THROW(parseCellFloat(readout.trimmed().toStdString())) << readout.toStdString();

    const QString file = save("comma.Ron");
    setCell(kRowConic, "0");
    setCell(kRowWavelength, "0.633");
    retrieve(file);
    EXPECT_TRUE(errors.messages.empty()) << errors.messages.front();
    EXPECT_EQ(cell(kRowConic), "-1.5");
    EXPECT_EQ(cell(kRowZoneHeight), "0.25");
    EXPECT_EQ(cell(kRowWavelength), "0.55");

    // A comma is what it is in every locale: not a number.
    setCell(kRowRange, "1,5");
    pressCell(kRowRange);
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], "'1,5' is not a valid floating point value");
}

INSTANTIATE_TEST_SUITE_P(CommaLocales, TestFilesInCommaLocale, ::testing::ValuesIn(testing::kCommaLocales));

// Where the user's folder cannot be made, the dialogs start in a folder that
// exists and that the user owns, the user hears why once, and nothing is
// made at the top of the file system.
TEST(UserFolders, NoUsableFolderIsSaidOnceAndNothingIsMadeAtTheRoot) {
    const QString atRoot = "/shadowgram-test-" + QString::number(::getpid());
    struct Case {
        QString userFolder;
        const char* reason;
    };
    for (const Case& c : {Case{atRoot + "/Documents/Shadowgram", "it would be made at the top of the file system"},
                          Case{"/proc/version/Shadowgram", "Not a directory"}}) {
        testing::RecordingReporter errors;
        testing::ScriptedDialogs dialogs;
        ShadowgramApp app(errors, &dialogs, c.userFolder);
        app.start();
        dialogs.answers = {std::nullopt, std::nullopt};
        QTest::mouseClick(app.mainWindow().findChild<QAbstractButton*>("saveButton"), Qt::LeftButton);
        QTest::mouseClick(app.mainWindow().findChild<QAbstractButton*>("retrieveButton"), Qt::LeftButton);
        app.editorWindow().show();
        QTest::mouseClick(app.editorWindow().findChild<QAbstractButton*>("retrieveShapeButton"), Qt::LeftButton);
        const bool madeAtRoot = QFileInfo::exists(atRoot);
        if (madeAtRoot) QDir(atRoot).removeRecursively();
        EXPECT_FALSE(madeAtRoot) << c.userFolder.toStdString();
        ASSERT_EQ(errors.messages.size(), 1u) << c.userFolder.toStdString();
        const std::string& m = errors.messages[0];
        EXPECT_EQ(m.rfind("There is no usable folder for your files: \"" + c.userFolder.toStdString() + "/Test\" cannot be made (" +
                              c.reason + ").",
                          0),
                  0u)
            << m;
        ASSERT_EQ(dialogs.asked.size(), 3u);
        for (const FileDialogRequest& r : dialogs.asked) {
            struct stat st {};
            ASSERT_EQ(::stat(QFile::encodeName(r.directory).constData(), &st), 0) << r.directory.toStdString();
            EXPECT_TRUE(S_ISDIR(st.st_mode));
            EXPECT_EQ(st.st_uid, ::geteuid()) << r.directory.toStdString();
            EXPECT_NE(m.find("The file dialogs start in \"" + r.directory.toStdString() + "\"."), std::string::npos) << m;
        }
    }
}

// With HOME unset the documents folder is sought at the top of the file
// system: nothing is made there.
TEST(UserFolders, NoHomeMakesNothingAtTheRoot) {
    const QByteArray home = qgetenv("HOME");
    qunsetenv("HOME");
    const QString folder = defaultUserFolder();
    qputenv("HOME", home);
    const QString top = "/" + QDir(folder).absolutePath().section('/', 1, 1);
    const bool existedBefore = QFileInfo::exists(top);
    testing::RecordingReporter errors;
    testing::ScriptedDialogs dialogs;
    ShadowgramApp app(errors, &dialogs, folder);
    app.start();
    dialogs.answers = {std::nullopt};
    QTest::mouseClick(app.mainWindow().findChild<QAbstractButton*>("retrieveButton"), Qt::LeftButton);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_TRUE(QFileInfo(dialogs.asked[0].directory).isDir());
    if (!existedBefore) {
        const bool made = QFileInfo::exists(top);
        if (made) QDir(top).removeRecursively();
        EXPECT_FALSE(made) << top.toStdString() << " was made";
        EXPECT_EQ(errors.messages.size(), 1u);
    }
}

}  // namespace
}  // namespace sg

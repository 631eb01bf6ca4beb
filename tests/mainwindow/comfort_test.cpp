// SPDX-License-Identifier: GPL-3.0-or-later
// Working at the test stand: positions typed, stepped with the arrow keys
// and dragged on the ray diagram; the picture kept as a PNG or on the
// clipboard; the choices and folders remembered between runs.
#include "tests/support/main_window_fixture.h"
#include "simulator/picture_caption.h"
#include "tests/support/picture_checks.h"
#include "simulator/positioning.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace sg {
namespace {

using testing::countColour;

class Comfort : public testing::MainWindowFixture {
protected:
    void type(const QString& text) {
        QLineEdit* edit = form->axialReadout();
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    void key(Qt::Key k) {
        form->setFocus();
        QTest::keyClick(form, k);
    }
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, at, form->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(form, &e);
    }
    // Where the marker stands and what position it gives.
    struct Place {
        int row;
        double axial, transverse;
        std::string readout;
        friend bool operator==(const Place&, const Place&) = default;
    };
    Place place() {
        const DevicePosition& p = form->scene().setup.position;
        return {p.axialMarkerY, p.axialOffset, p.transverseOffset, form->axialReadout()->text().toStdString()};
    }
    // The place a click on the ray diagram at `row` gives, in a window of its own.
    Place clickedPlace(int row, const char* range = "20") {
        testing::RecordingReporter otherErrors;
        ShadowgramApp other(otherErrors, &dialogs, home.path());
        other.mainWindow().controls().setParameterCell(kRowRange, range);
        QTest::mouseClick(&other.mainWindow(), Qt::LeftButton, {}, QPoint(25, row));
        const DevicePosition& p = other.mainWindow().scene().setup.position;
        return {p.axialMarkerY, p.axialOffset, p.transverseOffset,
                other.mainWindow().axialReadout()->text().toStdString()};
    }
    // Chooses an entry of the picture's menu, opened with the right button at `at`.
    // Chooses an entry of the picture's menu at `at`, as the right button
    // opens it; returns the menu's entries (none where there is no menu).
    QStringList chooseFromPictureMenu(QPoint at, int entry) {
        QMenu menu;
        QStringList entries;
        if (!form->fillPictureMenu(menu, at)) return entries;
        for (const QAction* a : menu.actions()) entries << a->text();
        menu.actions().at(entry)->trigger();
        return entries;
    }
};

// The renderer's picture at `axial` mm, as `shadowgram-render --axial` draws it.
QImage renderedAt(const QString& axial) {
    QTemporaryDir dir;
    const QString file = dir.filePath("typed.png");
    QProcess renderer;
    renderer.start(SHADOWGRAM_RENDER, QStringList{"--axial", axial, "-o", file});
    if (!renderer.waitForFinished(60000) || renderer.exitCode() != 0) return {};
    return QImage(file).convertToFormat(QImage::Format_RGB32);
}

TEST_F(Comfort, TypedPositionsAreDrawnAsTyped) {
    // The window's first picture, typed: pixel for pixel the renderer's
    // picture at that position (the shadowgram's dots are drawn afresh, as
    // the renderer's are, only by the first picture of a window).
    type("1.04");
    EXPECT_EQ(testing::firstDifference(renderedAt("1.04"), form->canvas().image()), "");
    // 1.04 is not 1.0: the nearest row's own position draws another picture.
    EXPECT_NE(testing::firstDifference(renderedAt("1"), form->canvas().image()), "");

    // Between rows, on a row, at the diagram's last rows (1.09 RANGE): the
    // position itself is drawn, the marker at the nearest row.
    for (const char* typed : {"1.04", "-7.5", "4.2", "0", "-20", "21.8", "-21.8", "3.01"}) {
        type(typed);
        EXPECT_TRUE(errors.messages.empty()) << typed << ": " << errors.messages.front();
        const double axial = std::stod(typed);
        const Place at = place();
        EXPECT_EQ(at.axial, axial) << typed;
        EXPECT_EQ(at.row, rowForPosition(axial, 20)) << typed;
        EXPECT_EQ(at.transverse, 0) << typed;
        EXPECT_EQ(at.readout, typed) << typed;
        EXPECT_FALSE(form->axialRefusal()->isVisibleTo(form)) << typed;
    }
    // The typed position is kept by a later click on the picture, and by a
    // change of RANGE, which only moves the marker.
    type("1.04");
    clickOnWindow(400, 300);
    EXPECT_EQ(place().axial, 1.04);
    form->controls().setParameterCell(kRowRange, "2");
    clickOnWindow(400, 300);
    EXPECT_EQ(place().axial, 1.04);
    EXPECT_EQ(place().row, rowForPosition(1.04, 2));
    EXPECT_EQ(place().readout, "1.04");
    form->controls().setParameterCell(kRowRange, "20");
    // A click on the diagram takes the row's position again.
    clickOnWindow(25, 346);
    EXPECT_EQ(place(), clickedPlace(346));
}

TEST_F(Comfort, PositionsBeyondTheDiagramAreRefusedBesideTheReadout) {
    clickOnWindow(400, 300);
    type("4.2");
    const Place before = place();
    const QImage drawn = form->canvas().image().copy();
    // Beyond 1.09 RANGE: no box, a line under the read-out, which shows
    // where the picture stands; nothing drawn.
    type("21.9");
    EXPECT_TRUE(errors.messages.empty());
    EXPECT_TRUE(form->axialRefusal()->isVisibleTo(form));
    EXPECT_EQ(form->axialRefusal()->text().toStdString(), "at most ±21.8");
    EXPECT_EQ(form->axialRefusal()->toolTip().toStdString(),
              "The axial position lies beyond the diagram's reach of 21.8 mm either side of the centre of curvature.");
    EXPECT_EQ(place(), before);
    EXPECT_EQ(testing::firstDifference(form->canvas().image(), drawn), "");
    type("-30");
    EXPECT_EQ(place(), before);
    // The next picture takes the line away.
    type("2");
    EXPECT_FALSE(form->axialRefusal()->isVisibleTo(form));
    EXPECT_EQ(place().axial, 2);
    // Not a number: the cell's message, as before.
    type("abc");
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], "'abc' is not a valid floating point value");
    EXPECT_EQ(place().axial, 2);
}

TEST_F(Comfort, ArrowKeysStepOneRowOrColumn) {
    clickOnWindow(25, 300);
    const QImage drawn = form->canvas().image().copy();
    key(Qt::Key_Up);
    EXPECT_EQ(place(), clickedPlace(299));
    EXPECT_NE(testing::firstDifference(form->canvas().image(), drawn), "") << "no new picture";
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    EXPECT_EQ(place(), clickedPlace(301));
    // At the ends of the diagram the marker stays.
    clickOnWindow(25, kFirstAxialRow);
    key(Qt::Key_Up);
    EXPECT_EQ(app->mainWindow().scene().setup.position.axialMarkerY, kFirstAxialRow);

    // Across: one column of the slider, as a click on that column.
    clickOnWindow(25, 300);
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    EXPECT_EQ(app->mainWindow().scene().setup.position.transverseOffset, transverseOffsetFromColumn(27, 2));
    EXPECT_EQ(app->mainWindow().scene().setup.position.axialMarkerY, 300);
    key(Qt::Key_Left);
    EXPECT_EQ(app->mainWindow().scene().setup.position.transverseOffset, transverseOffsetFromColumn(26, 2));
    clickOnWindow(kLastSliderColumn, 470);
    key(Qt::Key_Right);
    EXPECT_EQ(app->mainWindow().scene().setup.position.transverseOffset, 2);
    EXPECT_TRUE(errors.messages.empty()) << errors.messages.front();
}

TEST_F(Comfort, DraggingOnTheRayDiagramFollowsThePointer) {
    mouse(QEvent::MouseButtonPress, {25, 325}, Qt::LeftButton, Qt::LeftButton);
    for (const int y : {320, 300, 260, 231}) {
        // The pointer may leave the diagram's box sideways while held.
        form->canvas().fillRect(0, 0, 799, 699, kSilver);
        mouse(QEvent::MouseMove, {y % 2 == 0 ? 60 : 25, y}, Qt::NoButton, Qt::LeftButton);
        EXPECT_EQ(place(), clickedPlace(y)) << y;
        EXPECT_GT(countColour(form->canvas().image(), kRed, 135, 25, 685, 575), 1000) << "not redrawn at " << y;
    }
    mouse(QEvent::MouseMove, {25, 600}, Qt::NoButton, Qt::LeftButton);  // below the diagram: its last row
    EXPECT_EQ(place(), clickedPlace(kLastAxialRow));
    mouse(QEvent::MouseButtonRelease, {25, 600}, Qt::LeftButton, Qt::NoButton);
    // Released, a move does nothing; a drag begun on the picture moves nothing.
    mouse(QEvent::MouseMove, {25, 300}, Qt::NoButton, Qt::NoButton);
    mouse(QEvent::MouseButtonPress, {400, 300}, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, {25, 250}, Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, {25, 250}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(app->mainWindow().scene().setup.position.axialMarkerY, kLastAxialRow);
    EXPECT_TRUE(errors.messages.empty()) << errors.messages.front();
}

TEST_F(Comfort, ThePictureIsKeptWithItsCaption) {
    clickOnWindow(25, 300);
    const QImage drawn = form->canvas().image().copy();
    // The right button on the picture opens its menu and draws nothing.
    QTest::mouseClick(form, Qt::RightButton, {}, QPoint(400, 300));
    EXPECT_EQ(testing::firstDifference(form->canvas().image(), drawn), "");

    dialogs.answers = {home.filePath("shot")};
    EXPECT_EQ(chooseFromPictureMenu({400, 300}, 0), (QStringList{"Save Picture\u2026", "Copy Picture"}));
    EXPECT_TRUE(errors.messages.empty()) << errors.messages.front();
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].caption, "Save Picture");
    EXPECT_EQ(dialogs.asked[0].directory, QDir(home.path()).filePath("Pictures"));
    const QImage saved = QImage(home.filePath("shot.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(saved.size(), QSize(800, 700 + kCaptionHeight));
    EXPECT_EQ(testing::firstDifference(saved.copy(0, 0, 800, 700), drawn), "");
    // The strip: white, with the caption's text in black.
    const QImage strip = saved.copy(0, 700, 800, kCaptionHeight);
    EXPECT_GT(countColour(strip, kBlack), 200);
    EXPECT_EQ(countColour(strip, kBlack) + countColour(strip, Rgb{255, 255, 255}), 800 * kCaptionHeight);
    EXPECT_EQ(testing::firstDifference(saved, form->keptPicture().convertToFormat(QImage::Format_RGB32)), "");
    const auto lines = pictureCaptionLines(form->scene());
    EXPECT_EQ(lines[0], "D 200 mm   R 2000 mm   conic -1   Ronchi   4 lines/mm   two-term series");
    EXPECT_EQ(lines[1], "axial -5 mm inside the centre of curvature   transverse 0.000 bands   "
                        "source fixed at the centre of curvature");

    // Its second entry, as the menu calls it.
    form->copyPicture();
    EXPECT_EQ(testing::firstDifference(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
                                       form->keptPicture().convertToFormat(QImage::Format_RGB32)),
              "");
    // The menu belongs to the picture only.
    EXPECT_TRUE(chooseFromPictureMenu({25, 300}, 0).isEmpty());
    EXPECT_TRUE(chooseFromPictureMenu({100, 300}, 0).isEmpty());
}

TEST_F(Comfort, ChoicesAndFoldersAreRememberedButNotTheParameters) {
    auto* moving = form->findChild<QCheckBox*>("movingSourceBox");
    auto* exact = form->findChild<QCheckBox*>("exactTraceBox");
    ASSERT_FALSE(moving->isChecked());
    // On the box itself: the check boxes reach beyond their captions.
    QTest::mouseClick(moving, Qt::LeftButton, {}, QPoint(6, 8));
    QTest::mouseClick(exact, Qt::LeftButton, {}, QPoint(6, 8));
    ASSERT_TRUE(moving->isChecked());
    ASSERT_TRUE(exact->isChecked());
    form->controls().setParameterCell(kRowConic, "0");
    QDir(home.path()).mkpath("mirrors");
    dialogs.answers = {home.filePath("mirrors/a.Ron")};
    QTest::mouseClick(form->findChild<QAbstractButton*>("saveButton"), Qt::LeftButton);
    ASSERT_TRUE(QFile::exists(home.filePath("mirrors/a.Ron")));

    startApp();
    EXPECT_TRUE(form->findChild<QCheckBox*>("movingSourceBox")->isChecked());
    EXPECT_TRUE(form->findChild<QCheckBox*>("exactTraceBox")->isChecked());
    EXPECT_EQ(form->controls().parameterCell(kRowConic), "-1");
    dialogs.answers = {std::nullopt};
    QTest::mouseClick(form->findChild<QAbstractButton*>("retrieveButton"), Qt::LeftButton);
    EXPECT_EQ(dialogs.asked.back().directory, home.filePath("mirrors"));
    // Unchecked, it stays unchecked the next time.
    QTest::mouseClick(form->findChild<QCheckBox*>("exactTraceBox"), Qt::LeftButton, {}, QPoint(6, 8));
    startApp();
    EXPECT_FALSE(form->findChild<QCheckBox*>("exactTraceBox")->isChecked());
    EXPECT_TRUE(errors.messages.empty()) << errors.messages.front();
}

}  // namespace
}  // namespace sg

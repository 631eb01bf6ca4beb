// SPDX-License-Identifier: GPL-3.0-or-later
// Where windows open beside the main one: the place that covers least of
// the mirror, then of the controls, on screens of 1024 x 768 and 1280 x 1024.
#include "widgets/window_placement.h"

#include "model/picture_geometry.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace sg {
namespace {

// The main window's client at the screen's top left, as when it is
// maximised without a title bar.
const KeepClear kDisk{{kDiskCentreX - kDiskRadius, kDiskCentreY - kDiskRadius, 2 * kDiskRadius + 1,
                       2 * kDiskRadius + 1},
                      true};
const KeepClear kPositionControls{{0, 200, 110, 300}, false};
const KeepClear kPhotoControls{{908, 66, 112, 250}, false};

TEST(WindowPlacement, CoveredPixelsOfARoundAndASquareArea) {
    // The whole disk (its square is 2 r + 1 pixels wide): pi r^2 within a
    // pixel per column.
    const double r = kDiskRadius + 0.5, disk = 3.14159265 * r * r;
    EXPECT_NEAR(double(coveredPixels({0, 0, 1280, 1024}, kDisk)), disk, 2 * kDiskRadius + 1);
    // Its right half, and nothing beside it.
    EXPECT_NEAR(double(coveredPixels({kDiskCentreX, 0, 1000, 1000}, kDisk)), disk / 2, 2 * kDiskRadius);
    EXPECT_EQ(coveredPixels({700, 0, 300, 1000}, kDisk), 0);
    // A corner of the disk's square outside the circle covers nothing of it.
    EXPECT_EQ(coveredPixels({kDiskCentreX - kDiskRadius, kDiskCentreY - kDiskRadius, 60, 60}, kDisk), 0);
    EXPECT_EQ(coveredPixels({100, 250, 20, 20}, kPositionControls), 10 * 20);
}

TEST(WindowPlacement, TheEditorOnASmallScreenCoversLeastOfTheMirror) {
    const QRect screen(0, 0, 1024, 768);
    const QSize editor(967 + 2, 357 + 26);
    const QPoint usual(2, 120);
    const QPoint place = leastCoveringPlace(screen, editor, {kDisk, kPositionControls}, usual);
    EXPECT_TRUE(screen.contains(QRect(place, editor)));
    EXPECT_LT(coveredPixels(QRect(place, editor), kDisk), coveredPixels(QRect(usual, editor), kDisk) / 2);
    // No place on this screen covers less of the disk.
    for (int y = 0; y + editor.height() <= 768; y += 4)
        for (int x = 0; x + editor.width() <= 1024; x += 4)
            EXPECT_LE(coveredPixels(QRect(place, editor), kDisk), coveredPixels(QRect(QPoint(x, y), editor), kDisk));
}

TEST(WindowPlacement, SmallWindowsStandClearOfTheMirrorAndTheirControls) {
    for (const QRect screen : {QRect(0, 0, 1024, 768), QRect(0, 0, 1280, 1024)}) {
        // The photo fit's dialog beside the disk and the photo's controls.
        const QSize dialog(330, 420);
        const QPoint fit = leastCoveringPlace(screen, dialog, {kDisk, kPhotoControls}, {900, 320});
        EXPECT_EQ(coveredPixels(QRect(fit, dialog), kDisk), 0) << screen.width();
        EXPECT_EQ(coveredPixels(QRect(fit, dialog), kPhotoControls), 0) << screen.width();
        EXPECT_TRUE(screen.contains(QRect(fit, dialog)));
        // The getting-started window covers less than half of what it
        // covered at its old place; on neither screen is there room for it
        // wholly beside the disk.
        const QSize started(644 + 2, 545 + 26);
        const QPoint place = leastCoveringPlace(screen, started, {kDisk}, {200, 43});
        const long long covered = coveredPixels(QRect(place, started), kDisk);
        EXPECT_LT(covered, coveredPixels(QRect(QPoint(200, 43), started), kDisk) / 2) << screen.width();
    }
}

TEST(WindowPlacement, ThePreferredPlaceAmongEquals) {
    // Nothing to keep clear: the place asked for, exactly.
    EXPECT_EQ(leastCoveringPlace({0, 0, 1280, 1024}, {300, 200}, {}, {517, 333}), QPoint(517, 333));
    // Beyond the screen: the nearest place on it.
    EXPECT_EQ(leastCoveringPlace({0, 0, 1280, 1024}, {300, 200}, {}, {2000, -50}), QPoint(980, 0));
    // A window larger than the screen stands at its top left.
    EXPECT_EQ(leastCoveringPlace({10, 20, 800, 600}, {900, 700}, {kDisk}, {300, 300}), QPoint(10, 20));
}

// A window moved by the user opens there again, in the next run too, while
// that place is on the screens; elsewhere it takes the place it is given.
TEST(WindowPlacement, AMovedWindowIsRememberedWhileItFitsTheScreens) {
    QTemporaryDir dir;
    QSettings settings(dir.filePath("places.conf"), QSettings::IniFormat);
    {
        QWidget window;
        window.resize(200, 150);
        PlaceKeeper keeper(window, settings, "someWindow");
        EXPECT_FALSE(keeper.remembered());
        keeper.place({40, 30});
        EXPECT_EQ(window.pos(), QPoint(40, 30));
        EXPECT_FALSE(settings.contains("someWindow/place")) << "a place the program gives is not the user's";
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.move(123, 45);
        EXPECT_TRUE(keeper.remembered());
    }
    QWidget again;
    again.resize(200, 150);
    PlaceKeeper keeper(again, settings, "someWindow");
    keeper.place({40, 30});
    EXPECT_EQ(again.pos(), QPoint(123, 45));
    // Off every screen: the place given.
    settings.setValue("someWindow/place", QPoint(100000, 100000));
    keeper.place({40, 30});
    EXPECT_EQ(again.pos(), QPoint(40, 30));
}

}  // namespace
}  // namespace sg

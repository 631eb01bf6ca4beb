// SPDX-License-Identifier: GPL-3.0-or-later
// Where the editor window opens, from the main window's client origin, the
// screen's available geometry and the editor's size and frame.
#include "editor/editor_placement.h"
#include "simulator/simulator.h"

#include <gtest/gtest.h>

namespace sg {
namespace {

const QSize kEditor(967, 357);
const QMargins kBare;                 // no window manager: no frame
const QMargins kFramed(2, 24, 2, 2);  // a title bar and thin borders
const int kDiskBottom = kDiskCentreY + kDiskRadius;

struct Screen {
    const char* name;
    QPoint mainClient;  // the main window's client origin
    QRect available;
    QMargins frame;
};

// On a 1280 x 1024 screen, with or without a window manager's frames and
// panels, the editor opens below the picture: the whole mirror disk shows
// above its frame and the whole frame lies on the screen.
TEST(EditorPlacement, BelowThePictureOnATallScreen) {
    for (const Screen& s : {Screen{"bare", {0, 0}, {0, 0, 1280, 1024}, kBare},
                            Screen{"framed", {0, 24}, {0, 0, 1280, 1024}, kFramed},
                            Screen{"panel below", {0, 24}, {0, 0, 1280, 996}, kFramed},
                            Screen{"panel left, second screen", {1344, 0}, {1344, 0, 1216, 1024}, kBare}}) {
        const QPoint place = editorWindowPlace(s.mainClient, s.available, kEditor, s.frame);
        const QRect frame = QRect(place, kEditor).marginsAdded(s.frame);
        EXPECT_TRUE(s.available.contains(frame)) << s.name << ": " << frame.x() << ", " << frame.y();
        EXPECT_GT(frame.top(), s.mainClient.y() + kDiskBottom) << s.name;
        EXPECT_LE(frame.top(), s.mainClient.y() + kPictureHeight) << s.name;
        EXPECT_EQ(place.x(), s.mainClient.x() + 4) << s.name;
    }
    // Without a window manager: as low as the screen allows, the bottom row on the screen's last.
    EXPECT_EQ(editorWindowPlace({0, 0}, {0, 0, 1280, 1024}, kEditor, kBare), QPoint(4, 1024 - 357));
    EXPECT_EQ(editorWindowPlace({0, 24}, {0, 0, 1280, 1024}, kEditor, kFramed), QPoint(4, 1024 - 2 - 357));
    // On a taller screen no lower than the picture area.
    EXPECT_EQ(editorWindowPlace({0, 0}, {0, 0, 1920, 1200}, kEditor, kBare), QPoint(4, 700));
    EXPECT_EQ(editorWindowPlace({0, 24}, {0, 0, 1920, 1200}, kEditor, kFramed), QPoint(4, 24 + 700 + 24));
    // A narrow screen keeps the frame's right edge on it.
    EXPECT_EQ(editorWindowPlace({0, 0}, {0, 0, 968, 1100}, kEditor, kBare), QPoint(1, 700));
    EXPECT_EQ(editorWindowPlace({0, 0}, {0, 0, 971, 1100}, kEditor, kFramed), QPoint(2, 724));
}

// Where the editor would cover the mirror disk, it opens at its usual place.
TEST(EditorPlacement, UsualPlaceOnAShortScreen) {
    for (const Screen& s : {Screen{"1024 x 768", {0, 0}, {0, 0, 1024, 768}, kBare},
                            Screen{"1024 x 768 framed", {0, 24}, {0, 0, 1024, 768}, kFramed},
                            Screen{"1280 x 800", {0, 0}, {0, 0, 1280, 800}, kBare},
                            Screen{"no screen", {0, 0}, {}, kBare}})
        EXPECT_EQ(editorWindowPlace(s.mainClient, s.available, kEditor, s.frame), QPoint(4, 146)) << s.name;
    // The limit: the frame's top may come up to client row 580, not one row higher.
    EXPECT_EQ(editorWindowPlace({0, 0}, {0, 0, 1280, 580 + 357}, kEditor, kBare), QPoint(4, 580));
    EXPECT_EQ(editorWindowPlace({0, 0}, {0, 0, 1280, 579 + 357}, kEditor, kBare), QPoint(4, 146));
    EXPECT_EQ(editorWindowPlace({0, 24}, {0, 0, 1280, 24 + 580 + 383}, kEditor, kFramed), QPoint(4, 24 + 580 + 24));
    EXPECT_EQ(editorWindowPlace({0, 24}, {0, 0, 1280, 24 + 580 + 382}, kEditor, kFramed), QPoint(4, 146));
}

TEST(EditorPlacement, RememberedPlaceOnlyWhileOnTheScreens) {
    const QList<QRect> screens{{0, 0, 1280, 1024}, {1280, 0, 1024, 768}};
    EXPECT_TRUE(placeOnScreens({100, 600, 967, 357}, screens));
    EXPECT_TRUE(placeOnScreens({1300, 400, 967, 357}, screens));
    EXPECT_TRUE(placeOnScreens({900, 100, 967, 357}, screens));    // across both
    EXPECT_FALSE(placeOnScreens({1300, 500, 967, 357}, screens));  // below the second screen's bottom
    EXPECT_FALSE(placeOnScreens({900, 500, 967, 357}, screens));   // partly below it
    EXPECT_FALSE(placeOnScreens({-500, 100, 967, 357}, screens));
    EXPECT_FALSE(placeOnScreens({100, 600, 967, 357}, {{0, 0, 1024, 768}}));  // the screen has changed
    EXPECT_FALSE(placeOnScreens({}, screens));                                // nothing remembered
}

}  // namespace
}  // namespace sg

// SPDX-License-Identifier: GPL-3.0-or-later
// The main window redraws only what a drawing changed: the region of
// changed pixels, and a drag on the ray diagram that leaves the screen as a
// full redraw leaves it while the controls beside the picture are never
// painted again.
#include "tests/support/main_window_fixture.h"
#include "tests/support/picture_checks.h"
#include "widgets/changed_region.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QScreen>
#include <QStringList>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>

namespace sg {
namespace {

QImage randomImage(int w, int h, unsigned seed) {
    QImage image(w, h, QImage::Format_RGB32);
    std::mt19937 random(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, 0xff000000u | (random() & 0xffffffu));
    return image;
}

// Every changed pixel is covered; each rectangle starts and ends at a column
// that changed in one of its rows, changes far apart in a band take
// rectangles of their own; equal images give nothing.
TEST(ChangedRegion, CoversEveryChangeAndIsTightPerBand) {
    struct Case {
        const char* name;
        std::vector<QPoint> changes;
    };
    const std::vector<Case> cases = {
        {"none", {}},
        {"one pixel", {{37, 5}}},
        {"corners", {{0, 0}, {99, 59}}},
        {"first and last column of one band", {{0, 20}, {99, 31}}},
        {"scattered", {{3, 3}, {50, 17}, {51, 18}, {20, 40}, {90, 41}, {10, 59}}},
        {"inside an earlier span", {{10, 33}, {80, 34}, {40, 35}}},
    };
    const std::map<std::string, int> rectangles = {{"none", 0}, {"one pixel", 1}, {"corners", 2},
                                                   {"first and last column of one band", 2}, {"scattered", 5},
                                                   {"inside an earlier span", 1}};
    const QImage before = randomImage(100, 60, 7);
    for (const Case& c : cases) {
        QImage after = before.copy();
        for (const QPoint& p : c.changes) after.setPixel(p, after.pixel(p) ^ 0x10101u);
        const QRegion region = changedRegion(before, after, 16);
        EXPECT_EQ(region.rectCount(), rectangles.at(c.name)) << c.name;
        for (const QPoint& p : c.changes) EXPECT_TRUE(region.contains(p)) << c.name << " at " << p.x() << "," << p.y();
        for (const QRect& r : region) {
            bool left = false, right = false;
            for (const QPoint& p : c.changes) {
                left = left || (p.x() == r.left() && r.contains(p));
                right = right || (p.x() == r.right() && r.contains(p));
            }
            EXPECT_TRUE(left && right) << c.name << ": band " << r.y() << " spans " << r.left() << ".." << r.right();
        }
        // Copying the region over the old picture gives the new one.
        QImage copied = before.copy();
        copyRegion(after, copied, region);
        EXPECT_EQ(testing::firstDifference(copied, after), "") << c.name;
    }
    // Pictures of other sizes are redrawn whole.
    EXPECT_EQ(changedRegion(before, randomImage(100, 61, 7)), QRegion(0, 0, 100, 61));
}

// The picture's box and the ray diagram's strip with its read-outs: where a
// drag changes the picture.
const QRegion kDragArea = QRegion(kDiskCentreX - kDiskRadius, kDiskCentreY - kDiskRadius, 2 * kDiskRadius + 1,
                                  2 * kDiskRadius + 1) +
                          QRegion(0, 210, 60, 290);

// Counts the paint events of the controls it watches outside the drag's
// area, and gathers the regions painted on the main window.
class PaintWatch : public QObject {
public:
    QWidget* window = nullptr;
    QRegion windowPainted;
    QStringList controlsPainted;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            auto* w = static_cast<QWidget*>(watched);
            if (w == window) windowPainted += static_cast<QPaintEvent*>(event)->region();
            else if (!kDragArea.intersects(QRect(w->mapTo(window, QPoint(0, 0)), w->size())))
                controlsPainted << w->objectName();
        }
        return false;
    }
};

class RegionRedraw : public testing::MainWindowFixture {
protected:
    void mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, at, form->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(form, &e);
        QApplication::processEvents();
    }
    // The window's pixels as the screen holds them.
    QImage onScreen() {
        return form->windowHandle()->screen()->grabWindow(form->winId()).toImage().convertToFormat(
            QImage::Format_RGB32);
    }
    // The first pixel of the picture, outside the controls over it, where
    // the screen does not show the canvas; "" when it does everywhere.
    std::string screenAgainstCanvas(const QImage& screen) {
        QRegion controls;
        for (QWidget* child : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child->isVisible()) controls += child->geometry();
        const QImage& canvas = form->canvas().image();
        // (The window may be smaller than its canvas on a small screen.)
        for (int y = 0; y < std::min(canvas.height(), screen.height()); ++y)
            for (int x = 0; x < std::min(canvas.width(), screen.width()); ++x)
                if (screen.pixel(x, y) != canvas.pixel(x, y) && !controls.contains(QPoint(x, y)))
                    return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
        return "";
    }
};

TEST_F(RegionRedraw, ADragShowsWhatAFullRedrawShowsAndLeavesTheControls) {
    QApplication::processEvents();
    ASSERT_TRUE(form->isVisible());
    PaintWatch watch;
    watch.window = form;
    form->installEventFilter(&watch);
    // The buttons, radio buttons, check boxes and labels (a text field's
    // blinking cursor repaints it on its own).
    for (QWidget* control : form->findChildren<QAbstractButton*>()) control->installEventFilter(&watch);
    for (QWidget* control : form->findChildren<QLabel*>()) control->installEventFilter(&watch);

    mouse(QEvent::MouseButtonPress, {25, 325}, Qt::LeftButton, Qt::LeftButton);
    for (const int y : {320, 300, 301, 260, 231, 400}) {
        mouse(QEvent::MouseMove, {25, y}, Qt::NoButton, Qt::LeftButton);
        ASSERT_EQ(form->scene().setup.position.axialMarkerY, y);
        const QImage screen = onScreen();
        ASSERT_FALSE(screen.isNull());
        EXPECT_EQ(screenAgainstCanvas(screen), "") << "after the move to row " << y;
    }
    mouse(QEvent::MouseButtonRelease, {25, 400}, Qt::LeftButton, Qt::NoButton);
    const QImage afterDrag = onScreen();
    EXPECT_TRUE(watch.controlsPainted.isEmpty()) << watch.controlsPainted.join(", ").toStdString();
    // Only inside the picture, and far from all of it: the disk's box, the
    // ray diagram's strip and the read-outs.
    EXPECT_TRUE(kDragArea.contains(watch.windowPainted.boundingRect()) || (watch.windowPainted - kDragArea).isEmpty())
        << "painted beyond: " << (watch.windowPainted - kDragArea).boundingRect().x() << ","
        << (watch.windowPainted - kDragArea).boundingRect().y();
    long long area = 0;
    for (const QRect& r : watch.windowPainted) area += static_cast<long long>(r.width()) * r.height();
    EXPECT_LT(area, kPictureWidth * kPictureHeight * 3 / 4);
    EXPECT_TRUE(watch.windowPainted.contains(QPoint(25, 400)));            // the marker's new row
    EXPECT_TRUE(watch.windowPainted.contains(QPoint(25, 320)));            // and its first
    EXPECT_TRUE(watch.windowPainted.contains(QPoint(kDiskCentreX, 200)));  // the picture

    // A full redraw changes nothing on the screen.
    form->repaint();
    EXPECT_EQ(testing::firstDifference(onScreen(), afterDrag), "");
    EXPECT_TRUE(errors.messages.empty()) << errors.messages.front();
}

}  // namespace
}  // namespace sg

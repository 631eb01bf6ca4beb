// SPDX-License-Identifier: GPL-3.0-or-later
// A photo of the test over the main window's picture, driven as a user
// drives it: opened and aligned (a photo made from the program's own
// picture lies on it within a pixel), the views drawing what they say,
// Blink on its key, the photo dragged, turned, scaled and nudged while
// "Adjust" is down, photos refused without a change, and the help.
#include "fit/band_model.h"
#include "model/number_text.h"
#include "fit/fit_dialog.h"
#include "tests/support/main_window_fixture.h"
#include "fit/photo_tools.h"
#include "tests/support/picture_checks.h"
#include "simulator/ray_pass.h"
#include "tests/support/synthetic_photo.h"
#include "widgets/window_style.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QListWidget>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

namespace sg {
namespace {

constexpr int kW = kPictureWidth, kH = kPictureHeight;

double fromCentre(double x, double y) { return std::hypot(x - kDiskCentreX, y - kDiskCentreY); }

class PhotoWindow : public testing::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        if (HasFatalFailure()) return;
        tools = &form->photoTools();
    }

    // A drag on the bare window with the left button held.
    void drag(QPointF from, QPointF to, Qt::KeyboardModifiers mods = {}) {
        QTest::mousePress(form, Qt::LeftButton, mods, from.toPoint());
        for (int step = 1; step <= 4; ++step) {
            const QPointF at = from + (to - from) * (step / 4.0);
            QMouseEvent move(QEvent::MouseMove, at, form->mapToGlobal(at), Qt::NoButton, Qt::LeftButton, mods);
            QApplication::sendEvent(form, &move);
        }
        QTest::mouseRelease(form, Qt::LeftButton, mods, to.toPoint());
    }
    void chooseView(PhotoViewKind view) {
        auto* box = form->findChild<QComboBox*>("PhotoView");
        ASSERT_NE(box, nullptr);
        box->setCurrentIndex(static_cast<int>(view));
        emit box->activated(static_cast<int>(view));
    }
    QString write(const char* name, const testing::SyntheticPhoto& photo) {
        const QString path = home.filePath(name);
        EXPECT_TRUE(testing::savePhoto(photo, path.toStdString()));
        return path;
    }
    void open(const QString& path) {
        dialogs.answers = {path};
        press("ButtonOpenPhoto");
    }
    // What the user sees of the picture: the window's own painting, without
    // the controls standing on it.
    QImage shown() {
        QImage image(kW, kH, QImage::Format_RGB32);
        form->render(&image, QPoint(), QRegion(0, 0, kW, kH), QWidget::DrawWindowBackground);
        return image;
    }
    const QImage& canvas() { return form->canvas().image(); }

    PhotoTools* tools = nullptr;
};

// A paraboloid photographed upright 8 mm outside the centre of curvature,
// the disk 300 pixels in radius.
testing::PhotoTruth paraboloid(double offset = 8) {
    testing::PhotoTruth t;
    t.mirror.diameter = 200;
    t.mirror.radius = 2000;
    t.mirror.linesPerMm = 4;
    t.parameters.conic = -1;
    t.parameters.offset = offset;
    t.parameters.transverse = 0.25;
    return t;
}

testing::Camera upright(double rotation = 0) {
    testing::Camera c;
    c.width = 760, c.height = 700, c.cx = 372.4, c.cy = 351.8, c.radius = 300, c.rotationDeg = rotation;
    c.blur = 1.2, c.gamma = 1.1, c.noise = 0.01, c.vignetting = 0.15, c.seed = 5;
    return c;
}

// Pixels that the drawing of the found rim may touch: within 3 pixels of
// its circle or of the band normal across it, or 8 of its centre.
bool nearRimDrawing(int x, int y, const RimOnFrame& rim) {
    const double px = x + 0.5 - rim.cx, py = y + 0.5 - rim.cy;
    const double a = rim.normalDeg * std::numbers::pi / 180;
    return std::fabs(std::hypot(px, py) - rim.radius) < 3 || std::fabs(px * std::sin(a) - py * std::cos(a)) < 3 ||
           std::hypot(px, py) < 8;
}

// The first pixel inside the rim, away from the rim's drawing, where two
// pictures differ; empty when none does.
std::string differenceInside(const QImage& a, const QImage& b, const RimOnFrame& rim) {
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            if (fromCentre(x + 0.5, y + 0.5) < kDiskRadius - 3 && !nearRimDrawing(x, y, rim) && a.pixel(x, y) != b.pixel(x, y))
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
    return "";
}

// The density of the picture's lit points: the share of red pixels among
// the 9 x 9 pixels about each pixel of the mirror that lie on the mirror.
std::vector<double> litDensity(const QImage& picture, Rgb ray) {
    std::vector<double> red(std::size_t(kW) * kH), density(red.size(), 0);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) red[std::size_t(y) * kW + std::size_t(x)] = fromQRgb(picture.pixel(x, y)) == ray;
    for (int y = 4; y < kH - 4; ++y)
        for (int x = 4; x < kW - 4; ++x) {
            double sum = 0;
            int on = 0;
            for (int j = -4; j <= 4; ++j)
                for (int i = -4; i <= 4; ++i)
                    if (fromCentre(x + i + 0.5, y + j + 0.5) <= kDiskRadius) {
                        sum += red[std::size_t(y + j) * kW + std::size_t(x + i)];
                        ++on;
                    }
            if (on > 0) density[std::size_t(y) * kW + std::size_t(x)] = sum / on;
        }
    return density;
}

double bilinear(const std::vector<double>& map, double x, double y) {
    const double fx = x - 0.5, fy = y - 0.5;
    const int x0 = int(std::floor(fx)), y0 = int(std::floor(fy));
    if (x0 < 0 || y0 < 0 || x0 + 1 >= kW || y0 + 1 >= kH) return 0;
    const double ax = fx - x0, ay = fy - y0;
    const auto at = [&](int i, int j) { return map[std::size_t(j) * kW + std::size_t(i)]; };
    return (1 - ay) * ((1 - ax) * at(x0, y0) + ax * at(x0 + 1, y0)) + ay * ((1 - ax) * at(x0, y0 + 1) + ax * at(x0 + 1, y0 + 1));
}

// The photo a camera would take of the picture itself: the density of its
// lit points as brightness on the disk, a dark background, the frame
// scaled, turned and moved by `camera`.
struct PictureCamera {
    double cx = 561.3, cy = 468.7, scale = 1.37, rotationDeg = 3.5;
    int width = 1100, height = 950;
    QPointF toPhoto(QPointF f) const {
        const double a = rotationDeg * std::numbers::pi / 180, dx = (f.x() - kDiskCentreX) * scale,
                     dy = (f.y() - kDiskCentreY) * scale;
        return {cx + dx * std::cos(a) - dy * std::sin(a), cy + dx * std::sin(a) + dy * std::cos(a)};
    }
    QPointF toFrame(QPointF p) const {
        const double a = rotationDeg * std::numbers::pi / 180, dx = p.x() - cx, dy = p.y() - cy;
        return {kDiskCentreX + (dx * std::cos(a) + dy * std::sin(a)) / scale,
                kDiskCentreY + (-dx * std::sin(a) + dy * std::cos(a)) / scale};
    }
};

constexpr double kDark = 0.15, kSpan = 0.8;  // the photo's brightness: kDark + kSpan * density / peak

QImage photographPicture(const std::vector<double>& density, double peak, const PictureCamera& cam) {
    QImage photo(cam.width, cam.height, QImage::Format_RGB888);
    for (int y = 0; y < cam.height; ++y)
        for (int x = 0; x < cam.width; ++x) {
            const QPointF f = cam.toFrame({x + 0.5, y + 0.5});
            const double v = fromCentre(f.x(), f.y()) <= kDiskRadius ? kDark + kSpan * bilinear(density, f.x(), f.y()) / peak
                                                                    : 0.03;
            photo.setPixel(x, y, qRgb(int(std::lround(255 * v)), int(std::lround(90 * v)), int(std::lround(70 * v))));
        }
    return photo;
}

// The program's own picture, photographed, opened and aligned, lies on the
// picture within a pixel: the rim where the camera put it, the Blend view
// at full opacity the photo's frame pixel for pixel, and the brightness
// shown closer to the picture's than the picture is to itself moved by one
// pixel.
TEST_F(PhotoWindow, OwnPictureOpensRegisteredWithinAPixel) {
    // A sphere 10 mm inside: five straight bands, whose direction the
    // alignment finds to a small fraction of a degree.
    form->controls().setParameterCell(kRowConic, "0");
    clickAt(25, 275);
    ASSERT_TRUE(errors.messages.empty());
    const std::vector<double> density = litDensity(canvas(), kPalette.rayColour);
    const double peak = *std::max_element(density.begin(), density.end());
    ASSERT_GT(peak, 0.1);
    const PictureCamera cam;
    const QString path = home.filePath("own picture.png");
    ASSERT_TRUE(photographPicture(density, peak, cam).save(path));

    open(path);
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    ASSERT_TRUE(tools->overlay().isOpen());
    EXPECT_EQ(tools->view(), PhotoViewKind::Blend);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].caption, "Open Photo");
    EXPECT_EQ(dialogs.asked[0].directory, QDir(home.path()).filePath("Photos"));

    const FrameMapping& m = tools->overlay().mapping();
    EXPECT_EQ(m.bands, BandAxis::Vertical);
    for (int k = 0; k < 16; ++k) {
        const double a = k * std::numbers::pi / 8;
        const QPointF f(kDiskCentreX + kDiskRadius * std::cos(a), kDiskCentreY + kDiskRadius * std::sin(a));
        const FramePoint found = m.toPhoto({f.x(), f.y()});
        const QPointF truth = cam.toPhoto(f);
        EXPECT_LT(std::hypot(found.x - truth.x(), found.y - truth.y()) / cam.scale, 1) << "rim point " << k;
    }

    form->findChild<QSlider*>("PhotoOpacity")->setValue(100);
    ASSERT_DOUBLE_EQ(tools->opacity(), 1);
    const QImage seen = shown();
    const QImage frame = frameImage(tools->overlay().frameColour());
    // The brightness the camera saw at each pixel centre, rim included.
    std::vector<double> truth(std::size_t(kW) * kH, 0.03);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            if (fromCentre(x + 0.5, y + 0.5) <= kDiskRadius)
                truth[std::size_t(y) * kW + std::size_t(x)] = kDark + kSpan * density[std::size_t(y) * kW + std::size_t(x)] / peak;
    double error = 0, shifted[4] = {0, 0, 0, 0};
    int compared = 0, differing = 0;
    const int dx[4] = {1, -1, 0, 0}, dy[4] = {0, 0, 1, -1};
    const RimOnFrame rim = tools->overlay().rimOnFrame();
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            if (fromCentre(x + 0.5, y + 0.5) > 286 || nearRimDrawing(x, y, rim)) continue;
            differing += seen.pixel(x, y) != frame.pixel(x, y);
            const double t = truth[std::size_t(y) * kW + std::size_t(x)];
            error += std::fabs(qRed(seen.pixel(x, y)) / 255.0 - t);
            for (int k = 0; k < 4; ++k) shifted[k] += std::fabs(truth[std::size_t(y + dy[k]) * kW + std::size_t(x + dx[k])] - t);
            ++compared;
        }
    EXPECT_EQ(differing, 0) << "of " << compared << " pixels";
    for (int k = 0; k < 4; ++k)
        EXPECT_LT(error, shifted[k]) << "moved by " << dx[k] << ", " << dy[k] << ": " << error / compared << " against "
                                     << shifted[k] / compared;
}

// Pixels well inside a band of both the photo and the simulation: the
// 5 x 5 pixels about them agree.
template <typename Bright>
bool settled(int x, int y, Bright&& bright) {
    const bool here = bright(x, y);
    for (int j = -2; j <= 2; ++j)
        for (int i = -2; i <= 2; ++i)
            if (bright(x + i, y + j) != here) return false;
    return true;
}

// The views, each on a photo 8 mm outside and the simulation 7 mm inside:
// Blend at no opacity leaves the picture, Difference colours the pixels by
// which of the two is bright, Side by side shows both halved at the same
// place, Edges puts the photo's edges on the photo's bands and the model's
// lines on the simulation's, and Close Photo leaves the picture alone.
TEST_F(PhotoWindow, EachViewDrawsWhatItSays) {
    clickAt(25, 290);
    const testing::PhotoTruth truth = paraboloid();
    open(write("paraboloid.png", testing::makeSyntheticPhoto(truth, upright())));
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    ASSERT_EQ(tools->overlay().mapping().bands, BandAxis::Vertical);

    const BandPhase phase(truth.mirror, truth.zone, truth.parameters);
    const auto photoBright = [&](int x, int y) { return phase.brightAtFrame(x + 0.5, y + 0.5, BandAxis::Vertical); };
    const Scene& scene = form->scene();
    const RaySetup setup = makeRaySetup(scene, 1);
    const double mm = scene.mirror.mirrorDiameter / 550;
    const auto simLit = [&](int x, int y) {
        return normalRayLit(setup, (x + 0.5 - kDiskCentreX) * mm, (y + 0.5 - kDiskCentreY) * mm);
    };

    const RimOnFrame rim = tools->overlay().rimOnFrame();
    form->findChild<QSlider*>("PhotoOpacity")->setValue(0);
    EXPECT_EQ(differenceInside(shown(), canvas(), rim), "");

    chooseView(PhotoViewKind::Difference);
    {
        const QImage seen = shown();
        int checked[4] = {0, 0, 0, 0}, wrong = 0;
        const QRgb expected[4] = {kBothDarkColour, kSimulationOnlyColour, kPhotoOnlyColour, kBothBrightColour};
        for (int y = 30; y < 570; y += 3)
            for (int x = 140; x < 680; x += 3) {
                if (fromCentre(x + 0.5, y + 0.5) > 255 || nearRimDrawing(x, y, rim) || !settled(x, y, photoBright) || !settled(x, y, simLit)) continue;
                const int kind = (photoBright(x, y) ? 2 : 0) + (simLit(x, y) ? 1 : 0);
                ++checked[kind];
                wrong += seen.pixel(x, y) != expected[kind];
            }
        for (int k = 0; k < 4; ++k) EXPECT_GT(checked[k], 200) << "kind " << k;
        EXPECT_LT(wrong, (checked[0] + checked[1] + checked[2] + checked[3]) / 100);
    }

    chooseView(PhotoViewKind::SideBySide);
    {
        const QImage seen = shown();
        // The left half is the picture's lit points, the right the photo's
        // bright bands, each at the frame point that the pixel halves.
        double litRed[2] = {0, 0}, photoRed[2] = {0, 0};
        int litCount[2] = {0, 0}, photoCount[2] = {0, 0};
        for (int y = 0; y < kSideBySideSimulation.height(); y += 2)
            for (int x = 0; x < kSideBySideSimulation.width(); x += 2) {
                const int fx = kSideBySideSource.left() + 2 * x + 1, fy = kSideBySideSource.top() + 2 * y + 1;
                if (fromCentre(fx, fy) > 250) continue;
                if (settled(fx, fy, simLit)) {
                    const int lit = simLit(fx, fy);
                    litRed[lit] += qRed(seen.pixel(kSideBySideSimulation.left() + x, kSideBySideSimulation.top() + y));
                    ++litCount[lit];
                }
                if (settled(fx, fy, photoBright)) {
                    const int bright = photoBright(fx, fy);
                    photoRed[bright] += qRed(seen.pixel(kSideBySidePhoto.left() + x, kSideBySidePhoto.top() + y));
                    ++photoCount[bright];
                }
            }
        for (const int count : {litCount[0], litCount[1], photoCount[0], photoCount[1]}) ASSERT_GT(count, 0);
        EXPECT_LT(litRed[0] / litCount[0], 5);
        EXPECT_GT(litRed[1] / litCount[1], 20);
        EXPECT_LT(photoRed[0] / photoCount[0] + 100, photoRed[1] / photoCount[1]);
        // Beside the two halves the picture is covered.
        EXPECT_EQ(seen.pixel(kSideBySideArea.left() + 2, 300), kWindowColour.rgb());
        EXPECT_EQ(seen.pixel(410, 520), kWindowColour.rgb());
    }

    chooseView(PhotoViewKind::Edges);
    {
        const QImage seen = shown();
        int photoDots = 0, dotsOnEdges = 0, lines = 0, linesOnEdges = 0;
        for (int y = 30; y < 570; ++y)
            for (int x = 140; x < 680; ++x) {
                if (fromCentre(x + 0.5, y + 0.5) > 260 || nearRimDrawing(x, y, rim)) continue;
                if (seen.pixel(x, y) == kPhotoEdgeColour) {
                    ++photoDots;
                    // Within a pixel and a half of the photo's band edge.
                    dotsOnEdges += photoBright(x - 2, y) != photoBright(x + 2, y);
                }
                if (seen.pixel(x, y) == kModelEdgeColour) {
                    ++lines;
                    linesOnEdges += simLit(x, y) != simLit(x + 1, y) || simLit(x, y) != simLit(x, y + 1);
                }
            }
        EXPECT_GT(photoDots, 1000);
        EXPECT_GT(dotsOnEdges, photoDots * 95 / 100);
        EXPECT_GT(lines, 1000);
        EXPECT_EQ(linesOnEdges, lines);
    }

    press("ButtonClosePhoto");
    EXPECT_FALSE(tools->overlay().isOpen());
    EXPECT_EQ(testing::firstDifference(shown(), canvas()), "");
    EXPECT_TRUE(errors.messages.empty());
}

// B turns Blink on from any view and off again, back to that view; the
// photo and the simulation take turns about twice a second, each turn a
// tick of the blink's timer.
TEST_F(PhotoWindow, BlinkTogglesWithItsKey) {
    clickAt(25, 290);
    open(write("paraboloid.png", testing::makeSyntheticPhoto(paraboloid(), upright())));
    chooseView(PhotoViewKind::Difference);
    form->setFocus();
    QTest::keyClick(form, Qt::Key_B);
    ASSERT_EQ(tools->view(), PhotoViewKind::Blink);
    EXPECT_EQ(form->findChild<QComboBox*>("PhotoView")->currentText(), "Blink");
    QTimer* timer = tools->blinkTimer();
    ASSERT_TRUE(timer->isActive());
    EXPECT_FALSE(timer->isSingleShot());
    EXPECT_GE(timer->interval(), 150);
    EXPECT_LE(timer->interval(), 600);

    const QImage frame = frameImage(tools->overlay().frameColour());
    const RimOnFrame rim = tools->overlay().rimOnFrame();
    ASSERT_TRUE(tools->blinkShowsPhoto());
    EXPECT_EQ(differenceInside(shown(), frame, rim), "");
    // The waits' bounds only keep a broken blink from hanging the test.
    QSignalSpy turns(timer, &QTimer::timeout);
    ASSERT_TRUE(QTest::qWaitFor([&] { return turns.count() % 2 == 1; }, 20000));
    EXPECT_FALSE(tools->blinkShowsPhoto()) << turns.count() << " turns";
    EXPECT_EQ(differenceInside(shown(), canvas(), rim), "");
    ASSERT_TRUE(QTest::qWaitFor([&] { return turns.count() > 0 && turns.count() % 2 == 0; }, 20000));
    EXPECT_TRUE(tools->blinkShowsPhoto()) << turns.count() << " turns";
    EXPECT_EQ(differenceInside(shown(), frame, rim), "");

    QTest::keyClick(form, Qt::Key_B);
    EXPECT_EQ(tools->view(), PhotoViewKind::Difference);
    EXPECT_FALSE(timer->isActive());
}

// While "Adjust" is down the photo follows the pointer: moved from inside,
// scaled from its rim, turned with Shift, nudged by the arrows, and the
// picture is left as it is; "Automatic" brings back the alignment found.
TEST_F(PhotoWindow, AdjustDragsTheCentreTheRimAndTurns) {
    clickAt(25, 290);
    open(write("turned.png", testing::makeSyntheticPhoto(paraboloid(), upright(6))));
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    const FrameMapping found = tools->overlay().mapping();
    const int row = app->mainWindow().scene().setup.position.axialMarkerY;

    // Without Adjust a press on the picture still draws the simulation.
    const QImage first = canvas().copy();
    clickAt(300, 250);
    EXPECT_NE(testing::firstDifference(canvas(), first), "");
    EXPECT_TRUE(tools->overlay().isAutomatic());

    press("ButtonAdjustPhoto");
    ASSERT_TRUE(tools->adjusting());
    const QImage picture = canvas().copy();
    const auto samePhotoPoint = [](const FrameMapping& a, QPointF fa, const FrameMapping& b, QPointF fb) {
        const FramePoint pa = a.toPhoto({fa.x(), fa.y()}), pb = b.toPhoto({fb.x(), fb.y()});
        return std::hypot(pa.x - pb.x, pa.y - pb.y) / a.scale;
    };

    drag({300, 250}, {320, 260});
    FrameMapping m = tools->overlay().mapping();
    for (const QPointF f : {QPointF(300, 250), QPointF(500, 400), QPointF(410, 300)})
        EXPECT_LT(samePhotoPoint(m, f + QPointF(20, 10), found, f), 1e-6) << f.x() << ", " << f.y();
    EXPECT_EQ(testing::firstDifference(canvas(), picture), "");

    const RimOnFrame rim = tools->overlay().rimOnFrame();
    const QPointF onRim(rim.cx + rim.radius - 3, rim.cy);
    const double reach = std::hypot(onRim.x() - kDiskCentreX, onRim.y() - kDiskCentreY);
    drag(onRim, onRim + QPointF(11, 0));
    const RimOnFrame grown = tools->overlay().rimOnFrame();
    EXPECT_NEAR(grown.radius / rim.radius, (reach + 11) / reach, 1e-3);
    EXPECT_NEAR(tools->overlay().mapping().rotationDeg, m.rotationDeg, 1e-9);

    m = tools->overlay().mapping();
    const double normal = tools->overlay().rimOnFrame().normalDeg;
    const QPointF start(kDiskCentreX + 200, kDiskCentreY);
    const double turn = 8 * std::numbers::pi / 180;
    drag(start, QPointF(kDiskCentreX + 200 * std::cos(turn), kDiskCentreY + 200 * std::sin(turn)), Qt::ShiftModifier);
    EXPECT_NEAR(tools->overlay().mapping().rotationDeg, m.rotationDeg - 8, 0.3);
    EXPECT_NEAR(tools->overlay().rimOnFrame().normalDeg, normal + 8, 0.3);
    EXPECT_NEAR(tools->overlay().mapping().scale, m.scale, 1e-12);

    m = tools->overlay().mapping();
    QTest::keyClick(form, Qt::Key_Right);
    EXPECT_LT(samePhotoPoint(tools->overlay().mapping(), QPointF(401, 300), m, QPointF(400, 300)), 1e-9);
    const double radius = tools->overlay().rimOnFrame().radius;
    QTest::keyClick(form, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_NEAR(tools->overlay().rimOnFrame().radius, radius * 276 / 275, 1e-6);
    EXPECT_EQ(app->mainWindow().scene().setup.position.axialMarkerY, row);  // the arrows moved the photo, not the grating
    EXPECT_EQ(testing::firstDifference(canvas(), picture), "");
    EXPECT_FALSE(tools->overlay().isAutomatic());

    press("ButtonAutomaticPhoto");
    EXPECT_TRUE(tools->overlay().isAutomatic());
    EXPECT_EQ(tools->overlay().mapping().cx, found.cx);
    EXPECT_EQ(tools->overlay().mapping().rotationDeg, found.rotationDeg);

    press("ButtonAdjustPhoto");
    EXPECT_FALSE(tools->adjusting());
    QTest::keyClick(form, Qt::Key_Up);
    EXPECT_EQ(app->mainWindow().scene().setup.position.axialMarkerY, row - 1);
    EXPECT_TRUE(tools->overlay().isAutomatic());
    EXPECT_TRUE(errors.messages.empty());
}

// A file that is no picture, a picture without a mirror, and a mirror
// without bands are refused, each with its reason; the photo shown, its
// alignment and the picture stay as they were.
TEST_F(PhotoWindow, RefusedPhotosChangeNothing) {
    clickAt(25, 290);
    QFile text(home.filePath("notes.png"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a photo at all\n");
    text.close();
    QImage black(400, 300, QImage::Format_RGB888);
    black.fill(Qt::black);
    ASSERT_TRUE(black.save(home.filePath("black.png")));
    QImage plain(400, 300, QImage::Format_RGB888);
    plain.fill(qRgb(10, 10, 10));
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            if (std::hypot(x - 200.5, y - 150.5) < 100) plain.setPixel(x, y, qRgb(200, 80, 60));
    ASSERT_TRUE(plain.save(home.filePath("no bands.png")));
    // A dark disk with bands on a bright ground, and a JPEG cut short.
    testing::Camera wide = upright();
    wide.width = 1000, wide.height = 1000, wide.cx = 500, wide.cy = 500, wide.radius = 300;
    testing::SyntheticPhoto inverted = testing::makeSyntheticPhoto(paraboloid(), wide);
    for (std::uint8_t& v : inverted.pixels) v = std::uint8_t(255 - v);
    write("inverted.png", inverted);
    {
        QFile whole(write("whole.jpg", testing::makeSyntheticPhoto(paraboloid(), upright())));
        ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
        const QByteArray bytes = whole.readAll();
        QFile cut(home.filePath("cut.jpg"));
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
        cut.write(bytes.left(bytes.size() * 3 / 4));
    }

    struct Case {
        const char* file;
        const char* reason;
    };
    const Case cases[] = {{"notes.png", "Cannot read the photo \"notes.png\": not a JPEG or PNG picture"},
                          {"black.png", "Cannot use the photo \"black.png\": the photo is blank"},
                          {"no bands.png", "Cannot use the photo \"no bands.png\": no bands"},
                          {"inverted.png", "Cannot use the photo \"inverted.png\": no mirror found: the disk found is "
                                           "darker than the ground around it"},
                          {"cut.jpg", "Cannot read the photo \"cut.jpg\": the JPEG data is cut short or damaged."},
                          {"missing.jpg", "Cannot read the photo \"missing.jpg\""}};
    // Nothing open yet: nothing opens.
    for (const Case& c : cases) {
        errors.messages.clear();
        open(home.filePath(c.file));
        ASSERT_EQ(errors.messages.size(), 1u) << c.file;
        EXPECT_EQ(errors.messages[0].rfind(c.reason, 0), 0u) << errors.messages[0];
        EXPECT_FALSE(tools->overlay().isOpen()) << c.file;
    }
    EXPECT_EQ(testing::firstDifference(shown(), canvas()), "");

    // A photo open and moved: it stays, where it was moved to.
    const QString good = write("paraboloid.png", testing::makeSyntheticPhoto(paraboloid(), upright()));
    open(good);
    press("ButtonAdjustPhoto");
    QTest::keyClick(form, Qt::Key_Left);
    const FrameMapping moved = tools->overlay().mapping();
    const QImage before = shown();
    const QImage picture = canvas().copy();
    for (const Case& c : cases) {
        errors.messages.clear();
        open(home.filePath(c.file));
        ASSERT_EQ(errors.messages.size(), 1u) << c.file;
        EXPECT_EQ(errors.messages[0].rfind(c.reason, 0), 0u) << errors.messages[0];
        EXPECT_EQ(tools->overlay().path(), good);
        EXPECT_EQ(tools->overlay().mapping().cx, moved.cx);
        EXPECT_EQ(tools->overlay().mapping().cy, moved.cy);
    }
    EXPECT_EQ(testing::firstDifference(shown(), before), "");
    EXPECT_EQ(testing::firstDifference(canvas(), picture), "");
    // A cancelled dialog changes nothing either.
    errors.messages.clear();
    dialogs.answers = {std::nullopt};
    press("ButtonOpenPhoto");
    EXPECT_TRUE(errors.messages.empty());
    EXPECT_EQ(tools->overlay().path(), good);
}

// The "?" of the photo controls opens the help on photos and their fit,
// which states what the fit cannot see.
TEST_F(PhotoWindow, HelpOnPhotosStatesTheLimits) {
    press("ButtonPhotoHelp");
    HelpWindow* help = app->helpWindow(HelpTopic::PhotoFit);
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    QStringList lines;
    for (int i = 0; i < help->textList()->count(); ++i) lines << help->textList()->item(i)->text();
    const QString text = lines.join(' ');
    for (const char* topic : {"on the axis", "Focus on the mirror", "band pairs", "No clipping", "Diffraction",
                              "Camera tilt", "lens distortion", "Astigmatism", "Air currents", "central zone",
                              "near the null", "Only the Ronchi test"})
        EXPECT_TRUE(text.contains(topic, Qt::CaseInsensitive)) << topic;
}

// The fit dialog over an opened photo: its controls found by name, the fit
// waited for while the window's events run.
class PhotoFit : public PhotoWindow {
protected:
    // The dialog, set to fit by rays alone: the photos here are drawn by
    // the ray passes. It opens set to a photo's diffraction.
    FitDialog* openDialog() {
        press("ButtonFitPhoto");
        FitDialog* d = tools->fitDialog();
        EXPECT_NE(d, nullptr);
        EXPECT_TRUE(d != nullptr && d->isVisible());
        if (d == nullptr) return d;
        auto* rays = d->findChild<QAbstractButton*>("ModelRays");
        EXPECT_NE(rays, nullptr);
        if (rays != nullptr && !rays->isChecked()) {
            EXPECT_TRUE(d->findChild<QAbstractButton*>("ModelWaves")->isChecked());
            rays->click();
        }
        return d;
    }
    void pressIn(FitDialog* d, const char* name) {
        auto* b = d->findChild<QAbstractButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        ASSERT_TRUE(b->isEnabled()) << name;
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    }
    // Runs the window's events until the fit ends; false after `seconds`.
    bool waitForFit(FitDialog* d, double seconds = 30) {
        return QTest::qWaitFor([d] { return !d->running(); }, int(seconds * 1000));
    }
    void typeIn(FitDialog* d, const char* name, const QString& text) {
        auto* e = d->findChild<QLineEdit*>(name);
        ASSERT_NE(e, nullptr) << name;
        e->selectAll();
        QTest::keyClicks(e, text);
    }
};

// A paraboloid 8 mm outside, the side given: the fit finds the truth while
// the window keeps running its events, shows it with its uncertainties and
// the residual map, and "Apply to simulation" draws the fitted model,
// whose bands then lie on the photo's.
TEST_F(PhotoFit, FitsThePhotoAndAppliesIt) {
    clickAt(25, 290);
    const testing::PhotoTruth truth = paraboloid(8);
    open(write("paraboloid.jpg", testing::makeSyntheticPhoto(truth, upright(3))));
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    FitDialog* d = openDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->findChild<QRadioButton*>("SideUnknown")->isChecked());
    EXPECT_TRUE(d->findChild<QRadioButton*>("SourceFixed")->isChecked());
    pressIn(d, "SideOutside");

    // The fit works on its own thread while the window runs its events: a
    // timer of the window fires, and the fit's progress shows, before the
    // fit's result arrives.
    int ticksWhileRunning = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ticksWhileRunning += d->running() ? 1 : 0; });
    ticker.start(0);
    auto* progress = d->findChild<QProgressBar*>("FitProgress");
    ASSERT_NE(progress, nullptr);
    QList<int> progressWhileRunning;
    QObject::connect(progress, &QProgressBar::valueChanged, [&](int value) {
        if (d->running()) progressWhileRunning << value;
    });
    QStringList stages;
    auto* stage = d->findChild<QLabel*>("FitStage");
    pressIn(d, "FitButton");
    ASSERT_TRUE(d->running());
    EXPECT_FALSE(d->findChild<QAbstractButton*>("FitButton")->isEnabled());
    // The bound only keeps a fit that never ends from hanging the test.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            if (!d->running()) return true;
            if (!stages.contains(stage->text())) stages << stage->text();
            return false;
        },
        300000));
    ticker.stop();
    EXPECT_GT(ticksWhileRunning, 0) << "the window's events waited for the fit";
    EXPECT_FALSE(progressWhileRunning.isEmpty()) << "no progress shown during the fit";
    EXPECT_EQ(progress->value(), 100);
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    ASSERT_TRUE(d->result().has_value());
    for (const QString& s : stages)
        EXPECT_TRUE(s == "Finding the band edges\u2026" || s == "Searching the offset and the conic\u2026" ||
                    s == "Fitting the band edges\u2026" || s == "Estimating the uncertainties\u2026")
            << s.toStdString();
    EXPECT_FALSE(stages.isEmpty());
    EXPECT_TRUE(stage->text().startsWith("Fitted in ")) << stage->text().toStdString();

    const FitResult& r = *d->result();
    EXPECT_NEAR(r.conic.value, -1, 0.03);
    EXPECT_NEAR(r.offset.value, 8, 0.25);
    EXPECT_EQ(r.side, Side::Outside);
    EXPECT_EQ(r.sideFrom, SideFrom::Given);
    const QString text = d->findChild<QPlainTextEdit*>("FitResultText")->toPlainText();
    EXPECT_TRUE(text.contains("outside the centre of curvature (as given)")) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromStdString("Conic    " + formatFixed(r.conic.value, 15, 4) + " \u00b1 ")))
        << text.toStdString();
    const QLabel* map = d->findChild<QLabel*>("ResidualMap");
    ASSERT_FALSE(map->pixmap().isNull());
    // The whole map, scaled down, neither cut nor stretched.
    EXPECT_EQ(map->pixmap().size(), map->size());
    EXPECT_EQ(map->pixmap().width(), map->pixmap().height());
    EXPECT_NE(tools->fitOnFrame(), nullptr);

    pressIn(d, "ApplyButton");
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    const Scene& m = form->scene();
    // The grid holds 15 digits, which the drawing reads back.
    EXPECT_NEAR(m.mirror.conicConstant, r.conic.value, 1e-13);
    EXPECT_EQ(m.setup.position.axialOffset, r.offset.value);
    EXPECT_EQ(m.setup.position.transverseOffset, r.parameters.transverse);
    EXPECT_EQ(m.setup.position.axialMarkerY, rowForPosition(r.offset.value, 20));
    EXPECT_EQ(form->controls().parameterCell(kRowConic), formatGeneral(r.conic.value));
    EXPECT_EQ(form->controls().orientationItem(), kOrientVertical);
    EXPECT_EQ(form->controls().surfaceItem(), kSurfacePure);
    EXPECT_EQ(form->axialReadout()->text().toStdString(), formatGeneral(r.offset.value));
    EXPECT_GT(testing::countColour(canvas(), kPalette.rayColour), 10000);

    // The simulation now lies on the photo: hardly a pixel where one is
    // bright and the other dark.
    chooseView(PhotoViewKind::Difference);
    const QImage seen = shown();
    int disagree = 0, inside = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            if (fromCentre(x + 0.5, y + 0.5) > 265) continue;
            ++inside;
            disagree += seen.pixel(x, y) == kPhotoOnlyColour || seen.pixel(x, y) == kSimulationOnlyColour;
        }
    EXPECT_LT(disagree, inside * 3 / 100);
}

// Cancel stops a running fit: no result, no message, Fit ready again.
// Moving the photo after a fit takes its edges off the Edges view.
TEST_F(PhotoFit, CancelStopsTheFit) {
    clickAt(25, 290);
    open(write("paraboloid.png", testing::makeSyntheticPhoto(paraboloid(8), upright())));
    // The tester's source as the main window's box says.
    form->controls().setMovingSourceChecked(true);
    FitDialog* d = openDialog();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->findChild<QRadioButton*>("SourceMoving")->isChecked());
    EXPECT_TRUE(d->request().mirror.sourceMoves);
    pressIn(d, "FitButton");
    ASSERT_TRUE(d->running());
    pressIn(d, "CancelButton");
    ASSERT_TRUE(waitForFit(d, 5));
    EXPECT_EQ(d->findChild<QLabel*>("FitStage")->text(), "Cancelled");
    EXPECT_FALSE(d->result().has_value());
    EXPECT_TRUE(errors.messages.empty());
    EXPECT_EQ(tools->fitOnFrame(), nullptr);
    EXPECT_TRUE(d->findChild<QAbstractButton*>("FitButton")->isEnabled());
    EXPECT_FALSE(d->findChild<QAbstractButton*>("ApplyButton")->isEnabled());

    pressIn(d, "FitButton");
    ASSERT_TRUE(waitForFit(d));
    ASSERT_TRUE(d->result().has_value());
    EXPECT_NE(tools->fitOnFrame(), nullptr);
    press("ButtonAdjustPhoto");
    QTest::keyClick(form, Qt::Key_Left);
    EXPECT_EQ(tools->fitOnFrame(), nullptr);

    // A zone's radius that is no fraction of the mirror's is refused.
    pressIn(d, "ZoneEdge");
    typeIn(d, "ZoneRadius", "1.2");
    pressIn(d, "FitButton");
    EXPECT_FALSE(d->running());
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], "The zone's radius takes a fraction of the radius from 0.1 to 0.95.");
}

// The values shadowgram-fit refuses, the dialog refuses before the fit
// starts, in the same words: a ruling or a diameter beyond the model's
// reach, a zone's start beyond the fit's range.
TEST_F(PhotoFit, ValuesBeyondTheModelAreRefusedBeforeTheFit) {
    clickAt(25, 290);
    open(write("paraboloid.png", testing::makeSyntheticPhoto(paraboloid(8), upright())));
    FitDialog* d = openDialog();
    ASSERT_NE(d, nullptr);
    struct Case {
        int row;
        const char* cell;
        const char* message;
    };
    const Case cases[] = {
        {kRowLinesPerMm, "1e308",
         "The ruling (Line/mm) of 1e+308 is beyond the model's reach: the band width, 1 / (2 lines per mm), would "
         "be 0 mm."},
        {kRowDiameter, "1e-200",
         "The mirror's diameter (D) of 1e-200 is beyond the model's reach: the square of the mirror's radius would "
         "be 0 mm^2."},
        {kRowRadius, "1e300", "The radius of curvature (R) of 1e+300 is beyond the model's reach: 8 R^3 of the "
                              "conic's series would be inf mm^3."},
    };
    for (const Case& c : cases) {
        const std::string before = form->controls().parameterCell(c.row);
        form->controls().setParameterCell(c.row, c.cell);
        errors.messages.clear();
        pressIn(d, "FitButton");
        EXPECT_FALSE(d->running()) << c.cell;
        ASSERT_EQ(errors.messages.size(), 1u) << c.cell;
        EXPECT_EQ(errors.messages[0], c.message);
        form->controls().setParameterCell(c.row, before);
    }
    pressIn(d, "ZoneCentre");
    typeIn(d, "ZoneRadius", "0.05");
    errors.messages.clear();
    pressIn(d, "FitButton");
    EXPECT_FALSE(d->running());
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], "The zone's radius takes a fraction of the radius from 0.1 to 0.95.");
}

// A turned edge, drawn by the exact trace: the zone fitted where the user
// puts it, and applied with its height, the exact trace, the distorted
// surface and the editor's knots.
TEST_F(PhotoFit, AFittedZoneGoesToTheEditorAndTheSimulation) {
    testing::PhotoTruth truth = paraboloid(9);
    truth.mirror.radius = 1800;
    truth.mirror.exact = true;
    truth.parameters.conic = -0.95;
    truth.zone = ZoneShape{ZoneKind::Edge, 0.78};
    truth.parameters.zoneHeight = -0.3;
    form->controls().setParameterCell(kRowRadius, "1800");
    open(write("turned edge.png", testing::makeSyntheticPhoto(truth, upright(-4))));
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    FitDialog* d = openDialog();
    ASSERT_NE(d, nullptr);
    pressIn(d, "SideOutside");
    pressIn(d, "ZoneEdge");
    typeIn(d, "ZoneRadius", "0.78");
    pressIn(d, "FitButton");
    ASSERT_TRUE(waitForFit(d));
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    ASSERT_TRUE(d->result().has_value());
    const FitResult& r = *d->result();
    ASSERT_TRUE(r.zoneHeight.has_value());
    EXPECT_NEAR(r.zoneHeight->value, -0.3, 0.06);
    EXPECT_NEAR(r.conic.value, -0.95, 0.08);
    EXPECT_TRUE(d->findChild<QPlainTextEdit*>("FitResultText")->toPlainText().contains("turned edge from 0.78"));

    pressIn(d, "ApplyButton");
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    const Scene& m = form->scene();
    const EditorShape& shape = app->shape();
    EXPECT_EQ(form->controls().surfaceItem(), kSurfaceDistorted);
    EXPECT_TRUE(form->controls().exactTraceChecked());
    EXPECT_EQ(form->controls().parameterCell(kRowZoneHeight), formatGeneral(r.zoneHeight->value));
    EXPECT_NEAR(m.mirror.zoneHeight, r.zoneHeight->value, 1e-13);
    EXPECT_TRUE(m.mirror.distorted());
    const auto knots = zoneKnots(r.zone);
    for (int k = 0; k < kKnotCount; ++k) EXPECT_EQ(shape.knotHeight[std::size_t(k)], knots[std::size_t(k)]) << k;
    EXPECT_NEAR(m.mirror.conicConstant, r.conic.value, 1e-13);
    EXPECT_GT(testing::countColour(canvas(), kPalette.rayColour), 10000);
    // The editor took the knots as an edit of its own: undone there.
    app->editorWindow().undoEdit();
    EXPECT_NE(shape.knotHeight[2], knots[2]);
}

// A near-sphere whose side only a second photo can tell: chosen in the
// dialog (a file that is no photo refused first), its separation typed,
// and the side comes from the pair.
TEST_F(PhotoFit, ASecondPhotoTellsTheSide) {
    testing::PhotoTruth first = paraboloid(8);
    first.parameters.conic = -0.1;
    testing::PhotoTruth second = first;
    second.parameters.offset = 9;
    open(write("first.png", testing::makeSyntheticPhoto(first, upright(2))));
    const QString secondPath = write("second.png", testing::makeSyntheticPhoto(second, upright(-3)));
    QFile text(home.filePath("notes.png"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("no photo");
    text.close();
    FitDialog* d = openDialog();
    ASSERT_NE(d, nullptr);
    auto* name = d->findChild<QLabel*>("SecondPhotoName");

    dialogs.answers = {home.filePath("notes.png")};
    pressIn(d, "SecondPhoto");
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0].rfind("Cannot read the photo \"notes.png\"", 0), 0u) << errors.messages[0];
    EXPECT_EQ(name->text(), "none");
    errors.messages.clear();

    dialogs.answers = {secondPath};
    pressIn(d, "SecondPhoto");
    EXPECT_EQ(dialogs.asked.back().caption, "Open Second Photo");
    EXPECT_EQ(name->text(), "second.png");
    typeIn(d, "Separation", "1");
    pressIn(d, "FitButton");
    ASSERT_TRUE(waitForFit(d));
    ASSERT_TRUE(errors.messages.empty()) << errors.messages.front();
    ASSERT_TRUE(d->result().has_value());
    const FitResult& r = *d->result();
    EXPECT_EQ(r.sideFrom, SideFrom::SecondPhoto);
    EXPECT_EQ(r.side, Side::Outside);
    EXPECT_NEAR(r.offset.value, 8, 0.25);
    EXPECT_NEAR(r.conic.value, -0.1, 0.03);
    EXPECT_TRUE(d->findChild<QPlainTextEdit*>("FitResultText")->toPlainText().contains("mm for the second photo"));
}

}  // namespace
}  // namespace sg

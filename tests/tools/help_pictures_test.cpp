// SPDX-License-Identifier: GPL-3.0-or-later
// Tests of the help pictures: the band geometry behind the drawn patterns,
// the two bitmap conversions, the placing of the simulated and cut-out
// pictures, and the files the generator writes.

#include "tools/help_pictures/band_fields.h"
#include "tools/help_pictures/bitmap_writers.h"
#include "tools/help_pictures/picture_list.h"
#include "tools/help_pictures/pictures.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <stdexcept>

namespace {

// Where a band boundary (position `n` bands) lies along the row y, going
// out from the centre to the right.
double boundaryX(const hp::BandField& field, double y, double n) {
    double lo = 0, hi = std::sqrt(1 - y * y);
    for (int i = 0; i < 60; ++i) {
        const double mid = (lo + hi) / 2;
        (std::fabs(field(mid, y)) < n ? lo : hi) = mid;
    }
    return (lo + hi) / 2;
}

TEST(BandFields, BandsAreNumberedFromABrightCentreAsTheShadowgramNumbersThem) {
    EXPECT_FALSE(hp::darkAt(0.0, false));
    EXPECT_FALSE(hp::darkAt(0.49, false));
    EXPECT_TRUE(hp::darkAt(0.51, false));
    EXPECT_TRUE(hp::darkAt(-1.2, false));
    EXPECT_FALSE(hp::darkAt(-2.4, false));
    // "Odd" turns every band over.
    EXPECT_TRUE(hp::darkAt(0.0, true));
    EXPECT_FALSE(hp::darkAt(1.0, true));
}

TEST(BandFields, SphereBandsAreStraightAndEvenlySpaced) {
    const hp::BandField sphere = hp::sphereField(-3.0);
    for (double n : {0.5, 1.5, 2.5}) {
        const double atCentre = boundaryX(sphere, 0, n);
        EXPECT_NEAR(atCentre, n / 3.0, 1e-9);
        EXPECT_NEAR(boundaryX(sphere, 0.5, n), atCentre, 1e-9) << "band edge " << n;
    }
}

TEST(BandFields, ParaboloidBandsBowOutwardInsideAndInwardOutsideTheCentreOfCurvature) {
    // Inside: the edge zones cross further out, so a band's edge comes
    // nearer the middle towards the top of the disk: the bands bulge out.
    const hp::BandField inside = hp::paraboloidField(-1.6, 1.9);
    EXPECT_LT(boundaryX(inside, 0.7, 1.5), boundaryX(inside, 0, 1.5) - 0.05);
    // Outside, past the centre, the same zones bend the bands the other way.
    const hp::BandField outside = hp::paraboloidField(3.5, 1.9);
    EXPECT_GT(boundaryX(outside, 0.6, 1.5), boundaryX(outside, 0, 1.5) + 0.05);
}

TEST(BitmapConversion, MonoThresholdsAtMidGreyWithoutDitheringAndClearsThePadding) {
    QImage grey(37, 3, QImage::Format_RGB32);  // 37 columns: the rows carry padding bits
    for (int x = 0; x < 37; ++x)
        for (int y = 0; y < 3; ++y) grey.setPixel(x, y, qRgb(7 * x, 7 * x, 7 * x));
    const QImage mono = hp::toMono(grey);
    ASSERT_EQ(mono.format(), QImage::Format_Mono);
    ASSERT_EQ(mono.colorTable(), QList<QRgb>({qRgb(0, 0, 0), qRgb(255, 255, 255)}));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 37; ++x) EXPECT_EQ(mono.pixelIndex(x, y), 7 * x < 128 ? 0 : 1) << x << "," << y;
    // The last byte of each row: 37 = 4 * 8 + 5 bits used, 3 bits of padding.
    for (int y = 0; y < 3; ++y) EXPECT_EQ(mono.constScanLine(y)[4] & 0x07, 0);
}

TEST(BitmapConversion, SixteenColoursKeepsEveryColourAndRefusesASeventeenth) {
    QImage sixteen(16, 2, QImage::Format_RGB32);
    for (int x = 0; x < 16; ++x) {
        sixteen.setPixel(x, 0, qRgb(16 * x, 255 - 16 * x, 3 * x));
        sixteen.setPixel(x, 1, qRgb(16 * (15 - x), 255 - 16 * (15 - x), 3 * (15 - x)));
    }
    const QImage indexed = hp::toSixteenColours(sixteen);
    EXPECT_EQ(indexed.format(), QImage::Format_Indexed8);
    EXPECT_EQ(indexed.colorCount(), 16);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 16; ++x) EXPECT_EQ(indexed.pixel(x, y), sixteen.pixel(x, y));

    QImage seventeen = sixteen.copy(0, 0, 17, 2);
    seventeen.setPixel(16, 0, qRgb(1, 2, 3));
    seventeen.setPixel(16, 1, qRgb(1, 2, 3));
    EXPECT_THROW(hp::toSixteenColours(seventeen), std::runtime_error);
}

// How red a pixel is against the black disk.
int redness(QRgb c) { return qRed(c) - qGreen(c); }

// The mismatch between the two halves of a disk's middle rows when they
// are folded about the column between `middle - 1` and `middle`, out to
// just past the disk's rim.
long foldMismatch(const QImage& image, int middle, int cy, int radius) {
    long mismatch = 0;
    for (int y = cy - 8; y <= cy + 8; ++y)
        for (int d = 0; d < radius + 3; ++d)
            mismatch += std::abs(redness(image.pixel(middle - 1 - d, y)) - redness(image.pixel(middle + d, y)));
    return mismatch;
}

TEST(SimulatedImages, EachDiskIsCentredInItsCellWithPlainCorners) {
    // The Ronchi pattern of a conic with the grating on the axis is the same
    // on both sides of the disk's vertical diameter, and so is the disk's
    // rim: the picture folds best about the middle of its cell.
    const QImage row = hp::drawImagesPositions();
    const int diameter = 108, top = 2;
    const QRgb background = row.pixel(0, 0);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const int left = int(std::lround(467.0 / 4 * (i + 0.5) - diameter / 2.0));
        const int middle = left + diameter / 2, cy = top + diameter / 2;
        int best = 0;
        for (int shift = -4; shift <= 4; ++shift)
            if (foldMismatch(row, middle + shift, cy, diameter / 2) < foldMismatch(row, middle + best, cy, diameter / 2))
                best = shift;
        EXPECT_EQ(best, 0);
        EXPECT_EQ(row.pixel(left + 2, top + 2), background);
        EXPECT_EQ(row.pixel(left + diameter - 3, top + diameter - 3), background);
        EXPECT_NE(row.pixel(middle, cy), background);
    }
}

// Changes between red and dark along the centre row of a disk.
int bandEdges(const QImage& image, int left, int diameter, int y) {
    int edges = 0;
    bool red = redness(image.pixel(left + 4, y)) > 100;
    for (int x = left + 4; x < left + diameter - 4; ++x) {
        const bool now = redness(image.pixel(x, y)) > 100;
        edges += now != red;
        red = now;
    }
    return edges;
}

TEST(SimulatedImages, FinerRulingsShowMoreBandsAndTheCutColumnsStayPlain) {
    const QImage row = hp::drawImagesGratings();
    const int diameter = 160, y = 8 + diameter / 2;
    int edges[3];
    for (int i = 0; i < 3; ++i) {
        const int left = int(std::lround(489.0 / 3 * (i + 0.5) - diameter / 2.0));
        edges[i] = bandEdges(row, left, diameter, y);
    }
    EXPECT_LT(edges[0], edges[1]);
    EXPECT_LT(edges[1], edges[2]);
    const QRgb background = row.pixel(0, 0);
    for (int x = 489; x < 493; ++x)
        for (int yy = 0; yy < 192; ++yy) ASSERT_EQ(row.pixel(x, yy), background) << x << "," << yy;
}

// The knife picture of the "Images" page stands where its caption says: at
// the axis crossing of the 70 % zone, so that along the centre row the
// changeover between lit and dark lies at 70 % of the radius, the left half
// lit inside that circle and the right half lit outside it.
TEST(SimulatedImages, TheKnifeChangesOverAtTheSeventyPercentZone) {
    const QImage row = hp::drawImagesTests();
    const int diameter = 72, top = 5, radius = diameter / 2;
    const int left = int(std::lround(150.0 / 2 * 0.5 - diameter / 2.0));
    const int middle = left + radius, cy = top + radius;
    // Lit where most of five neighbouring rows are red.
    auto lit = [&](int x) {
        int red = 0;
        for (int y = cy - 2; y <= cy + 2; ++y) red += redness(row.pixel(x, y)) > 100;
        return red >= 3;
    };
    EXPECT_FALSE(lit(middle - int(0.85 * radius)));
    EXPECT_TRUE(lit(middle - int(0.35 * radius)));
    EXPECT_FALSE(lit(middle + int(0.35 * radius)));
    EXPECT_TRUE(lit(middle + int(0.85 * radius)));
    int x = middle - 3;
    while (x > left && lit(x)) --x;
    EXPECT_NEAR(double(middle - x) / radius, 0.70, 0.07);
    x = middle + 3;
    while (x < left + diameter && !lit(x)) ++x;
    EXPECT_NEAR(double(x - middle) / radius, 0.70, 0.07);
}

TEST(HelpBitmaps, TheCutOutsHoldTheWholeDiagrams) {
    const QRgb grey = qRgb(128, 128, 128), black = qRgb(0, 0, 0), silver = qRgb(192, 192, 192);
    // The slider: its line on row 470 of the window (15 here) from column 1
    // to 48, the marker dot in the middle, the read-out below.
    const QImage slider = hp::drawHelpTransverse();
    EXPECT_EQ(slider.pixel(1, 15), grey);
    EXPECT_EQ(slider.pixel(48, 15), grey);
    EXPECT_EQ(slider.pixel(25, 15), black);
    EXPECT_EQ(slider.pixel(50, 15), silver);
    int textPixels = 0;
    for (int y = 30; y < 49; ++y)
        for (int x = 0; x < 55; ++x) textPixels += slider.pixel(x, y) == black;
    EXPECT_GT(textPixels, 20);
    // The axial diagram: both rays from their first row (225, 4 here) to
    // their last (424, 203), crossing at the marker on row 325 (104).
    const QImage axial = hp::drawHelpAxial();
    for (int y : {4, 60, 150, 203}) {
        int greys = 0;
        for (int x = 0; x < 51; ++x) greys += axial.pixel(x, y) == grey;
        EXPECT_EQ(greys, 2) << "row " << y;
    }
    EXPECT_EQ(axial.pixel(25, 104), black);
}

// The generator run into a fresh folder; returns the folder's path.
int runGenerator(const QStringList& args, QByteArray* out = nullptr) {
    QProcess process;
    process.start(QStringLiteral(HELP_PICTURES_TOOL), args);
    if (!process.waitForFinished(120000)) return -1;
    if (out) *out = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

std::uint32_t le32(const QByteArray& d, int at) {
    return std::uint32_t(std::uint8_t(d[at])) | std::uint32_t(std::uint8_t(d[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(d[at + 2])) << 16 | std::uint32_t(std::uint8_t(d[at + 3])) << 24;
}

std::uint16_t le16(const QByteArray& d, int at) {
    return std::uint16_t(std::uint8_t(d[at]) | std::uint8_t(d[at + 1]) << 8);
}

// Checks a BMP's header against the picture's size and format.
void checkBmp(const QByteArray& d, const hp::Picture& picture) {
    ASSERT_GE(d.size(), 62);
    ASSERT_TRUE(d.startsWith("BM"));
    EXPECT_EQ(int(le32(d, 18)), picture.width);
    EXPECT_EQ(int(le32(d, 22)), picture.height);
    const int bits = le16(d, 28);
    const std::uint32_t colours = le32(d, 46) ? le32(d, 46) : (1u << bits);
    if (picture.format == hp::Format::Mono) {
        EXPECT_EQ(bits, 1);
        EXPECT_EQ(le32(d, 54) & 0xffffff, 0u);         // index 0 black
        EXPECT_EQ(le32(d, 58) & 0xffffff, 0xffffffu);  // index 1 white
    } else {
        EXPECT_EQ(bits, 4);
        EXPECT_LE(colours, 16u);
    }
}

// Checks that a JPEG is baseline with three components, of the picture's
// size, with no comment.
void checkJpeg(const QByteArray& d, const hp::Picture& picture) {
    ASSERT_TRUE(d.startsWith("\xff\xd8"));
    bool frame = false;
    int at = 2;
    while (at + 4 <= d.size() && std::uint8_t(d[at]) == 0xff) {
        const int marker = std::uint8_t(d[at + 1]);
        const int length = std::uint8_t(d[at + 2]) << 8 | std::uint8_t(d[at + 3]);
        EXPECT_NE(marker, 0xfe) << "a comment";
        EXPECT_NE(marker, 0xc2) << "progressive";
        if (marker == 0xc0) {
            frame = true;
            EXPECT_EQ(std::uint8_t(d[at + 5]) << 8 | std::uint8_t(d[at + 6]), picture.height);
            EXPECT_EQ(std::uint8_t(d[at + 7]) << 8 | std::uint8_t(d[at + 8]), picture.width);
            EXPECT_EQ(int(d[at + 9]), 3);
        }
        if (marker == 0xda) break;
        at += 2 + length;
    }
    EXPECT_TRUE(frame) << "no baseline frame";
}

TEST(Generator, WritesEveryPictureInItsFormatAndTheSameBytesEveryRun) {
    QTemporaryDir first, second;
    ASSERT_TRUE(first.isValid() && second.isValid());
    const QString outA = first.filePath("pictures"), outB = second.filePath("a/b");
    ASSERT_EQ(runGenerator({outA}), 0);
    ASSERT_EQ(runGenerator({outB}), 0);
    EXPECT_EQ(QDir(outA).entryList(QDir::Files).size(), qsizetype(hp::allPictures().size()));
    for (const hp::Picture& picture : hp::allPictures()) {
        SCOPED_TRACE(picture.file);
        QFile a(QDir(outA).filePath(picture.file)), b(QDir(outB).filePath(picture.file));
        ASSERT_TRUE(a.open(QIODevice::ReadOnly));
        ASSERT_TRUE(b.open(QIODevice::ReadOnly));
        const QByteArray bytes = a.readAll();
        EXPECT_TRUE(bytes == b.readAll()) << "the two runs differ";
        if (picture.format == hp::Format::Jpeg)
            checkJpeg(bytes, picture);
        else
            checkBmp(bytes, picture);
    }
}

TEST(Generator, ReportsUsageAndFailuresByItsExitStatus) {
    QByteArray out;
    EXPECT_EQ(runGenerator({"--help"}, &out), 0);
    EXPECT_TRUE(out.startsWith("Usage: shadowgram-help-pictures OUTPUT_DIR"));
    EXPECT_EQ(runGenerator({}), 2);
    EXPECT_EQ(runGenerator({"a", "b"}), 2);
    EXPECT_EQ(runGenerator({"--bogus"}), 2);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A folder where a picture should go stops the run.
    ASSERT_TRUE(QDir(dir.path()).mkpath("out/test_principle.bmp"));
    EXPECT_EQ(runGenerator({dir.filePath("out")}), 1);
    // So does an output folder under a plain file.
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(runGenerator({dir.filePath("plain/out")}), 1);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// SPDX-License-Identifier: GPL-3.0-or-later
// shadowgram-fit as users run it: a photo in, the figures out as text or
// JSON, the overlay written; the fitted offset is the one the renderer
// draws the photo's picture at; photos that are unreadable, tiny, blank or
// of no mirror, and command lines that cannot be used, refused with their
// exit status and a message saying why.
#include "tests/support/comma_locales.h"
#include "tests/support/raw_process.h"
#include "tests/support/synthetic_photo.h"

#include <QFile>
#include <QBuffer>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include <sys/stat.h>

namespace sg {
namespace {

using testing::runRaw;

const std::string kFit = SHADOWGRAM_FIT;
const std::string kRender = SHADOWGRAM_RENDER;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string number(double v) { return QString::number(v, 'g', 17).toStdString(); }

// A paraboloid of 200 mm at f/5 with 4 lines per mm, 8 mm outside the
// centre of curvature, photographed nearly upright.
testing::PhotoTruth paraboloid() {
    testing::PhotoTruth t;
    t.mirror.diameter = 200;
    t.mirror.radius = 2000;
    t.mirror.linesPerMm = 4;
    t.parameters.conic = -1;
    t.parameters.offset = 8;
    t.parameters.transverse = 0.25;
    return t;
}

testing::Camera camera(double rotation, std::uint32_t seed) {
    testing::Camera c;
    c.width = 700, c.height = 640, c.cx = 351.2, c.cy = 318.7, c.radius = 260, c.rotationDeg = rotation;
    c.blur = 1.5, c.gamma = 1.2, c.noise = 0.01, c.vignetting = 0.2, c.seed = seed;
    return c;
}

std::vector<std::string> mirrorArgs(const testing::PhotoTruth& t) {
    return {"--diameter", number(t.mirror.diameter), "--radius", number(t.mirror.radius), "--lines",
            number(t.mirror.linesPerMm)};
}

class FitTool : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    std::string path(const std::string& name) const { return QFile::encodeName(dir.filePath(QString::fromStdString(name))).toStdString(); }
    std::string photo(const std::string& name, const testing::PhotoTruth& t, const testing::Camera& c) {
        EXPECT_TRUE(testing::savePhoto(testing::makeSyntheticPhoto(t, c), path(name)));
        return path(name);
    }
    std::string picture(const std::string& name, const QImage& image) {
        EXPECT_TRUE(image.save(QString::fromStdString(path(name))));
        return path(name);
    }
    testing::RawRun fit(std::vector<std::string> args, const std::vector<std::string>& env = {},
                        std::chrono::milliseconds limit = std::chrono::seconds(60)) {
        args.insert(args.begin(), kFit);
        return runRaw(args, env, limit);
    }
    QTemporaryDir dir;
};

// The JSON holds the stable keys with the figures of the photo's mirror,
// and the text the same figures; both say the side was given.
TEST_F(FitTool, FiguresAsJsonAndText) {
    const testing::PhotoTruth t = paraboloid();
    const std::string jpeg = photo("mirror.jpg", t, camera(3, 1));
    std::vector<std::string> args = {jpeg, "--outside", "--json"};
    const std::vector<std::string> mirror = mirrorArgs(t);
    args.insert(args.end(), mirror.begin(), mirror.end());
    const testing::RawRun run = fit(args);
    ASSERT_EQ(run.exitCode, 0) << run.standardError;
    EXPECT_TRUE(run.standardError.empty()) << run.standardError;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(run.standardOutput), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.standardOutput;
    const QJsonObject o = doc.object();
    for (const char* key : {"conic", "conic_sigma", "offset_mm", "offset_sigma_mm", "side", "zone_height", "disk",
                            "edges_used", "edge_rms_px", "seconds"})
        EXPECT_TRUE(o.contains(key)) << key;
    EXPECT_NEAR(o["conic"].toDouble(), -1, 0.03);
    EXPECT_GT(o["conic_sigma"].toDouble(), 0);
    EXPECT_NEAR(o["offset_mm"].toDouble(), 8, 0.25);
    EXPECT_EQ(o["side"].toString(), "outside");
    EXPECT_TRUE(o["zone_height"].isNull());
    const QJsonObject disk = o["disk"].toObject();
    EXPECT_NEAR(disk["cx"].toDouble(), 351.2, 0.5);
    EXPECT_NEAR(disk["cy"].toDouble(), 318.7, 0.5);
    EXPECT_NEAR(disk["r"].toDouble(), 260, 1.5);
    EXPECT_NEAR(disk["band_normal_deg"].toDouble(), 3, 0.5);
    EXPECT_GT(o["edges_used"].toInt(), 300);
    EXPECT_LT(o["edge_rms_px"].toDouble(), 1);
    EXPECT_GT(o["seconds"].toDouble(), 0);

    args.erase(args.begin() + 2);  // text
    const testing::RawRun text = fit(args);
    ASSERT_EQ(text.exitCode, 0) << text.standardError;
    const std::string offset = "offset   +" + QString::number(o["offset_mm"].toDouble(), 'f', 4).toStdString() + " +/- ";
    EXPECT_TRUE(contains(text.standardOutput, offset)) << text.standardOutput;
    EXPECT_TRUE(contains(text.standardOutput, "outside the centre of curvature (given)")) << text.standardOutput;
    EXPECT_TRUE(contains(text.standardOutput, "conic    " + QString::number(o["conic"].toDouble(), 'f', 5).toStdString()))
        << text.standardOutput;
    EXPECT_TRUE(contains(text.standardOutput, "correction ")) << text.standardOutput;
    EXPECT_TRUE(contains(text.standardOutput, "edges    ")) << text.standardOutput;

    // In a comma locale the numbers keep their points.
    for (const char* locale : testing::kCommaLocales) {
        if (!testing::commaLocaleInstalled(locale)) continue;
        const testing::RawRun there = fit(args, {std::string("LC_ALL=") + locale});
        ASSERT_EQ(there.exitCode, 0) << there.standardError;
        EXPECT_TRUE(contains(there.standardOutput, offset)) << locale << ": " << there.standardOutput;
    }
}

// The offset, conic and transverse phase fitted are the renderer's: its
// picture at them lights the photo's bright bands, as the overlay puts
// the photo on the frame.
TEST_F(FitTool, TheRendererDrawsThePhotoAtTheFittedOffset) {
    const testing::PhotoTruth t = paraboloid();
    const std::string png = photo("mirror.png", t, camera(-2, 2));
    std::vector<std::string> args = {png, "--outside", "--json", "--overlay", path("overlay.png")};
    const std::vector<std::string> mirror = mirrorArgs(t);
    args.insert(args.end(), mirror.begin(), mirror.end());
    const testing::RawRun run = fit(args);
    ASSERT_EQ(run.exitCode, 0) << run.standardError;
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(run.standardOutput)).object();
    const QImage overlay(QString::fromStdString(path("overlay.png")));
    ASSERT_EQ(overlay.size(), QSize(800, 700));

    std::vector<std::string> render = {kRender, "--axial", number(o["offset_mm"].toDouble()), "--conic",
                                       number(o["conic"].toDouble()), "--transverse",
                                       number(o["transverse_bands"].toDouble()), "--brighten", "2", "-o",
                                       path("render.png")};
    render.insert(render.end(), mirror.begin(), mirror.end());
    const testing::RawRun drawn = runRaw(render);
    ASSERT_EQ(drawn.exitCode, 0) << drawn.standardError;
    const QImage picture(QString::fromStdString(path("render.png")));
    int lit = 0, inDark = 0;
    for (int y = 40; y < 560; ++y)
        for (int x = 150; x < 670; ++x) {
            if (picture.pixel(x, y) != qRgb(255, 0, 0)) continue;
            ++lit;
            // The photo's brightness there, red being its strongest channel.
            if (qRed(overlay.pixel(x, y)) < 60) ++inDark;
        }
    EXPECT_GT(lit, 30000);
    // Only the blurred pixels along the band edges may read dark.
    EXPECT_LT(inDark, lit / 50) << inDark << " of " << lit;
}

// A phone stores a portrait photo on its side with an orientation tag: the
// photo is fitted as it is seen, turned upright.
TEST_F(FitTool, APhotoIsTurnedUprightByItsOrientationTag) {
    const testing::PhotoTruth t = paraboloid();
    const testing::SyntheticPhoto stored = testing::makeSyntheticPhoto(t, camera(2, 5));
    const QImage image(stored.pixels.data(), stored.width, stored.height, stored.width * 3, QImage::Format_RGB888);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "JPEG", 90));
    // An EXIF segment after the start of the image: one entry, the
    // orientation (0x0112), 6: turn a quarter clockwise to show.
    const char exif[] = {'\xFF', '\xE1', 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0,
                         1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0};
    jpeg.insert(2, QByteArray(exif, sizeof exif));
    QFile file(QString::fromStdString(path("portrait.jpg")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(jpeg);
    file.close();
    std::vector<std::string> args = {path("portrait.jpg"), "--outside", "--json"};
    const std::vector<std::string> mirror = mirrorArgs(t);
    args.insert(args.end(), mirror.begin(), mirror.end());
    const testing::RawRun run = fit(args);
    ASSERT_EQ(run.exitCode, 0) << run.standardError;
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(run.standardOutput)).object();
    // Turned a quarter clockwise: (x, y) of the stored photo is seen at
    // (height - y, x), and the upright bands lie level.
    const QJsonObject disk = o["disk"].toObject();
    EXPECT_NEAR(disk["cx"].toDouble(), stored.height - 318.7, 0.5);
    EXPECT_NEAR(disk["cy"].toDouble(), 351.2, 0.5);
    EXPECT_NEAR(disk["band_normal_deg"].toDouble(), 2 + 90 - 180, 0.5);
    EXPECT_NEAR(o["conic"].toDouble(), -1, 0.03);
    EXPECT_NEAR(o["offset_mm"].toDouble(), 8, 0.25);
}

// What cannot be a photo of a mirror is refused, saying why: a file that
// is no picture, a pipe, a picture too small, a blank one (status 2), and
// pictures of something else or of a mirror without bands (status 1).
TEST_F(FitTool, PhotosThatCannotBeFittedAreRefused) {
    const std::vector<std::string> mirror = mirrorArgs(paraboloid());
    auto refused = [&](const std::string& file, int status, const std::string& message) {
        std::vector<std::string> args = {file};
        args.insert(args.end(), mirror.begin(), mirror.end());
        const testing::RawRun r = fit(args, {}, std::chrono::seconds(30));
        ASSERT_FALSE(r.timedOut) << file;
        EXPECT_EQ(r.exitCode, status) << file << ": " << r.standardError;
        EXPECT_TRUE(contains(r.standardError, message)) << file << ": " << r.standardError;
        EXPECT_TRUE(r.standardOutput.empty()) << r.standardOutput;
    };
    QFile text(QString::fromStdString(path("notes.jpg")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("these are notes, not a photograph\n");
    text.close();
    refused(path("notes.jpg"), 2, "cannot read the photo \"" + path("notes.jpg") + "\": not a JPEG or PNG picture");
    refused(path("missing.jpg"), 2, "cannot read the photo \"" + path("missing.jpg") + "\": ");
    ASSERT_EQ(::mkfifo(path("pipe.jpg").c_str(), 0644), 0);
    refused(path("pipe.jpg"), 2, "\"" + path("pipe.jpg") + "\": not a regular file");

    QImage tiny(40, 30, QImage::Format_RGB888);
    tiny.fill(Qt::white);
    refused(picture("tiny.png", tiny), 2, "the photo is 40 x 30 pixels; at least 64 x 64 are needed");
    QImage blank(640, 480, QImage::Format_RGB888);
    blank.fill(QColor(90, 90, 90));
    refused(picture("blank.png", blank), 2, "the photo is blank");

    // Noise, a lit square, a gradient: no round rim.
    std::mt19937 random(3);
    QImage noise(640, 480, QImage::Format_RGB888), square(640, 480, QImage::Format_RGB888),
        gradient(640, 480, QImage::Format_RGB888);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            const int v = int(random() % 256);
            noise.setPixel(x, y, qRgb(v, v, v));
            square.setPixel(x, y, x > 200 && x < 440 && y > 120 && y < 360 ? qRgb(230, 120, 80) : qRgb(10, 10, 10));
            gradient.setPixel(x, y, qRgb(x * 255 / 640, x * 255 / 640, 0));
        }
    refused(picture("noise.png", noise), 1, "no mirror found");
    refused(picture("square.png", square), 1, "no mirror found");
    refused(picture("gradient.jpg", gradient), 1, "no mirror found");

    // A mirror evenly lit: a disk without bands.
    QImage disk(640, 480, QImage::Format_RGB888);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            disk.setPixel(x, y, std::hypot(x - 320.5, y - 240.5) < 180 ? qRgb(220, 110, 70) : qRgb(12, 12, 12));
    refused(picture("lit.png", disk), 1, "no bands");
}

// Two photos: in the order of the separation they decide the side; the
// other way round they are refused.
TEST_F(FitTool, TwoPhotosInTheWrongOrderAreRefused) {
    testing::PhotoTruth first = paraboloid(), second = first;
    second.parameters.offset += 2;
    const std::string a = photo("first.jpg", first, camera(1, 3)), b = photo("second.jpg", second, camera(-6, 4));
    const std::vector<std::string> mirror = mirrorArgs(first);
    std::vector<std::string> args = {a, "--second", b, "--separation", "2", "--json"};
    args.insert(args.end(), mirror.begin(), mirror.end());
    const testing::RawRun right = fit(args);
    ASSERT_EQ(right.exitCode, 0) << right.standardError;
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(right.standardOutput)).object();
    EXPECT_EQ(o["side"].toString(), "outside");
    EXPECT_EQ(o["side_from"].toString(), "second photo");
    EXPECT_NEAR(o["offset_mm"].toDouble(), 8, 0.25);

    std::swap(args[0], args[2]);
    const testing::RawRun swapped = fit(args);
    EXPECT_EQ(swapped.exitCode, 2);
    EXPECT_TRUE(contains(swapped.standardError, "are the photos in the order of the separation?"))
        << swapped.standardError;
    EXPECT_TRUE(swapped.standardOutput.empty());
}

TEST_F(FitTool, CommandLinesThatCannotBeUsedAreRefused) {
    const testing::RawRun help = fit({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.standardOutput.rfind("Usage: shadowgram-fit", 0), 0u) << help.standardOutput;
    const testing::RawRun version = fit({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.standardOutput, std::string("shadowgram-fit ") + SHADOWGRAM_VERSION_TEXT + "\n");

    const std::string p = path("any.jpg");
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{p, "--radius", "2000", "--lines", "4"}, "the mirror needs --diameter, --radius and --lines"},
        {{"--diameter", "200", "--radius", "2000", "--lines", "4"}, "no photo given"},
        {{p, "--diameter", "200", "--radius", "2000", "--lines", "4", "--inside", "--outside"}, "not both"},
        {{p, "--diameter", "200", "--radius", "2000", "--lines", "4", "--second", p}, "go together"},
        {{p, "--diameter", "200", "--radius", "2000", "--lines", "4", "--zone", "ring"}, "--zone takes none, edge or centre"},
        {{p, "--diameter", "200", "--radius", "2000", "--lines", "4", "--zone", "edge", "--zone-start", "1.5"},
         "--zone-start takes a fraction"},
        {{p, "--diameter", "0,5", "--radius", "2000", "--lines", "4"}, "--diameter takes a number, not '0,5'"},
        {{p, "--diameter", "200", "--radius", "80", "--lines", "4"}, "--radius must exceed half the diameter"},
        {{p, "--diameter", "200", "--radius", "2000", "--lines", "4", "--bogus"}, "unknown option '--bogus'"},
        {{p + "\xE9", "--diameter", "200", "--radius", "2000", "--lines", "4"}, "is not valid UTF-8"},
    };
    for (const auto& [args, message] : cases) {
        const testing::RawRun r = fit(args);
        EXPECT_EQ(r.exitCode, 2) << message;
        EXPECT_TRUE(contains(r.standardError, message)) << r.standardError;
        EXPECT_TRUE(r.standardOutput.empty());
    }
}

}  // namespace
}  // namespace sg

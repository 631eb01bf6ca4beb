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
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iterator>
#include <random>

#include <sys/stat.h>
#include <unistd.h>

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
    // Photos drawn by the ray passes are fitted by rays alone, unless the
    // command line names the model.
    testing::RawRun fit(std::vector<std::string> args, const std::vector<std::string>& env = {},
                        std::chrono::milliseconds limit = std::chrono::seconds(60)) {
        if (std::find(args.begin(), args.end(), "--model") == args.end() &&
            std::find(args.begin(), args.end(), "--lit-grating") == args.end())
            args.insert(args.end(), {"--model", "rays"});
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

// A photo drawn by the wave model, the grating lit from behind in red
// light: read with the light given, and the result says what it assumed;
// the same photo read by rays alone is read with their bias.
TEST_F(FitTool, AWavePhotoIsReadInTheLightGiven) {
    testing::PhotoTruth t = paraboloid();
    t.mirror.wavelength = 0.63;
    const std::string png = path("wave.png");
    ASSERT_TRUE(testing::savePhoto(
        testing::makeWavePhoto(t, {Spectrum::Mono, 1 / (2 * t.mirror.linesPerMm)}, camera(3, 4)), png));
    std::vector<std::string> args = {png, "--outside", "--json", "--diameter", "200", "--radius", "2000", "--lines",
                                     "4", "--wavelength", "0.63", "--lit-grating"};
    const testing::RawRun run = fit(args);
    ASSERT_EQ(run.exitCode, 0) << run.standardError;
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(run.standardOutput)).object();
    EXPECT_EQ(o["model"].toString(), "waves");
    EXPECT_DOUBLE_EQ(o["wavelength_um"].toDouble(), 0.63);
    EXPECT_EQ(o["spectrum"].toString(), "mono");
    EXPECT_EQ(o["source_kind"].toString(), "grating");
    EXPECT_DOUBLE_EQ(o["source_width_mm"].toDouble(), 0.125);
    const double waves = o["conic"].toDouble();
    EXPECT_NEAR(waves, -1, 0.05);
    EXPECT_NEAR(o["offset_mm"].toDouble(), 8, 0.25);

    args.erase(args.begin() + 2);  // text
    const testing::RawRun text = fit(args);
    ASSERT_EQ(text.exitCode, 0) << text.standardError;
    EXPECT_TRUE(contains(text.standardOutput, "light    0.630 um, the grating lit from behind (a slit 0.1250 mm wide)"))
        << text.standardOutput;
    EXPECT_TRUE(contains(text.standardOutput, "model    wave optics of the exact surface")) << text.standardOutput;

    args.insert(args.end(), {"--model", "rays", "--json"});
    const testing::RawRun rays = fit(args);
    ASSERT_EQ(rays.exitCode, 0) << rays.standardError;
    const QJsonObject r = QJsonDocument::fromJson(QByteArray::fromStdString(rays.standardOutput)).object();
    EXPECT_EQ(r["model"].toString(), "rays");
    EXPECT_GT(std::fabs(r["conic"].toDouble() + 1), std::fabs(waves + 1)) << "rays " << r["conic"].toDouble();
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
        // The light and the source.
        {{p, "--diameter", "200", "--radius", "2000", "--lines", "4", "--wavelength", "0"},
         "--wavelength takes a value above 0, not 0"},
        {{p, "--diameter", "200", "--radius", "2000", "--lines", "4", "--wavelength", "630", "--model", "waves"},
         "--wavelength of 630 um is not light the wave picture can take"},
        {{p, "--diameter", "200", "--radius", "2000", "--lines", "4", "--source-width", "-0.1"},
         "--source-width takes a width of 0 mm or more, not -0.1"},
        {{p, "--diameter", "200", "--radius", "2000", "--lines", "4", "--source-width", "0.3", "--model", "waves"},
         "--source-width of 0.3 mm is wider than the grating's period"},
        {{p, "--diameter", "200", "--radius", "2000", "--lines", "4", "--spectrum", "green"},
         "--spectrum takes mono or white, not 'green'"},
        {{p, "--diameter", "200", "--radius", "2000", "--lines", "4", "--model", "beams"},
         "--model takes waves or rays, not 'beams'"},
        {{p, "--diameter", "200", "--radius", "2000", "--lines", "4", "--source-width", "0.1", "--lit-grating"},
         "give --source-width or --lit-grating, not both"},
    };
    for (const auto& [args, message] : cases) {
        const testing::RawRun r = fit(args);
        EXPECT_EQ(r.exitCode, 2) << message;
        EXPECT_TRUE(contains(r.standardError, message)) << r.standardError;
        EXPECT_TRUE(r.standardOutput.empty());
    }
}


// Whether the output is what a terminal or a JSON reader can take: printable
// ASCII lines, and no figure longer than 24 characters.
std::string unprintableOrLong(const std::string& out) {
    std::size_t run = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(out[i]);
        if (c != '\n' && (c < 0x20 || c > 0x7E)) return "byte " + std::to_string(c) + " at " + std::to_string(i);
        run = (std::isdigit(c) || c == '.' || c == 'e' || c == '+' || c == '-') ? run + 1 : 0;
        if (run > 24) return "a figure longer than 24 characters at " + std::to_string(i);
    }
    return "";
}

// The JSON strictly parsed, as an object; empty with a failure otherwise.
QJsonObject strictJson(const std::string& out) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(out), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString() << "\n" << out;
    EXPECT_TRUE(doc.isObject()) << out;
    return doc.object();
}

// A separation of 1e100 mm is a figure to print, not 101 digits, in the
// text and the JSON alike.
TEST_F(FitTool, HugeFiguresPrintInABoundedForm) {
    const testing::PhotoTruth t = paraboloid();
    const std::string jpeg = photo("mirror.jpg", t, camera(3, 1));
    std::vector<std::string> args = {jpeg, "--second", jpeg, "--separation", "1e100"};
    const std::vector<std::string> mirror = mirrorArgs(t);
    args.insert(args.end(), mirror.begin(), mirror.end());
    const testing::RawRun text = fit(args);
    ASSERT_EQ(text.exitCode, 0) << text.standardError;
    EXPECT_EQ(unprintableOrLong(text.standardOutput), "") << text.standardOutput;
    EXPECT_TRUE(contains(text.standardOutput, "1e+100 mm from the first")) << text.standardOutput;

    args.push_back("--json");
    const testing::RawRun json = fit(args);
    ASSERT_EQ(json.exitCode, 0) << json.standardError;
    EXPECT_EQ(unprintableOrLong(json.standardOutput), "") << json.standardOutput;
    const QJsonObject o = strictJson(json.standardOutput);
    EXPECT_EQ(o["separation_mm"].toDouble(), 1e100);
}

// A figure the fit cannot compute is null in the JSON and named in a
// warning, there and on standard error.
TEST_F(FitTool, FiguresThatAreNotFiniteAreNullAndWarnedOf) {
    const testing::PhotoTruth t = paraboloid();
    const std::string jpeg = photo("mirror.jpg", t, camera(3, 1));
    // So coarse a grating that the offset runs to 1e+201 mm and its
    // uncertainty overflows.
    const testing::RawRun run = fit({jpeg, "--diameter", "200", "--radius", "2000", "--lines", "1e-200", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.standardError;
    const QJsonObject o = strictJson(run.standardOutput);
    QStringList missing;
    for (auto it = o.begin(); it != o.end(); ++it)
        if (it.value().isNull() && it.key() != "zone_height") missing << it.key();
    ASSERT_FALSE(missing.isEmpty()) << run.standardOutput;
    QString warned;
    for (const QJsonValue w : o["warnings"].toArray())
        if (w.toString().contains("not a finite number")) warned = w.toString();
    ASSERT_FALSE(warned.isEmpty()) << run.standardOutput;
    EXPECT_TRUE(warned.contains("the offset's uncertainty")) << warned.toStdString() << " for " << missing.join(", ").toStdString();
    EXPECT_TRUE(contains(run.standardError, "shadowgram-fit: warning: " + warned.toStdString())) << run.standardError;
}

// A turned edge fitted as a pure conic: the rim's edges left out are warned
// of in the JSON's warnings and the text, with the option that fits a
// turned edge; the clean paraboloid has no such warning.
TEST_F(FitTool, ARimThatTheConicLeavesOutIsWarnedOf) {
    testing::PhotoTruth edge = testing::randomTurnedEdge(116);
    edge.parameters.zoneHeight = -0.3;
    const testing::PhotoTruth clean = paraboloid();
    struct Case {
        std::string photo;
        const testing::PhotoTruth& truth;
        bool warned;
    };
    const Case cases[] = {{photo("edge.png", edge, testing::randomCamera(116)), edge, true},
                          {photo("clean.jpg", clean, camera(3, 1)), clean, false}};
    for (const Case& c : cases) {
        std::vector<std::string> args = {c.photo, c.truth.parameters.offset < 0 ? "--inside" : "--outside", "--json"};
        const std::vector<std::string> mirror = mirrorArgs(c.truth);
        args.insert(args.end(), mirror.begin(), mirror.end());
        const testing::RawRun json = fit(args);
        ASSERT_EQ(json.exitCode, 0) << json.standardError;
        QString warned;
        for (const QJsonValue w : strictJson(json.standardOutput)["warnings"].toArray())
            if (w.toString().startsWith("the rim does not follow the conic")) warned = w.toString();
        EXPECT_EQ(!warned.isEmpty(), c.warned) << json.standardOutput;
        if (!c.warned) continue;
        EXPECT_TRUE(warned.contains("--zone edge")) << warned.toStdString();
        args.erase(args.begin() + 2);  // text
        const testing::RawRun text = fit(args);
        ASSERT_EQ(text.exitCode, 0) << text.standardError;
        EXPECT_TRUE(contains(text.standardOutput, "warning: " + warned.toStdString())) << text.standardOutput;
    }
}

// Command lines drawn at random, ordinary and extreme values of every
// numeric option: every run ends with its status and, when it fits, JSON
// that a strict reader takes.
TEST_F(FitTool, RandomCommandLinesGiveStrictJsonOrAReason) {
    const testing::PhotoTruth t = paraboloid();
    const std::string jpeg = photo("mirror.jpg", t, camera(2, 8));
    std::mt19937 random(20261207);
    std::uniform_real_distribution<double> unit(0, 1);
    const double extremes[] = {5e-324, 2.2250738585072014e-308, 1e-300, 1e-200, 1e-100, 1e-12, 1e12,
                               1e100,  1e200,                   1e300,  1.7976931348623157e308};
    auto extreme = [&] { return extremes[random() % std::size(extremes)]; };
    auto pick = [&](double ordinary, double share) { return unit(random) < share ? ordinary : extreme(); };
    int fitted = 0;
    for (int k = 0; k < 200; ++k) {
        const double diameter = pick(50 + 400 * unit(random), 0.75);
        const double radius = pick(diameter * (2.5 + 6 * unit(random)), 0.75);
        std::vector<std::string> args = {jpeg, "--json", "--diameter", number(diameter), "--radius", number(radius),
                                         "--lines", number(pick(0.5 + 10 * unit(random), 0.75))};
        if (unit(random) < 0.2) args.insert(args.end(), {"--wavelength", number(pick(0.4 + 0.3 * unit(random), 0.4))});
        if (unit(random) < 0.15) {
            args.insert(args.end(), {"--zone", unit(random) < 0.5 ? "edge" : "centre"});
            if (unit(random) < 0.5) args.insert(args.end(), {"--zone-start", number(0.1 + 0.85 * unit(random))});
        }
        if (unit(random) < 0.2) args.push_back(unit(random) < 0.5 ? "--inside" : "--outside");
        if (unit(random) < 0.1) args.insert(args.end(), {"--source", "moving"});
        if (unit(random) < 0.1) args.push_back("--exact");
        if (unit(random) < 0.2) {
            const double separation = pick(0.5 + 3 * unit(random), 0.5);
            args.insert(args.end(), {"--second", jpeg, "--separation", number(unit(random) < 0.5 ? separation : -separation)});
        }
        const testing::RawRun run = fit(args, {}, std::chrono::seconds(30));
        std::string line;
        for (const std::string& a : args) line += a + " ";
        ASSERT_FALSE(run.timedOut) << line;
        ASSERT_EQ(run.signal, 0) << line << "\n" << run.standardError;
        EXPECT_EQ(unprintableOrLong(run.standardOutput), "") << line;
        if (run.exitCode == 0) {
            ++fitted;
            const QJsonObject o = strictJson(run.standardOutput);
            EXPECT_TRUE(o.contains("offset_mm")) << line;
            // Standard error holds only the warnings of figures left out.
            std::size_t at = 0;
            while (at < run.standardError.size()) {
                EXPECT_EQ(run.standardError.compare(at, 25, "shadowgram-fit: warning: "), 0) << line << "\n" << run.standardError;
                at = run.standardError.find('\n', at);
                at = at == std::string::npos ? run.standardError.size() : at + 1;
            }
        } else {
            EXPECT_TRUE(run.exitCode == 1 || run.exitCode == 2) << line << ": " << run.exitCode;
            EXPECT_TRUE(run.standardOutput.empty()) << line;
            EXPECT_EQ(run.standardError.rfind("shadowgram-fit: ", 0), 0u) << line << "\n" << run.standardError;
        }
    }
    // Ordinary command lines are among them, and fit.
    EXPECT_GT(fitted, 40);
}

// Values from which the model cannot derive finite figures are refused
// before any photo is read, naming the option.
TEST_F(FitTool, ValuesBeyondTheModelAreRefusedNamingTheOption) {
    const std::string jpeg = photo("mirror.jpg", paraboloid(), camera(3, 1));
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--diameter", "200", "--radius", "2000", "--lines", "1e308"},
         "--lines of 1e+308 is beyond the model's reach: the band width, 1 / (2 lines per mm), would be 0 mm"},
        {{"--diameter", "200", "--radius", "2000", "--lines", "5e-324"}, "--lines of 5e-324"},
        {{"--diameter", "1e200", "--radius", "1e201", "--lines", "4"}, "--diameter of 1e+200"},
        {{"--diameter", "1e-200", "--radius", "2000", "--lines", "4"}, "--diameter of 1e-200"},
        {{"--diameter", "200", "--radius", "1e300", "--lines", "4"}, "--radius of 1e+300"},
        {{"--diameter", "200", "--radius", "2000", "--lines", "1e-299"}, "--lines of 1e-299"},
        {{"--diameter", "1e100", "--radius", "1e100", "--lines", "1e300"}, "--lines of 1e+300"},
        {{"--diameter", "200", "--radius", "2000", "--lines", "4", "--zone", "edge", "--wavelength", "1e-320"},
         "--wavelength of 1e-320"},
        {{"--diameter", "200", "--radius", "2000", "--lines", "4", "--second", jpeg, "--separation", "1e308"},
         "--separation of 1e+308"},
        {{"--diameter", "200", "--radius", "2000", "--lines", "4", "--zone", "edge", "--zone-start", "0.05"},
         "--zone-start takes a fraction of the radius from 0.1 to 0.95"},
    };
    for (const auto& [options, words] : cases) {
        std::vector<std::string> args = {jpeg, "--json"};
        args.insert(args.end(), options.begin(), options.end());
        const testing::RawRun r = fit(args);
        EXPECT_EQ(r.signal, 0) << words;
        EXPECT_EQ(r.exitCode, 2) << words << ": " << r.standardError;
        EXPECT_TRUE(contains(r.standardError, words)) << r.standardError;
        EXPECT_EQ(unprintableOrLong(r.standardError), "") << r.standardError;
        EXPECT_TRUE(r.standardOutput.empty()) << r.standardOutput;
    }
}

// What cannot be written is a failure: standard output a full device or
// closed, for the figures and the usage alike.
TEST_F(FitTool, OutputThatCannotBeWrittenFails) {
    const testing::PhotoTruth t = paraboloid();
    std::vector<std::string> args = {kFit, photo("mirror.jpg", t, camera(3, 1))};
    const std::vector<std::string> mirror = mirrorArgs(t);
    args.insert(args.end(), mirror.begin(), mirror.end());
    for (const std::vector<std::string>& command : {args, std::vector<std::string>{kFit, "--help"}})
        for (const testing::StandardOutput where : {testing::StandardOutput::Full, testing::StandardOutput::Closed}) {
            const testing::RawRun r = runRaw(command, {}, std::chrono::seconds(60), where);
            EXPECT_EQ(r.exitCode, 1) << command.back() << " " << static_cast<int>(where) << ": " << r.standardError;
            EXPECT_TRUE(contains(r.standardError, "shadowgram-fit: cannot write to standard output")) << r.standardError;
        }
}

// The overlay never overwrites a photo it is made from, named as given, by
// another path or through a link.
TEST_F(FitTool, TheOverlayNeverOverwritesAPhoto) {
    const testing::PhotoTruth t = paraboloid();
    const std::string first = photo("first.jpg", t, camera(3, 1)), second = photo("second.jpg", t, camera(2, 2));
    QFile file(QString::fromStdString(first));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    ASSERT_EQ(::symlink(first.c_str(), path("link.png").c_str()), 0);
    ASSERT_EQ(::mkdir(path("sub").c_str(), 0755), 0);
    const std::vector<std::string> mirror = mirrorArgs(t);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {first, first}, {path("sub/../first.jpg"), first}, {path("link.png"), first}, {second, second}};
    for (const auto& [overlay, named] : cases) {
        std::vector<std::string> args = {first, "--second", second, "--separation", "1", "--overlay", overlay};
        args.insert(args.end(), mirror.begin(), mirror.end());
        const testing::RawRun r = fit(args);
        EXPECT_EQ(r.exitCode, 2) << overlay << ": " << r.standardError;
        EXPECT_TRUE(contains(r.standardError, "--overlay names the photo \"" + named + "\" itself")) << r.standardError;
    }
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), bytes);
}

// A JPEG cut short anywhere is unreadable input, never a photo without a
// mirror; a picture of no lit mirror, or of one that runs out of the
// photo, is refused as no mirror found.
TEST_F(FitTool, PhotosCutShortInvertedOrCroppedAreRefused) {
    const testing::PhotoTruth t = paraboloid();
    const std::string jpeg = photo("mirror.jpg", t, camera(3, 1));
    QFile file(QString::fromStdString(jpeg));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const std::vector<std::string> mirror = mirrorArgs(t);
    auto run = [&](const std::string& name) {
        std::vector<std::string> args = {name};
        args.insert(args.end(), mirror.begin(), mirror.end());
        return fit(args);
    };
    for (const int percent : {1, 20, 50, 80, 99}) {
        const std::string name = path("cut" + std::to_string(percent) + ".jpg");
        QFile cut(QString::fromStdString(name));
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
        cut.write(bytes.left(bytes.size() * percent / 100));
        cut.close();
        const testing::RawRun r = run(name);
        EXPECT_EQ(r.exitCode, 2) << percent << "%: " << r.standardError;
        EXPECT_TRUE(contains(r.standardError, "cannot read the photo \"" + name + "\"")) << r.standardError;
    }

    // A dark disk on a bright ground.
    testing::Camera wide = camera(0, 4);
    wide.width = 1200, wide.height = 1000, wide.cx = 600, wide.cy = 500, wide.radius = 250;
    testing::SyntheticPhoto inverted = testing::makeSyntheticPhoto(t, wide);
    for (std::uint8_t& v : inverted.pixels) v = std::uint8_t(255 - v);
    ASSERT_TRUE(testing::savePhoto(inverted, path("inverted.png")));
    const testing::RawRun dark = run(path("inverted.png"));
    EXPECT_EQ(dark.exitCode, 1) << dark.standardError;
    EXPECT_TRUE(contains(dark.standardError, "no mirror found")) << dark.standardError;
    EXPECT_TRUE(dark.standardOutput.empty()) << dark.standardOutput;

    // The mirror's left side beyond the photo's border.
    testing::Camera off = camera(0, 5);
    off.cx = 150;
    const testing::RawRun cropped = run(photo("cropped.png", t, off));
    EXPECT_EQ(cropped.exitCode, 1) << cropped.standardError;
    EXPECT_TRUE(contains(cropped.standardError, "no mirror found: the disk found")) << cropped.standardError;
    EXPECT_TRUE(contains(cropped.standardError, "runs outside the photo of 700 x 640 pixels")) << cropped.standardError;
}

}  // namespace
}  // namespace sg

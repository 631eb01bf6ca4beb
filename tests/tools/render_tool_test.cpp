// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line renderer draws what the library draws for the same settings.
#include "model/failure.h"
#include "simulator/picture_caption.h"
#include "tests/support/picture_checks.h"
#include "simulator/positioning.h"
#include "simulator/redraw.h"
#include "tests/support/test_picture.h"
#include "tools/picture_png.h"
#include "tools/render_options.h"
#include "wave/wave_painter.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>

namespace sg {
namespace {

struct RunResult {
    int exitCode = -1;
    QString stdErr;
};

RunResult runRenderer(const QStringList& args, const QByteArray& input = {}) {
    QProcess p;
    p.start(SHADOWGRAM_RENDER, args);
    if (!input.isEmpty()) p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError())};
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A click on the picture at a given position, as the library draws it.
QImage libraryPicture(const std::function<void(testing::TestPicture&)>& setUp, double axial, double transverse,
                      int brighten, int centres) {
    testing::TestPicture sc;
    setUp(sc);
    pictureClick(sc.drawing, sc.read(), PositionOverride{axial, transverse});
    for (int i = 0; i < brighten; ++i) brightenPicture(sc.drawing, sc.read());
    for (int i = 0; i < centres; ++i) drawCentreLines(sc.drawing, sc.read());
    return sc.canvas.image().copy();
}

TEST(RenderTool, DefaultPictureEqualsTheLibrarys) {
    QTemporaryDir dir;
    const QString file = dir.filePath("out.png");
    const RunResult r = runRenderer({"-o", file});
    ASSERT_EQ(r.exitCode, 0) << r.stdErr.toStdString();
    const QImage png(file);
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.size(), QSize(800, 700));
    const QImage expected = libraryPicture([](testing::TestPicture&) {}, 0, 0, 0, 0);
    EXPECT_EQ(testing::firstDifference(png.convertToFormat(QImage::Format_RGB32), expected), "");
}

TEST(RenderTool, EveryOptionReachesThePicture) {
    QTemporaryDir dir;
    const QString file = dir.filePath("set.png");
    const RunResult r = runRenderer({"--diameter", "150", "--radius", "1200", "--conic", "0", "--lines", "2",
                                     "--zone-height", "1", "--wavelength", "0.6", "--test", "wire", "--orientation",
                                     "2d", "--axial", "-3.5", "--transverse", "0.25", "--grid", "--white",
                                     "--brighten", "1", "--centres", "2", "-o", file});
    ASSERT_EQ(r.exitCode, 0) << r.stdErr.toStdString();
    const QImage expected = libraryPicture(
        [](testing::TestPicture& sc) {
            sc.controls.parameters = {"150", "1200", "0", "2", "20", "1", "0.6"};
            sc.controls.test = kTestWire;
            sc.controls.orientation = kOrient2D;
            sc.controls.grid = true;
            sc.scene().view.showGrid = true;
            sc.scene().view.whiteMode = true;
        },
        -3.5, 0.25, 1, 2);
    EXPECT_EQ(testing::firstDifference(QImage(file).convertToFormat(QImage::Format_RGB32), expected), "");
    EXPECT_GT(testing::countColour(expected, kWhite), 1000);

    const QString odd = dir.filePath("odd.png");
    ASSERT_EQ(runRenderer({"--odd", "--test", "ronchi", "--orientation", "horizontal", "-o", odd}).exitCode, 0);
    const QImage expectedOdd = libraryPicture(
        [](testing::TestPicture& sc) {
            sc.controls.odd = true;
            sc.controls.orientation = kOrientHorizontal;
        },
        0, 0, 0, 0);
    EXPECT_EQ(testing::firstDifference(QImage(odd).convertToFormat(QImage::Format_RGB32), expectedOdd), "");
}

// The tester's source and the exact trace reach the picture as the check boxes would.
TEST(RenderTool, SourceAndExactTraceOptions) {
    QTemporaryDir dir;
    const QString file = dir.filePath("tester.png");
    const RunResult r =
        runRenderer({"--conic", "0", "--radius", "1200", "--lines", "10", "--source", "moving", "--exact", "--axial", "0.5",
                     "-o", file});
    ASSERT_EQ(r.exitCode, 0) << r.stdErr.toStdString();
    const QImage expected = libraryPicture(
        [](testing::TestPicture& sc) {
            sc.controls.parameters[kRowConic] = "0";
            sc.controls.parameters[kRowRadius] = "1200";
            sc.controls.parameters[kRowLinesPerMm] = "10";
            sc.controls.movingSource = true;
            sc.controls.exactTrace = true;
        },
        0.5, 0, 0, 0);
    EXPECT_EQ(testing::firstDifference(QImage(file).convertToFormat(QImage::Format_RGB32), expected), "");
    const QImage series = libraryPicture(
        [](testing::TestPicture& sc) {
            sc.controls.parameters[kRowConic] = "0";
            sc.controls.parameters[kRowRadius] = "1200";
            sc.controls.parameters[kRowLinesPerMm] = "10";
            sc.controls.movingSource = true;
        },
        0.5, 0, 0, 0);
    EXPECT_NE(testing::firstDifference(series, expected), "");
    EXPECT_EQ(runRenderer({"--source", "sideways", "-o", file}).exitCode, 2);
}

TEST(RenderTool, BadValuesFailWithTheCellMessageAndWriteNothing) {
    QTemporaryDir dir;
    const QString file = dir.filePath("bad.png");
    struct Case {
        QStringList args;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {{"--conic", "abc", "-o", file}, 2, "option --conic takes a number, not 'abc'"},
        {{"--axial", "1,5", "-o", file}, 2, "option --axial takes a number, not '1,5'"},
        {{"--brighten", "two", "-o", file}, 2, "option --brighten takes a whole number, not 'two'"},
        {{"--test", "laser", "-o", file}, 2, "--test takes ronchi, wire or foucault"},
        {{"--frobnicate", "-o", file}, 2, "unknown option"},
        {{"--radius", "0", "-o", file}, 1, "Floating point division by zero"},
        {{"--brighten", "251", "-o", file}, 2, "--brighten and --centres take a count from 0 to 250"},
        {{"--centres", "2147483647", "-o", file}, 2, "--brighten and --centres take a count from 0 to 250"},
    };
    for (const Case& c : cases) {
        const RunResult r = runRenderer(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.stdErr.contains(c.message)) << r.stdErr.toStdString();
        EXPECT_FALSE(QFile::exists(file)) << c.args.join(' ').toStdString();
    }
    const RunResult help = runRenderer({"--help"});
    EXPECT_EQ(help.exitCode, 0);
}

// A write that fails part-way (here a file-size limit below the size of the
// picture) leaves the earlier picture as it was, and says so in the
// system's words.
TEST(RenderTool, FailedWriteKeepsTheEarlierPicture) {
    QTemporaryDir dir;
    const QString file = dir.filePath("keep.png");
    ASSERT_EQ(runRenderer({"-o", file}).exitCode, 0);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();
    ASSERT_GT(before.size(), 4000);

    QProcess p;
    p.setChildProcessModifier([] {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 2000;
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    p.start(SHADOWGRAM_RENDER, {"--conic", "0", "-o", file});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    const QString message = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_TRUE(message.contains("cannot write " + file + ": " + QString::fromLocal8Bit(std::strerror(EFBIG))))
        << message.toStdString();
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.png"});
}

// --caption adds the strip the window's "Save Picture..." adds, below the
// same picture.
TEST(RenderTool, CaptionStripBelowThePicture) {
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain.png"), captioned = dir.filePath("captioned.png");
    const QStringList args = {"--conic", "0", "--test", "wire", "--axial", "-2.5", "--exact", "--source", "moving"};
    ASSERT_EQ(runRenderer(QStringList(args) << "-o" << plain).exitCode, 0);
    ASSERT_EQ(runRenderer(QStringList(args) << "--caption" << "-o" << captioned).exitCode, 0);
    const QImage a = QImage(plain).convertToFormat(QImage::Format_RGB32);
    const QImage b = QImage(captioned).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(b.size(), QSize(800, 740));
    EXPECT_EQ(testing::firstDifference(b.copy(0, 0, 800, 700), a), "");
    const QImage strip = b.copy(0, 700, 800, 40);
    EXPECT_GT(testing::countColour(strip, kBlack), 200);

    // The same strip as the library writes for the same drawing.
    testing::TestPicture sc;
    sc.controls.parameters[kRowConic] = "0";
    sc.controls.test = kTestWire;
    sc.controls.exactTrace = true;
    sc.controls.movingSource = true;
    pictureClick(sc.drawing, sc.read(), PositionOverride{-2.5, std::nullopt});
    EXPECT_EQ(testing::firstDifference(strip, pictureWithCaption(sc.canvas.image(), sc.scene())
                                                  .convertToFormat(QImage::Format_RGB32)
                                                  .copy(0, 700, 800, 40)),
              "");
    const auto lines = pictureCaptionLines(sc.scene());
    EXPECT_EQ(lines[0], "D 200 mm   R 2000 mm   conic 0   Wire   4 lines/mm   exact ray trace");
    EXPECT_EQ(lines[1], "axial -2.5 mm inside the centre of curvature   transverse 0.000 W   source moving with the wire");
}

// The caption names the side of the centre of curvature the device stands
// on, and the slit wherever the picture is drawn with one.
TEST(RenderTool, CaptionSaysTheSideAndTheSlit) {
    Scene scene;
    scene.setup.slitWidth = 0.05;
    auto second = [&scene](double axial) {
        scene.setup.position.axialOffset = axial;
        const std::string line = pictureCaptionLines(scene)[1];
        return line.substr(0, line.find("   "));
    };
    EXPECT_EQ(second(3.25), "axial 3.25 mm outside the centre of curvature");
    EXPECT_EQ(second(-0.2), "axial -0.2 mm inside the centre of curvature");
    EXPECT_EQ(second(0), "axial 0 mm at the centre of curvature");
    // The series model has no slit; the exact trace and the waves have.
    EXPECT_EQ(pictureCaptionLines(scene)[0].find("slit"), std::string::npos);
    scene.setup.rayModel = RayModel::Exact;
    EXPECT_NE(pictureCaptionLines(scene)[0].find("   slit 0.05 mm   exact ray trace"), std::string::npos);
    scene.setup.rayModel = RayModel::Series;
    scene.setup.waveOptics = true;
    EXPECT_NE(pictureCaptionLines(scene)[0].find("   slit 0.05 mm   wave optics"), std::string::npos);
    scene.setup.slitWidth = 0;
    EXPECT_EQ(pictureCaptionLines(scene)[0].find("slit"), std::string::npos);
}

// A source of real width: only with the exact trace, never negative, and
// what the library draws with it.
TEST(RenderTool, SourceWidthOption) {
    QTemporaryDir dir;
    const QString file = dir.filePath("slit.png");
    for (const QStringList& bad : {QStringList{"--source-width", "0.2"}, QStringList{"--exact", "--source-width", "-0.1"},
                                   QStringList{"--exact", "--source-width", "wide"},
                                   QStringList{"--wave", "--source-width", "-0.1"}}) {
        const RunResult r = runRenderer(QStringList(bad) << "-o" << file);
        EXPECT_EQ(r.exitCode, 2) << bad.join(' ').toStdString();
        EXPECT_FALSE(QFile::exists(file));
    }
    EXPECT_TRUE(
        runRenderer({"--source-width", "0.2", "-o", file}).stdErr.contains("--source-width needs --exact or --wave"));

    const RunResult r = runRenderer({"--exact", "--test", "foucault", "--conic", "0", "--source-width", "0.2",
                                     "--transverse", "0.3", "-o", file});
    ASSERT_EQ(r.exitCode, 0) << r.stdErr.toStdString();
    const QImage expected = libraryPicture(
        [](testing::TestPicture& sc) {
            sc.controls.exactTrace = true;
            sc.controls.test = kTestFoucault;
            sc.controls.parameters[kRowConic] = "0";
            sc.controls.sourceWidth = "0.2";
        },
        0, 0.3, 0, 0);
    EXPECT_EQ(testing::firstDifference(QImage(file).convertToFormat(QImage::Format_RGB32), expected), "");
    // A sphere at its centre with the knife partly in: shaded, neither all lit nor all dark.
    const int lit = testing::countColour(expected, kRed, 310, 200, 510, 400);
    EXPECT_GT(lit, 1000);
    EXPECT_LT(lit, 20000);
}


// The wave picture from the command line: what the library's painter draws
// for the same set-up, its intensity as a 16-bit grey PNG, and the options
// that make no sense without it refused before anything is written.
TEST(RenderTool, WaveOptions) {
    QTemporaryDir dir;
    const QString file = dir.filePath("wave.png"), intensity = dir.filePath("wave_i.png");
    struct Bad {
        QStringList args;
        const char* message;
    };
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0644), 0);
    for (const Bad& b : {Bad{{"--spectrum", "white"}, "--spectrum and --intensity need --wave"},
                         Bad{{"--intensity", intensity}, "--spectrum and --intensity need --wave"},
                         Bad{{"--wave", "--spectrum", "purple"}, "option --spectrum takes mono or white, not 'purple'"},
                         Bad{{"--wave", "--intensity", dir.path()}, "not a regular file"},
                         Bad{{"--wave", "--intensity", dir.filePath("fifo")}, "no program is reading"}}) {
        const RunResult r = runRenderer(QStringList(b.args) << "-o" << file);
        EXPECT_EQ(r.exitCode, 2) << b.args.join(' ').toStdString();
        EXPECT_TRUE(r.stdErr.contains(b.message)) << r.stdErr.toStdString();
        EXPECT_FALSE(QFile::exists(file)) << b.args.join(' ').toStdString();
    }

    const QStringList args = {"--wave", "--test", "foucault", "--conic", "0", "--transverse", "0.1", "--caption"};
    const RunResult r = runRenderer(QStringList(args) << "-o" << file << "--intensity" << intensity);
    ASSERT_EQ(r.exitCode, 0) << r.stdErr.toStdString();
    testing::TestPicture sc;
    WaveCanvasPainter painter;
    sc.drawing.wave = &painter;
    sc.controls.waveOptics = true;
    sc.controls.test = kTestFoucault;
    sc.controls.parameters[kRowConic] = "0";
    pictureClick(sc.drawing, sc.read(), PositionOverride{0.0, 0.1});
    const QImage png(file);
    EXPECT_EQ(png.size(), QSize(800, 740));
    EXPECT_EQ(testing::firstDifference(png.copy(0, 0, 800, 700).convertToFormat(QImage::Format_RGB32),
                                       sc.canvas.image()),
              "");
    EXPECT_EQ(pictureCaptionLines(sc.scene())[0].substr(pictureCaptionLines(sc.scene())[0].rfind("   ") + 3),
              "wave optics, 0.55 \u00b5m");

    const QImage grey(intensity);
    ASSERT_EQ(grey.format(), QImage::Format_Grayscale16);
    ASSERT_EQ(grey.size(), QSize(800, 700));
    const WaveFrame* frame = painter.lastFrame();
    ASSERT_NE(frame, nullptr);
    int onMirror = 0;
    for (int y = 0; y < 700; ++y) {
        const auto* row = reinterpret_cast<const quint16*>(grey.constScanLine(y));
        for (int x = 0; x < 800; ++x) {
            const float i = frame->at(x, y);
            const int expected = std::isnan(i) ? 0 : int(std::min(65535.0, std::round(16384.0 * std::max(0.0f, i))));
            ASSERT_EQ(row[x], expected) << x << "," << y;
            onMirror += std::isnan(i) ? 0 : 1;
        }
    }
    EXPECT_GT(onMirror, 230000);  // the disk of 275 px radius
}

// A batch draws every picture as its own command does, byte for byte: the
// palette PNG of a ray picture, the 24-bit one of a wave picture with its
// intensity, a caption, and a file name with a blank, quoted.
TEST(RenderTool, BatchWritesWhatSingleCommandsWrite) {
    QTemporaryDir dir;
    const std::vector<QStringList> jobs = {
        {"-o", "plain.png"},
        {"--test", "foucault", "--conic", "0", "--axial", "0.4", "--caption", "--brighten", "2", "-o", "knife.png"},
        {"--source", "moving", "--axial", "-3", "--centres", "3", "--grid", "-o", "with blank.png"},
        {"--wave", "--lines", "4", "--axial", "-1.5", "-o", "wave.png", "--intensity", "wave_i.png"},
    };
    QByteArray batch = "# pictures of one session\n\n";
    for (const QStringList& job : jobs) {
        QStringList single, line;
        for (const QString& word : job) {
            const bool file = word.endsWith(".png");
            single << (file ? dir.filePath("single " + word) : word);
            line << (file ? "'" + dir.filePath("batch " + word) + "'" : word);
        }
        const RunResult r = runRenderer(single);
        ASSERT_EQ(r.exitCode, 0) << r.stdErr.toStdString();
        batch += line.join("  ").toUtf8() + "\r\n";
    }
    const QString batchFile = dir.filePath("jobs.txt");
    QFile f(batchFile);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(batch);
    f.close();
    const RunResult fromFile = runRenderer({"--batch", batchFile});
    ASSERT_EQ(fromFile.exitCode, 0) << fromFile.stdErr.toStdString();
    for (const char* name : {"plain.png", "knife.png", "with blank.png", "wave.png", "wave_i.png"}) {
        const QByteArray single = fileBytes(dir.filePath(QString("single ") + name));
        ASSERT_FALSE(single.isEmpty()) << name;
        EXPECT_EQ(fileBytes(dir.filePath(QString("batch ") + name)), single) << name;
        ASSERT_TRUE(QFile::remove(dir.filePath(QString("batch ") + name)));
    }
    // The ray pictures as palette images, the wave picture in full colour.
    EXPECT_EQ(QImage(dir.filePath("single plain.png")).format(), QImage::Format_Indexed8);
    EXPECT_NE(QImage(dir.filePath("single wave.png")).format(), QImage::Format_Indexed8);
    // The same lines from standard input.
    const RunResult fromInput = runRenderer({"--batch", "-"}, batch);
    ASSERT_EQ(fromInput.exitCode, 0) << fromInput.stdErr.toStdString();
    EXPECT_EQ(fileBytes(dir.filePath("batch knife.png")), fileBytes(dir.filePath("single knife.png")));
}

// A line's mistake is reported with its place and the others are drawn; the
// exit status is the worst of the lines'.
TEST(RenderTool, BatchReportsEachLinesMistakeAndGoesOn) {
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QByteArray lines;
        int status;
        std::vector<const char*> messages;  // each in the standard error
        std::vector<const char*> written;
    };
    const std::vector<Case> cases = {
        {"a bad option on line 2",
         "-o a.png\n--conic abc -o b.png\n-o c.png\n",
         2,
         {":2: shadowgram-render: option --conic takes a number, not 'abc'"},
         {"a.png", "c.png"}},
        {"a drawing that fails on line 3 (status 1)",
         "-o a.png\n\n--radius 0 -o b.png\n",
         1,
         {":3: Floating point division by zero"},
         {"a.png"}},
        {"a quote left open",
         "-o 'a.png\n-o c.png\n",
         2,
         {":1: shadowgram-render: a quote (') is left open"},
         {"c.png"}},
        {"no output, another batch, --help",
         "--axial 2\n--batch x\n--help\n",
         2,
         {":1: shadowgram-render: no output file; give -o FILE",
          ":2: shadowgram-render: a line of a batch cannot take --batch, --help or --version",
          ":3: shadowgram-render: a line of a batch cannot take --batch, --help or --version"},
         {}},
    };
    for (const Case& c : cases) {
        QTemporaryDir work;
        const QString file = work.filePath("jobs");
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(c.lines).replace("-o ", "-o " + work.path().toUtf8() + "/"));
        f.close();
        const RunResult r = runRenderer({"--batch", file});
        EXPECT_EQ(r.exitCode, c.status) << c.name << ": " << r.stdErr.toStdString();
        for (const char* m : c.messages)
            EXPECT_TRUE(r.stdErr.contains(file + m)) << c.name << ": " << m << " not in " << r.stdErr.toStdString();
        QStringList written = QDir(work.path()).entryList({"*.png"}, QDir::Files);
        QStringList expected;
        for (const char* w : c.written) expected << w;
        EXPECT_EQ(written, expected) << c.name;
    }
    // Nothing else goes with --batch; a batch file that is not there.
    EXPECT_EQ(runRenderer({"--batch", dir.filePath("x"), "--axial", "1"}).exitCode, 2);
    const RunResult missing = runRenderer({"--batch", dir.filePath("none")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.stdErr.contains("cannot read")) << missing.stdErr.toStdString();
}

TEST(RenderTool, BatchLinesSplitAsAShellSplitsThem) {
    struct Case {
        std::string line;
        std::vector<std::string> words;
    };
    const std::vector<Case> cases = {
        {"", {}},
        {"   \t ", {}},
        {"# -o a.png", {}},
        {"  -o a.png  --axial\t-2", {"-o", "a.png", "--axial", "-2"}},
        {"-o 'my pictures/a b.png'", {"-o", "my pictures/a b.png"}},
        {"-o \"say \\\"x\\\" \\\\ 'y'\"", {"-o", "say \"x\" \\ 'y'"}},
        {"-o a\\ b.png x#y", {"-o", "a b.png", "x#y"}},
        {"-o ''", {"-o", ""}},
        {"-o pre'fix  'post", {"-o", "prefix  post"}},
        {"-o \xc3\xa9t\xc3\xa9.png", {"-o", "\xc3\xa9t\xc3\xa9.png"}},
    };
    for (const Case& c : cases) EXPECT_EQ(batchLineWords(c.line), c.words) << c.line;
    for (const char* open : {"-o 'a.png", "-o \"a.png", "-o \"a\\\""}) EXPECT_THROW(batchLineWords(open), UsageError) << open;
}

// The palette image holds the picture's pixels exactly, in the order the
// colours first appear; a picture of more than 256 colours has none.
TEST(RenderTool, PaletteImageKeepsEveryPixel) {
    for (const int colours : {1, 2, 17, 255, 256, 257, 5000}) {
        QImage picture(300, 200, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const unsigned k = static_cast<unsigned>((x * 7 + y * 13 + x * y) % colours);
                picture.setPixel(x, y, qRgb(k % 256, (k * 37) % 256, k / 256 * 11 % 256));
            }
        const std::optional<QImage> palette = paletteImage(picture);
        ASSERT_EQ(palette.has_value(), colours <= 256) << colours;
        if (palette) {
            EXPECT_EQ(palette->colorCount(), colours);
            EXPECT_EQ(palette->color(0), picture.pixel(0, 0));
            EXPECT_EQ(testing::firstDifference(palette->convertToFormat(QImage::Format_RGB32), picture), "") << colours;
        }
        const QImage decoded = QImage::fromData(picturePng(picture), "PNG");
        EXPECT_EQ(testing::firstDifference(decoded.convertToFormat(QImage::Format_RGB32), picture), "") << colours;
    }
}

}  // namespace
}  // namespace sg

// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line programs in a hostile environment: comma-decimal
// locales, pipes and devices for files, names that are not UTF-8, empty
// names, heights no profile can take, and press counts beyond reason.
#include "tests/support/comma_locales.h"
#include "tests/support/raw_process.h"
#include "editor/shape_file.h"
#include "testfile/test_record.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace sg {
namespace {

using testing::runRaw;
using namespace std::chrono_literals;

const std::string kRender = SHADOWGRAM_RENDER;
const std::string kAnalyse = SHADOWGRAM_ANALYSE;
const std::string kApp = SHADOWGRAM_APP;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

QByteArray contents(const std::string& path) {
    QFile f(QFile::decodeName(path.c_str()));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        folder = QFile::encodeName(dir.path()).toStdString();
    }
    std::string path(const std::string& name) const { return folder + "/" + name; }
    // A set-up that is not the default one, saved.
    std::string savedSetUp() {
        SetupRecord r;
        r.linesPerMm = 2.5;
        r.axialOffset = 1.75;
        r.range = 20;
        r.conicConstant = -0.5;
        r.wavelength = 0.55;
        r.mirrorDiameter = 250;
        r.radiusOfCurvature = 2200;
        r.zoneHeight = 0.25;
        r.testRonchi = r.orientHorizontal = true;
        writeTestFile(QFile::decodeName(path("set.Ron").c_str()), r);
        return path("set.Ron");
    }
    std::string fifo(const std::string& name) {
        const std::string p = path(name);
        EXPECT_EQ(::mkfifo(p.c_str(), 0644), 0);
        return p;
    }
    QTemporaryDir dir;
    std::string folder;
};

// Each of the locale variables alone switches the numbers to commas, as the
// toolkit applies them; the programs must still read and write points.
TEST_F(CommandLine, CommaLocalesDrawAndPrintWhatTheCLocaleDoes) {
    const std::string setup = savedSetUp();
    const std::vector<std::string> renderArgs = {kRender, "--setup", setup, "--zone-height", "0.5", "--conic", "-1.5",
                                                 "--axial", "1.25", "--brighten", "1"};
    const std::vector<std::string> analyseArgs = {kAnalyse, "--setup", setup, "--wavelength", "0.633", "--inner", "3"};
    const std::vector<std::string> plain = {"LC_ALL=C", "LANG=C", "LC_NUMERIC=C"};

    std::vector<std::string> args = renderArgs;
    args.insert(args.end(), {"-o", path("c.png")});
    const testing::RawRun c = runRaw(args, plain);
    ASSERT_EQ(c.exitCode, 0) << c.standardError;
    const testing::RawRun cFigures = runRaw(analyseArgs, plain);
    ASSERT_EQ(cFigures.exitCode, 0) << cFigures.standardError;
    const QByteArray cPicture = contents(path("c.png"));
    ASSERT_FALSE(cPicture.isEmpty());

    int tried = 0;
    for (const char* locale : testing::kCommaLocales) {
        if (!testing::commaLocaleInstalled(locale)) continue;
        for (const std::string variable : {"LC_ALL", "LANG", "LC_NUMERIC"}) {
            std::vector<std::string> env = {"LC_ALL", "LANG", "LC_NUMERIC", variable + "=" + locale};
            const std::string out = path(std::string(locale) + variable + ".png");
            args = renderArgs;
            args.insert(args.end(), {"-o", out});
            const testing::RawRun r = runRaw(args, env);
            EXPECT_EQ(r.exitCode, 0) << variable << "=" << locale << ": " << r.standardError;
            EXPECT_EQ(contents(out), cPicture) << variable << "=" << locale;
            // A comma is refused there too, as in the C locale.
            args = {kRender, "--axial", "1,5", "-o", out + "2"};
            EXPECT_EQ(runRaw(args, env).exitCode, 2) << variable << "=" << locale;

            const testing::RawRun figures = runRaw(analyseArgs, env);
            EXPECT_EQ(figures.exitCode, 0) << figures.standardError;
            EXPECT_EQ(figures.standardOutput, cFigures.standardOutput);
            ++tried;
        }
    }
    if (tried == 0) GTEST_SKIP() << "neither de_DE.UTF-8 nor fr_FR.UTF-8 is installed";
}

// A pipe or other special file given as an input is refused at once, named.
TEST_F(CommandLine, InputsThatAreNotRegularFilesAreRefusedAtOnce) {
    const std::string pipe = fifo("waiting.Ron");
    const std::vector<std::vector<std::string>> runs = {
        {kRender, "--setup", pipe, "-o", path("a.png")},  {kRender, "--shape", pipe, "-o", path("a.png")},
        {kAnalyse, "--setup", pipe},                      {kAnalyse, "--shape", pipe},
        {kAnalyse, "--setup", folder},
    };
    for (const auto& args : runs) {
        const testing::RawRun r = runRaw(args, {}, 20s);
        ASSERT_FALSE(r.timedOut) << args[1] << " " << args[2] << " waits on the file";
        EXPECT_EQ(r.exitCode, 2) << r.standardError;
        EXPECT_TRUE(contains(r.standardError, "\"" + args[2] + "\": not a regular file")) << r.standardError;
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path("a.png"))));
}

// Saving onto a pipe or a device writes into it and leaves it what it was.
TEST_F(CommandLine, PicturesGoIntoPipesAndDevicesWithoutReplacingThem) {
    const std::string pipe = fifo("p.png");
    const testing::RawRun lonely = runRaw({kRender, "-o", pipe}, {}, 20s);
    ASSERT_FALSE(lonely.timedOut);
    EXPECT_EQ(lonely.exitCode, 1);
    EXPECT_TRUE(contains(lonely.standardError, "it is a pipe that no program is reading")) << lonely.standardError;
    EXPECT_TRUE(S_ISFIFO(modeOf(pipe)));

    const std::string node = path("null");
    if (::mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        GTEST_SKIP() << "cannot make a device node here (" << std::strerror(errno) << "); needs root";
    const testing::RawRun r = runRaw({kRender, "-o", node});
    EXPECT_EQ(r.exitCode, 0) << r.standardError;
    EXPECT_TRUE(S_ISCHR(modeOf(node))) << "the device was replaced";
}

// A file name that is not UTF-8 is refused: a program never reads or writes
// a file under another name than the one given.
TEST_F(CommandLine, NamesThatAreNotUtf8AreRefused) {
    const std::string latin1 = path("pic\xE9.png");
    const testing::RawRun render = runRaw({kRender, "-o", latin1});
    EXPECT_EQ(render.exitCode, 2);
    EXPECT_TRUE(contains(render.standardError, "pic\\xE9.png' is not valid UTF-8")) << render.standardError;
    EXPECT_TRUE(QDir(dir.path()).isEmpty()) << QDir(dir.path()).entryList().join(' ').toStdString();

    // An existing file of such a name is not taken for a missing one.
    const std::string setup = path("set\xE9.Ron");
    ASSERT_EQ(std::rename(savedSetUp().c_str(), setup.c_str()), 0);
    for (const std::string& program : {kAnalyse, kRender}) {
        const testing::RawRun r = runRaw({program, "--setup", setup, "-o", path("x.png")});
        EXPECT_EQ(r.exitCode, 2) << program;
        EXPECT_TRUE(contains(r.standardError, "set\\xE9.Ron' is not valid UTF-8")) << r.standardError;
        EXPECT_FALSE(contains(r.standardError, "No such file")) << r.standardError;
    }
    const testing::RawRun app = runRaw({kApp, setup}, {"QT_QPA_PLATFORM=offscreen"}, 30s);
    ASSERT_FALSE(app.timedOut) << "the program started with the file";
    EXPECT_EQ(app.exitCode, 2);
    EXPECT_TRUE(contains(app.standardError, "set\\xE9.Ron' is not valid UTF-8")) << app.standardError;
}

TEST_F(CommandLine, BadFilesAndCountsAreRefusedNamed) {
    // Empty names, for both files and both programs.
    for (const std::string& program : {kRender, kAnalyse})
        for (const char* option : {"--setup", "--shape"}) {
            const testing::RawRun r = runRaw({program, option, "", "-o", path("x.png")});
            EXPECT_EQ(r.exitCode, 2) << program << " " << option;
            EXPECT_TRUE(contains(r.standardError, std::string("option ") + option + " needs a file name"))
                << r.standardError;
        }

    // Heights that no profile can be scaled from: the message names the file.
    ShapeRecord huge{};
    huge[20] = 1e308;
    const std::string shape = path("huge.Shp");
    writeShapeFile(QFile::decodeName(shape.c_str()), huge);
    const testing::RawRun r = runRaw({kRender, "--shape", shape, "--distorted", "-o", path("x.png")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(contains(r.standardError, "cannot use the shape file " + shape + ": Invalid floating point operation"))
        << r.standardError;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path("x.png"))));

    // Press counts: the bound is in the help and holds.
    const testing::RawRun help = runRaw({kRender, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(contains(help.standardOutput, "after the first picture (0 to 250)")) << help.standardOutput;
    for (const char* option : {"--brighten", "--centres"}) {
        const testing::RawRun over = runRaw({kRender, option, "251", "-o", path("x.png")});
        EXPECT_EQ(over.exitCode, 2) << option;
        EXPECT_TRUE(contains(over.standardError, "take a count from 0 to 250")) << over.standardError;
    }
}

}  // namespace
}  // namespace sg

// SPDX-License-Identifier: GPL-3.0-or-later
// shadowgram-reduce as a user runs it: the report, options over the file,
// every input rule with its message and exit status, files that are not
// files, names that are not UTF-8, JSON, and comma-decimal locales.
#include "tests/support/comma_locales.h"
#include "tests/support/raw_process.h"

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace sg {
namespace {

using testing::RawRun;
using testing::runRaw;
using namespace std::chrono_literals;

const std::string kReduce = SHADOWGRAM_REDUCE;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// `text` with the file's name in place of every FILE.
std::string withFile(std::string text, const std::string& path) {
    for (std::size_t at = text.find("FILE"); at != std::string::npos; at = text.find("FILE", at + path.size()))
        text.replace(at, 4, path);
    return text;
}

const char* const kParaboloid = "# a perfect 200 mm f/5 paraboloid\n"
                                "diameter 200\nradius 2000\nzones 4\n"
                                "1 0.3125\n2 0.9375\n3 1.5625\n4 2.1875\n";

class ReduceCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        folder = QFile::encodeName(dir.path()).toStdString();
    }
    std::string file(const std::string& name, const std::string& text) {
        const std::string p = folder + "/" + name;
        QFile f(QFile::decodeName(p.c_str()));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text.data(), static_cast<qint64>(text.size()));
        return p;
    }
    QTemporaryDir dir;
    std::string folder;
};

TEST_F(ReduceCommand, PrintsTheReportAndOptionsOverrideTheFile) {
    const std::string mirror = file("p.txt", kParaboloid);
    const RawRun r = runRaw({kReduce, mirror});
    ASSERT_EQ(r.exitCode, 0) << r.standardError;
    EXPECT_TRUE(r.standardError.empty()) << r.standardError;
    EXPECT_EQ(r.standardOutput.substr(0, r.standardOutput.find('\n')),
              "Mirror: D 200.00 mm, R 2000.00 mm, f/5.00, wanted conic -1.0000, source moving, lambda 0.5500 um");
    EXPECT_TRUE(contains(r.standardOutput, "\nRMS wavefront: 0.0000 wave (surface 0.0 nm)\n")) << r.standardOutput;
    EXPECT_TRUE(contains(r.standardOutput, "\nVerdict: No zone stands out (zone heights within 0.05 wave).\n"));

    // The same readings for a wanted sphere at 0.633 um, mid radii, fixed
    // source, options before and after the file.
    const RawRun o = runRaw({kReduce, "--conic", "0", mirror, "--wavelength", "0.633", "--zone-radius", "mid",
                             "--source", "fixed", "--obstruction", "40", "--profile", "--round-trip"});
    ASSERT_EQ(o.exitCode, 0) << o.standardError;
    EXPECT_TRUE(contains(o.standardOutput, "wanted conic 0.0000, source fixed, lambda 0.6330 um\n")) << o.standardOutput;
    EXPECT_TRUE(contains(o.standardOutput, "Zones: 4 (zone radius mid, exact nulls), reading sets: 1\n"));
    EXPECT_TRUE(contains(o.standardOutput, "surface_nm  round_trip_mm\n"));
    EXPECT_TRUE(contains(o.standardOutput, "\nh_mm  surface_nm\n20.00 ")) << o.standardOutput;
    // --radius replaces the file's; given twice, which one was meant is
    // not guessed.
    const RawRun radius = runRaw({kReduce, mirror, "--radius", "2400"});
    EXPECT_TRUE(contains(radius.standardOutput, "R 2400.00 mm, f/6.00")) << radius.standardOutput;
    const RawRun twice = runRaw({kReduce, mirror, "--radius", "1900", "--radius", "2400"});
    EXPECT_EQ(twice.exitCode, 2);
    EXPECT_EQ(twice.standardError,
              "shadowgram-reduce: option --radius given twice (see shadowgram-reduce --help)\n");
    EXPECT_EQ(twice.standardOutput, "");
}

TEST_F(ReduceCommand, HelpVersionAndBadUsage) {
    const RawRun help = runRaw({kReduce, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.standardOutput.rfind("Usage: shadowgram-reduce FILE [options]\n", 0), 0u);
    EXPECT_TRUE(contains(help.standardOutput, "--round-trip")) << help.standardOutput;
    const RawRun version = runRaw({kReduce, "--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.standardOutput, std::string("shadowgram-reduce ") + SHADOWGRAM_VERSION_TEXT + "\n");

    const std::string mirror = file("p.txt", kParaboloid);
    struct Bad {
        std::vector<std::string> args;
        std::string message;
    };
    const Bad bad[] = {
        {{kReduce}, "shadowgram-reduce: no reading file given (see shadowgram-reduce --help)\n"},
        {{kReduce, mirror, "--bogus"}, "shadowgram-reduce: unknown option '--bogus' (see shadowgram-reduce --help)\n"},
        {{kReduce, mirror, mirror},
         "shadowgram-reduce: one reading file only, found '" + mirror + "' and '" + mirror +
             "' (see shadowgram-reduce --help)\n"},
        {{kReduce, mirror, "--radius"}, "shadowgram-reduce: option --radius needs a value (see shadowgram-reduce --help)\n"},
        {{kReduce, mirror, "--radius", "2,5"},
         "shadowgram-reduce: option --radius takes a number, not '2,5' (see shadowgram-reduce --help)\n"},
        {{kReduce, mirror, "--source", "left"},
         "shadowgram-reduce: option --source takes moving or fixed, not 'left' (see shadowgram-reduce --help)\n"},
        {{kReduce, mirror, "--null", "hand"},
         "shadowgram-reduce: option --null takes exact or classical, not 'hand' (see shadowgram-reduce --help)\n"},
        {{kReduce, mirror, "--zone-radius", "mean"},
         "shadowgram-reduce: option --zone-radius takes rms, mid or carlin, not 'mean' (see shadowgram-reduce --help)\n"},
        {{kReduce, mirror, "--diameter", "0"},
         "shadowgram-reduce: option --diameter: the diameter must be greater than 0, not 0 (see shadowgram-reduce --help)\n"},
        {{kReduce, mirror, "--diameter", "2000"},
         "error: '" + mirror + "' line 3: the radius (2000 mm) must be greater than the diameter (2000 mm)\n"},
        {{kReduce, mirror, "--radius", "150"},
         "error: option --radius: the radius (150 mm) must be greater than the diameter (200 mm)\n"},
        {{kReduce, file("e.txt", "diameter 200\nradius 2000\n1 0 50 0.1\n2 50 100 0.5\n"), "--diameter", "150"},
         "error: zone 2 ('" + folder + "/e.txt' line 4): the outer radius (100 mm) lies beyond the edge of the mirror "
         "(75 mm)\n"},
        {{kReduce, ""}, "shadowgram-reduce: the reading file's name is empty\n"},
    };
    for (const Bad& b : bad) {
        const RawRun r = runRaw(b.args);
        EXPECT_EQ(r.exitCode, 2) << b.message;
        EXPECT_EQ(r.standardError, b.message);
        EXPECT_TRUE(r.standardOutput.empty()) << r.standardOutput;
    }
}

struct Rule {
    const char* name;
    const char* text;
    const char* error;
};

// Every input rule of the reading file, through the program: exit 2, one
// line on standard error naming the place, nothing on standard output.
TEST_F(ReduceCommand, EveryInputRuleStopsWithItsMessage) {
    const Rule rules[] = {
        {"unknown key", "diameter 200\nradius 2000\nfocus 3\n",
         "'FILE' line 3: unknown key 'focus' (the keys are diameter, radius, conic, wavelength, source, source-distance, "
         "zone-radius, null, obstruction, units, zones and reverse)"},
        {"bad null", "diameter 200\nradius 2000\nnull first-order\n",
         "'FILE' line 3: null must be 'exact' or 'classical', not 'first-order'"},
        {"null without a value", "diameter 200\nnull\n", "'FILE' line 2: 'null' needs a value"},
        {"bad zone radius", "diameter 200\nzone-radius mean\n",
         "'FILE' line 2: zone-radius must be 'rms', 'mid' or 'carlin', not 'mean'"},
        {"twice", "diameter 200\nradius 2000\nRADIUS 2100\n", "'FILE' line 3: 'radius' is given twice (first on line 2)"},
        {"comma decimal", "diameter 200\nradius 2000,5\n", "'FILE' line 2: 'radius' takes one value, found 2"},
        {"not finite", "diameter 200\nradius 1e400\n", "'FILE' line 2: '1e400' is not a finite decimal number"},
        {"no diameter", "radius 2000\nzones 2\n1 0\n2 1\n", "no diameter: give 'diameter' in the file or --diameter"},
        {"no radius", "diameter 200\nzones 2\n1 0\n2 1\n", "no radius: give 'radius' in the file or --radius"},
        {"radius not above diameter", "diameter 200\nradius 150\nzones 2\n1 0\n2 1\n",
         "'FILE' line 2: the radius (150 mm) must be greater than the diameter (200 mm)"},
        {"wavelength", "wavelength -0.5\n", "'FILE' line 1: the wavelength must be greater than 0, not -0.5"},
        {"one zone", "diameter 200\nradius 2000\n1 0 100 0.1\n", "at least 2 zones are needed, found 1"},
        {"numbering", "diameter 200\nradius 2000\n1 0 50 0.1\n1 50 100 0.2\n",
         "'FILE' line 4: zone 2 expected, found zone 1 (zones are numbered 1, 2, 3, ... in order)"},
        {"sets", "diameter 200\nradius 2000\n1 0 50 0.1 0.2\n2 50 100 0.2\n",
         "'FILE' line 4: zone 2 has 1 reading, zone 1 has 2; every zone needs one reading per set"},
        {"no reading", "diameter 200\nradius 2000\n1 0 50\n", "'FILE' line 3: zone 1 needs its inner and outer radius and at least one reading"},
        {"inner negative", "diameter 200\nradius 2000\n1 -5 50 0.1\n", "'FILE' line 3: zone 1: the inner radius must not be negative"},
        {"outer below inner", "diameter 200\nradius 2000\n1 50 40 0.1\n",
         "'FILE' line 3: zone 1: the outer radius is smaller than the inner radius"},
        {"beyond the rim by more than 1% of the radius", "diameter 200\nradius 2000\n1 0 50 0.1\n2 50 101.5 0.2\n",
         "zone 2 ('FILE' line 4): the outer radius (101.5 mm) lies beyond the edge of the mirror (100 mm)"},
        {"radii not increasing", "diameter 200\nradius 2000\nzone-radius mid\n1 50 100 0.1\n2 0 50 0.2\n",
         "zone 2 ('FILE' line 5): its zone radius (25 mm) is not greater than zone 1's (75 mm); zones go from the centre "
         "out"},
        {"bad reading", "diameter 200\nradius 2000\n1 0 50 0.1\n2 50 100 0.2.3\n",
         "'FILE' line 4: zone 2: '0.2.3' is not a finite decimal number"},
        {"header late", "diameter 200\n1 0 50 0.1\nradius 2000\n",
         "'FILE' line 3: the header line 'radius' comes after the zone lines; headers come first"},
        {"zone count", "diameter 200\nradius 2000\nzones 3\n1 0.1\n2 0.2\n",
         "'FILE' line 3: zones 3 is given but the file has 2 zone lines"},
        {"wrong way", "diameter 200\nradius 2000\nzones 3\n1 -0.2\n2 -1\n3 -2\n",
         "the readings decrease outward where the wanted mirror's nulls increase: the scale seems to count toward "
         "the mirror; add the line 'reverse' to the file or give --reverse"},
        {"zero width", "diameter 200\nradius 2000\n1 0 50 0.1\n2 50 50 0.2\n3 50 100 0.3\n",
         "zone 2 ('FILE' line 4): its inner and outer radius are both 50 mm: a zone needs a width"},
        {"overlap", "diameter 200\nradius 2000\n1 0 50 0.1\n2 40 80 0.5\n3 80 100 1\n",
         "zone 2 ('FILE' line 4): its edges (40 to 80 mm) overlap zone 1's (0 to 50 mm)"},
        {"inside the obstruction", "diameter 200\nradius 2000\nobstruction 60\n1 0 30 0.1\n2 30 100 0.5\n",
         "zone 1 ('FILE' line 4): its edges (0 to 30 mm) lie wholly inside the obstruction (radius 30 mm)"},
        {"equal-area zone inside the obstruction", "diameter 200\nradius 2000\nobstruction 120\nzones 3\n1 0.1\n2 0.5\n3 1\n",
         "zone 1 ('FILE' line 5): its edges (0 to 57.735026918962575 mm) lie wholly inside the obstruction (radius 60 mm)"},
        {"decimal comma that splits", "diameter;200\nradius;2000\nzones;2\n1;0,31\n2;0,94,5\n",
         "'FILE' line 5: zone 2: '0,94,5' is not a finite decimal number (the file separates its fields with ';', "
         "first on line 1, so a ',' between two digits is its decimal comma)"},
        {"comma-separated line in a ';' file", "diameter;200\nradius;2000\nzones;2\n1;0,31\n2,0,94\n",
         "'FILE' line 5: '2,0,94' is neither a key nor a zone number (the file separates its fields with ';', first on "
         "line 1, so a ',' between two digits is its decimal comma)"},
        {"wavelength too small", "diameter 200\nradius 2000\nwavelength 1e-320\nzones 2\n1 0.3\n2 1.5\n",
         "'FILE' line 3: the wavelength (1e-320 um) is too small to compute with"},
        {"wavelength too large", "diameter 200\nradius 2000\nwavelength 1.7e308\nzones 2\n1 0.3\n2 1.5\n",
         "'FILE' line 3: the wavelength (1.7e+308 um) is too large for this mirror: its airy_radius_um is not a "
         "finite number"},
        {"radius too large", "diameter 200\nradius 1e200\nzones 2\n1 0.3\n2 1.5\n",
         "'FILE' line 2: the radius (1e+200 mm) is too large to compute with"},
        {"a huge conic in few characters", "diameter 200\nradius 300\nconic 1e300\nzones 2\n1 0\n2 1\n",
         "'FILE' line 3: the wanted conic 1e+300 has no surface out to the edge of the mirror at this radius "
         "((1 + K) (D/2)^2 exceeds R^2)"},
        {"readings of another mirror", "diameter 200\nradius 2000\nzones 3\n1 1e300\n2 2e300\n3 3e300\n",
         "the readings lie 2e+300 mm on average from the wanted mirror's nulls, where the wanted conic has no null "
         "for every zone: check the radius, the source and the readings"},
        {"a fixed source just beyond half the radius",
         "diameter 200\nradius 2000\nsource fixed\nsource-distance 1000.000001\nzones 3\n1 0.3\n2 0.9\n3 1.6\n",
         "the readings lie -1002502049091.753 mm on average from the wanted mirror's nulls, where the wanted conic has "
         "no null for every zone: check the radius, the source and the readings"},
    };
    for (const Rule& rule : rules) {
        const std::string path = file("rule.txt", rule.text);
        const RawRun r = runRaw({kReduce, path});
        EXPECT_EQ(r.exitCode, 2) << rule.name;
        EXPECT_EQ(r.standardError, "error: " + withFile(rule.error, path) + "\n") << rule.name;
        EXPECT_TRUE(r.standardOutput.empty()) << rule.name << ": " << r.standardOutput;
    }
    // The reading scale turned over, in the file or on the command line.
    const std::string inward = file("in.txt", "diameter 200\nradius 2000\nzones 3\n1 -0.2\n2 -1\n3 -2\n");
    EXPECT_EQ(runRaw({kReduce, inward, "--reverse"}).exitCode, 0);
    EXPECT_EQ(runRaw({kReduce, file("rev.txt", "reverse\ndiameter 200\nradius 2000\nzones 3\n1 -0.2\n2 -1\n3 -2\n")})
                  .exitCode,
              0);
}

// The conventions of hand sheets on the command line, and how the input
// was taken said in notes on standard error, the report on standard
// output as ever.
TEST_F(ReduceCommand, SheetConventionsAndNotes) {
    const std::string sheet = file("sheet.csv", "zone,inner,outer,run1,run2\ndiameter,200\nradius,2000\n"
                                                "source,fixed\n1,0,50,0.6,0.61\n2,50,70,1.9,1.92\n"
                                                "3,70,100.5,3.8,3.81\n");
    const RawRun r = runRaw({kReduce, sheet, "--null", "classical", "--zone-radius", "carlin"});
    ASSERT_EQ(r.exitCode, 0) << r.standardError;
    EXPECT_EQ(r.standardError,
              "note: '" + sheet + "' line 1: 'zone,inner,outer,run1,run2' is a row of column names: skipped\n"
              "note: zone 3 ('" + sheet + "' line 7): the outer radius (100.5 mm) lies beyond the edge of the mirror "
              "(100 mm), within 1% of its radius: taken as the edge\n");
    EXPECT_TRUE(contains(r.standardOutput, "Zones: 3 (zone radius carlin, classical nulls), reading sets: 2\n"))
        << r.standardOutput;
    // Zone 1, h = (25 + sqrt(1250)) / 2: the classical null h^2 / R.
    const double h = (25 + std::sqrt(1250.0)) / 2;
    EXPECT_TRUE(contains(r.standardOutput, QString::asprintf("%9.3f %12.5f", h, h * h / 2000).toStdString()))
        << r.standardOutput;
    EXPECT_TRUE(contains(r.standardOutput, "\nRepeatability (std dev less each set's offset, mm): "));
    const RawRun json = runRaw({kReduce, sheet, "--json", "--null", "classical"});
    ASSERT_EQ(json.exitCode, 0) << json.standardError;
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(json.standardOutput)).object();
    EXPECT_EQ(o["mirror"]["null"].toString(), "classical");
    EXPECT_EQ(o["notes"].toArray().size(), 2);
    EXPECT_TRUE(o["zones"][0]["repeatability_mm"].isDouble());
    EXPECT_TRUE(o["sets"][1]["couder"]["max_ta_over_rho"].isDouble());
    const RawRun help = runRaw({kReduce, "--help"});
    for (const char* part : {"--null exact|classical", "--zone-radius rms|mid|carlin", "rms_surface_nm",
                             "repeatability_mm", "couder {max_ta_over_rho, shift_mm, pass}}]", "header row"})
        EXPECT_TRUE(contains(help.standardOutput, part)) << part;
}

// Readings a hundred metres apart: no conic nulls its zones there, and the
// best-fit conic does not settle.
TEST_F(ReduceCommand, AFitThatDoesNotConvergeExitsWithOne) {
    const RawRun r = runRaw({kReduce, file("far.txt", "diameter 200\nradius 2000\nzones 3\n1 1e5\n2 2e5\n3 3e5\n")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.standardError, "error: the best-fit conic did not converge in 100 steps\n");
    EXPECT_TRUE(r.standardOutput.empty()) << r.standardOutput;
}

// A report that cannot be written is a failure of the run (1), not of
// its input (2).
TEST_F(ReduceCommand, AReportThatCannotBeWrittenExitsWithOne) {
    const std::string mirror = file("p.txt", kParaboloid);
    for (const char* json : {"", " --json"}) {
        const RawRun r = runRaw({"/bin/sh", "-c", "exec \"$0\" \"$1\"" + std::string(json) + " >/dev/full", kReduce, mirror});
        EXPECT_EQ(r.exitCode, 1) << json;
        EXPECT_EQ(r.standardError, "error: cannot write the report to standard output\n") << json;
    }
}

TEST_F(ReduceCommand, FilesThatCannotBeReadAreRefusedAtOnce) {
    const std::string pipe = folder + "/waiting.txt";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    const RawRun p = runRaw({kReduce, pipe}, {}, 20s);
    ASSERT_FALSE(p.timedOut) << "the program waits on a pipe";
    EXPECT_EQ(p.exitCode, 2);
    EXPECT_EQ(p.standardError, "error: cannot read '" + pipe + "': not a regular file\n");
    const RawRun d = runRaw({kReduce, folder});
    EXPECT_EQ(d.exitCode, 2);
    EXPECT_EQ(d.standardError, "error: cannot read '" + folder + "': not a regular file\n");
    const RawRun missing = runRaw({kReduce, folder + "/none.txt"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.standardError, "error: cannot read '" + folder + "/none.txt': No such file or directory\n");
    // A Latin-1 name is refused rather than read as another file.
    const std::string latin1 = folder + "/mirror\xE9.txt";
    file("mirror\xE9.txt", kParaboloid);
    const RawRun l = runRaw({kReduce, latin1});
    EXPECT_EQ(l.exitCode, 2);
    EXPECT_TRUE(contains(l.standardError, "mirror\\xE9.txt' is not valid UTF-8")) << l.standardError;
    EXPECT_TRUE(l.standardOutput.empty());
}

TEST_F(ReduceCommand, JsonHoldsTheFiguresOfTheText) {
    const std::string mirror =
        file("s.txt", "diameter 200\nradius 2000\nzones 5\n1 0 0.01\n2 0.1 0.12\n3 0.2 0.18\n4 0.35 0.33\n5 0.4 0.42\n");
    const RawRun text = runRaw({kReduce, mirror});
    const RawRun json = runRaw({kReduce, mirror, "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.standardError;
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(json.standardOutput), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json.standardOutput;
    auto printed = [&](double v, int decimals) { return QString::number(v, 'f', decimals).toStdString(); };
    EXPECT_TRUE(contains(text.standardOutput, "PV wavefront: " + printed(o["pv_wave"].toDouble(), 3) + " wave\n"));
    EXPECT_TRUE(contains(text.standardOutput, "Best-fit conic: " + printed(o["best_fit_conic"]["conic"].toDouble(), 4)));
    EXPECT_TRUE(contains(text.standardOutput,
                         "Reading spread (std dev, mm): " + printed(o["zones"][0]["spread_mm"].toDouble(), 4)));
    EXPECT_EQ(o["sets"].toArray().size(), 2);
    EXPECT_EQ(o["version"].toString().toStdString(), SHADOWGRAM_VERSION_TEXT);
}

TEST_F(ReduceCommand, CommaLocalesReadAndPrintPoints) {
    const std::string mirror = file("s.txt", "diameter 200\nradius 2000\nzones 4\n1 0.01\n2 0.3\n3 0.9\n4 1.5\n");
    const RawRun c = runRaw({kReduce, mirror, "--wavelength", "0.6328", "--profile"}, {"LC_ALL=C"});
    ASSERT_EQ(c.exitCode, 0) << c.standardError;
    int tried = 0;
    for (const char* locale : testing::kCommaLocales) {
        if (!testing::commaLocaleInstalled(locale)) continue;
        for (const std::string variable : {"LC_ALL", "LANG", "LC_NUMERIC"}) {
            const std::vector<std::string> env = {"LC_ALL", "LANG", "LC_NUMERIC", variable + "=" + locale};
            const RawRun r = runRaw({kReduce, mirror, "--wavelength", "0.6328", "--profile"}, env);
            EXPECT_EQ(r.exitCode, 0) << r.standardError;
            EXPECT_EQ(r.standardOutput, c.standardOutput) << variable << "=" << locale;
            EXPECT_EQ(runRaw({kReduce, mirror, "--wavelength", "0,6328"}, env).exitCode, 2);
            ++tried;
        }
    }
    if (tried == 0) GTEST_SKIP() << "neither de_DE.UTF-8 nor fr_FR.UTF-8 is installed";
}

}  // namespace
}  // namespace sg

// SPDX-License-Identifier: GPL-3.0-or-later
// shadowgram-reduce over reading files and option sets drawn from a seeded
// generator: ordinary mirrors beside values at the ends of the doubles,
// either tester, either zone radius, obstructions, inches, several sets.
// Whatever the input, the run ends with 0 and strict JSON on standard
// output, or with 1 or 2 and one bounded line on standard error.
#include "tests/support/raw_process.h"

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace sg {
namespace {

using testing::RawRun;
using testing::runRaw;

const std::string kReduce = SHADOWGRAM_REDUCE;

// Values at the ends of the doubles and of good sense.
const double kExtremes[] = {1e-320, 5e-324, 1e-300, 1e-12, 1e15, 1e150, 1e300, 1.7976931348623157e308};

class Draw {
public:
    explicit Draw(unsigned seed) : engine_(seed) {}
    double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(engine_); }
    int whole(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(engine_); }
    bool chance(double p) { return uniform(0, 1) < p; }
    double extreme() {
        const double v = kExtremes[whole(0, static_cast<int>(std::size(kExtremes)) - 1)];
        return chance(0.2) ? -v : v;
    }
    // `ordinary` most of the time, an extreme value now and then.
    double value(double ordinary, double extremeChance = 0.08) { return chance(extremeChance) ? extreme() : ordinary; }

private:
    std::mt19937 engine_;
};

std::string text(double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    return buffer;
}

struct Case {
    std::string file;
    std::vector<std::string> options;
    int zones = 0;
    int sets = 0;
};

// One reading file and its options: a mirror of 50 to 600 mm at f/2 to
// f/12 with readings near its tester's nulls and, now and then, any value
// replaced by an extreme one or moved to the command line.
Case drawCase(Draw& d) {
    Case c;
    const bool inches = d.chance(0.15);
    const double diameter = d.value(d.uniform(50, 600) / (inches ? 25.4 : 1));
    const double radius = d.value(std::fabs(diameter) * d.uniform(4, 24));
    const double conic = d.value(d.uniform(-1.3, 0.3));
    const double wavelength = d.value(d.uniform(0.4, 0.7));
    const bool fixed = d.chance(0.4);
    const double kappa = fixed ? 2 : 1;
    const int zones = d.chance(0.05) ? 100 : d.whole(2, 12);
    const int sets = d.whole(1, 4);
    c.zones = zones;
    c.sets = sets;
    const bool count = d.chance(0.5);
    const bool reverse = d.chance(0.15);
    const double a = std::fabs(diameter) / 2;
    const double obstruction = d.chance(0.3) ? d.value(std::fabs(diameter) * d.uniform(0, 0.35)) : 0;

    std::vector<std::pair<std::string, std::string>> header = {
        {"diameter", text(diameter)}, {"radius", text(radius)}, {"conic", text(conic)},
        {"wavelength", text(wavelength)}};
    if (inches) header.push_back({"units", "in"});
    if (fixed) header.push_back({"source", "fixed"});
    if (fixed && d.chance(0.5)) {
        // Near the radius, or just beyond half of it.
        const double s = d.chance(0.3) ? radius / 2 * (1 + std::pow(10.0, -d.whole(3, 15))) : radius * d.uniform(0.9, 1.1);
        header.push_back({"source-distance", text(d.value(s))});
    }
    if (d.chance(0.4)) header.push_back({"zone-radius", d.chance(0.3) ? "carlin" : d.chance(0.5) ? "mid" : "rms"});
    if (d.chance(0.3)) header.push_back({"null", d.chance(0.5) ? "classical" : "exact"});
    if (obstruction != 0) header.push_back({"obstruction", text(obstruction)});
    if (count) header.push_back({"zones", std::to_string(zones)});
    for (const auto& [key, value] : header) {
        const bool option = key != "units" && key != "zones" && d.chance(0.2);
        if (option) {
            c.options.push_back("--" + key);
            c.options.push_back(value);
        } else {
            c.file += key + " " + value + "\n";
        }
    }
    if (reverse) {
        if (d.chance(0.5)) c.options.push_back("--reverse");
        else c.file += "reverse\n";
    }
    // Readings near the first-order nulls of a conic near the wanted one,
    // -kappa K h^2 / (2 R) in the file's units, with noise of a hundredth
    // of the edge's null.
    const double sign = reverse ? -1 : 1;
    const double trueConic = conic + d.uniform(-0.3, 0.3);
    const double noise = 0.01 * (std::fabs(kappa * a * a / (2 * radius)) + 0.01);
    for (int i = 0; i < zones; ++i) {
        const double nominalInner = a * std::sqrt(static_cast<double>(i) / zones);
        const double nominalOuter = a * std::sqrt(static_cast<double>(i + 1) / zones);
        const double h = std::sqrt((nominalInner * nominalInner + nominalOuter * nominalOuter) / 2);
        c.file += std::to_string(i + 1);
        if (!count) c.file += " " + text(d.value(nominalInner, 0.01)) + " " + text(d.value(nominalOuter, 0.01));
        for (int s = 0; s < sets; ++s) {
            const double null = -kappa * trueConic * h * h / (2 * radius);
            c.file += " " + text(sign * d.value(null + d.uniform(-noise, noise), 0.01));
        }
        c.file += "\n";
    }
    return c;
}

// The longest run of characters that make up a number.
std::size_t longestNumber(const std::string& s) {
    std::size_t longest = 0, run = 0;
    for (const char ch : s) {
        const bool part = (ch >= '0' && ch <= '9') || ch == '.' || ch == 'e' || ch == '+' || ch == '-';
        run = part ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// A null anywhere in the document except where the keys say a value may
// be absent (the spread and repeatability of a single set).
int unexpectedNulls(const QJsonValue& v, const QString& key) {
    if (v.isNull()) return key == "spread_mm" || key == "repeatability_mm" ? 0 : 1;
    int n = 0;
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it) n += unexpectedNulls(it.value(), it.key());
    } else if (v.isArray()) {
        for (const QJsonValue& item : v.toArray()) n += unexpectedNulls(item, key);
    }
    return n;
}

TEST(ReduceRandom, EveryRunEndsInStrictJsonOrOneBoundedMessage) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = QFile::encodeName(dir.filePath("mirror.txt")).toStdString();
    Draw d(20281);
    int done = 0, refused = 0, failed = 0;
    constexpr int kRuns = 400;
    for (int run = 0; run < kRuns; ++run) {
        const Case c = drawCase(d);
        {
            QFile f(QString::fromStdString(path));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(c.file.data(), static_cast<qint64>(c.file.size()));
        }
        std::vector<std::string> args = {kReduce, path, "--json"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        std::string shown = "run " + std::to_string(run) + " with";
        for (std::size_t i = 3; i < args.size(); ++i) shown += " " + args[i];
        shown += "\n" + c.file;

        const RawRun r = runRaw(args);
        ASSERT_EQ(r.signal, 0) << shown;
        ASSERT_FALSE(r.timedOut) << shown;
        if (r.exitCode == 0) {
            ++done;
            QJsonParseError error;
            const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.standardOutput), &error);
            ASSERT_EQ(error.error, QJsonParseError::NoError)
                << error.errorString().toStdString() << " at " << error.offset << "\n" << shown << r.standardOutput;
            ASSERT_TRUE(doc.isObject()) << shown;
            const bool warned = r.standardError.rfind("warning: ", 0) == 0;
            EXPECT_TRUE(r.standardError.empty() || warned) << shown << r.standardError;
            if (unexpectedNulls(doc.object(), QString()) > 0) {
                EXPECT_TRUE(warned) << shown << r.standardOutput;
            }
            const QJsonArray zones = doc.object()["zones"].toArray();
            ASSERT_EQ(zones.size(), c.zones) << shown;
            EXPECT_EQ(zones[0]["readings_mm"].toArray().size(), c.sets) << shown;
        } else {
            ASSERT_TRUE(r.exitCode == 1 || r.exitCode == 2) << r.exitCode << "\n" << shown;
            r.exitCode == 1 ? ++failed : ++refused;
            EXPECT_TRUE(r.standardOutput.empty()) << shown << r.standardOutput;
            EXPECT_TRUE(r.standardError.rfind("error: ", 0) == 0 || r.standardError.rfind("shadowgram-reduce: ", 0) == 0)
                << shown << r.standardError;
            EXPECT_EQ(r.standardError.find('\n'), r.standardError.size() - 1) << shown << r.standardError;
            EXPECT_LE(longestNumber(r.standardError), 43u) << shown << r.standardError;
        }
    }
    // The draw reaches both ends: mirrors that reduce, input refused.
    EXPECT_GT(done, kRuns / 4);
    EXPECT_GT(refused, kRuns / 20);
    std::printf("%d reduced, %d refused, %d fits failed\n", done, refused, failed);
}

}  // namespace
}  // namespace sg

// SPDX-License-Identifier: GPL-3.0-or-later
// shadowgram-analyse: the figures of the analysis window for a mirror, as
// the window shows them after a click on the picture, one line each.

#include "model/number_text.h"
#include "model/failure.h"
#include "tools/mirror_options.h"
#include "model/controls_reading.h"
#include "editor/shape_file.h"
#include "analysis/analysis_layout.h"
#include "testfile/test_record.h"

#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string usage() {
    return "Usage: shadowgram-analyse [options]\n"
           "Prints what \"Calculate Surface Performance\" shows: the three set values and\n"
           "the six results against the best paraboloid and the best conic.\n"
           "\n" +
           sg::mirrorOptionsUsage() +
           "  --inner N            inner zone limit (default 0), kept within 0..8 as the\n"
           "                       window keeps it: -5 is taken as 0, 12 as 8\n"
           "  --outer N            outer zone limit (default 20), kept within 10..20\n"
           "  --tables             print the tables of the samples too\n"
           "The tester's source and the exact ray trace change only the pictures: the\n"
           "analysis compares surfaces, whatever the tester, so it takes no such option.\n"
           "  --help               this text\n"
           "  --version            the program's version\n";
}

struct Options {
    sg::MirrorOptions mirror;
    std::string inner = "0", outer = "20";
    bool tables = false, help = false, version = false;
};

Options parse(const std::vector<std::string>& arguments) {
    Options o;
    sg::StandardOptions standard;
    sg::CommandLine args(arguments);
    while (args.next()) {
        if (sg::takeMirrorOption(args, o.mirror)) continue;
        if (args.is("--inner")) o.inner = args.wholeNumberText();
        else if (args.is("--outer")) o.outer = args.wholeNumberText();
        else if (args.is("--tables")) o.tables = true;
        else if (!args.takeStandard(standard)) args.refuse();
    }
    o.help = standard.help;
    o.version = standard.version;
    return o;
}

struct Limits : sg::ZoneLimitCells {
    std::string cells[2];
    std::string limitCell(int row) const override { return cells[row]; }
    void setLimitCell(int row, const std::string& text) override { cells[row] = text; }
};

// Prints each line as it is written: the set values and results always,
// the tables on request.
struct Printer : sg::AnalysisOutput {
    bool tables = false;
    void drawText(int, int, sg::Rgb colour, const std::string& text) override {
        if (tables || colour != sg::kAnalysisTableColour) std::cout << text << '\n';
    }
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    try {
        options = parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const sg::ActionError& e) {
        std::cerr << e.what() << '\n';
        return 2;
    } catch (const sg::TestFileError& e) {
        std::cerr << "shadowgram-analyse: " << e.what() << '\n';
        return 2;
    } catch (const sg::FileNameError& e) {
        std::cerr << "shadowgram-analyse: " << e.what() << '\n';
        return 2;
    } catch (const std::invalid_argument& e) {
        return sg::reportUsageError("shadowgram-analyse", e.what());
    }
    if (options.help) {
        std::cout << usage();
        return 0;
    }
    if (options.version) {
        std::cout << "shadowgram-analyse " << SHADOWGRAM_VERSION << '\n';
        return 0;
    }

    sg::EditorShape shape;
    if (!options.mirror.shapeFile.empty()) {
        try {
            sg::loadShape(options.mirror.shapeFile, shape);
        } catch (const sg::ShapeFileError& e) {
            std::cerr << "shadowgram-analyse: " << e.what() << '\n';
            return 2;
        }
    }

    Limits limits;
    limits.cells[0] = options.inner;
    limits.cells[1] = options.outer;
    Printer printer;
    printer.tables = options.tables;
    try {
        // The mirror as a click on the picture leaves it: a negative zone
        // height turns the deviation over.
        const sg::ControlsReading reading = sg::readControls(options.mirror.controls);
        sg::Mirror shown;
        sg::TestSetup setup;
        sg::readSetup(reading, shown, setup);
        sg::AnalysisFigures figures;
        sg::calculateAndLayOut({reading, shape, shown.invertDeviation, {}}, limits, printer, figures);
    } catch (const sg::ActionError& e) {
        std::cout.flush();
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}

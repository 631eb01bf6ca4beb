// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/render_options.h"

#include "model/number_text.h"

namespace sg {

std::string renderUsage() {
    return "Usage: shadowgram-render [options] -o FILE\n"
           "Draws the picture of a click on the main window into an 800 x 700 PNG.\n"
           "\n" +
           mirrorOptionsUsage() +
           "  --distorted          \"Show distorted surface\" (default: the pure conic)\n"
           "  --source fixed|moving\n"
           "                       the tester's source: fixed at the centre of curvature (default)\n"
           "                       or moving with the grating, wire or knife\n"
           "  --exact              trace the exact conic instead of the two-term series; with\n"
           "                       --distorted the drawn zone at its true height\n"
           "  --source-width MM    with --exact or --wave: the slit (\"Slit (mm)\"), a source this\n"
           "                       wide across the grating lines, knife or wire (a square pinhole\n"
           "                       for 2d); default 0, a point source\n"
           "  --test ronchi|wire|foucault\n"
           "  --orientation vertical|horizontal|2d\n"
           "  --odd                check \"Odd\" (a dark band at the centre)\n"
           "  --axial MM           axial position from the centre of curvature (default 0):\n"
           "                       positive outside it (farther from the mirror), negative inside\n"
           "  --transverse T       transverse offset in the test's unit (default 0): bands of\n"
           "                       1/(2 N) mm for ronchi, wire widths for wire, 1/(6 N) mm for\n"
           "                       foucault\n"
           "  --grid               draw the reference grid\n"
           "  --white              White mode\n"
           "  --brighten N         N presses of \"Brighten\" after the first picture (0 to " +
           std::to_string(kMaxPresses) + ")\n"
           "  --centres N          N presses of \" Centres\" after the first picture (0 to " +
           std::to_string(kMaxPresses) + ")\n"
           "  --wave               draw the picture in wave optics: diffraction included, as an eye\n"
           "                       or a camera focused on the mirror sees it; implies --exact\n"
           "  --spectrum mono|white\n"
           "                       with --wave: the light, one wavelength (default, --wavelength)\n"
           "                       or white light\n"
           "  --intensity FILE     with --wave: also write the intensity as a 16-bit grey PNG,\n"
           "                       800 x 700, min(65535, round(16384 I)), 0 off the mirror\n"
           "  --caption            a strip below the picture saying what it shows (800 x 740)\n"
           "  -o FILE              the PNG to write: an 8-bit palette PNG where the picture has\n"
           "                       256 colours or fewer (every ray picture), 24-bit otherwise\n"
           "  --batch FILE         draw a series of pictures in one run: each line of FILE (- for\n"
           "                       standard input) holds the options of one picture, as they\n"
           "                       would follow shadowgram-render on a command line, quoted\n"
           "                       as a shell quotes them; blank lines and lines starting with\n"
           "                       # are skipped. Each picture is drawn and written as its own\n"
           "                       command would; a line's mistake is reported as FILE:LINE:\n"
           "                       and the others are still drawn. The exit status is the\n"
           "                       highest of the lines'. Nothing else may go with --batch.\n"
           "  --help               this list\n"
           "  --version            the program's version\n";
}

RenderOptions parseRenderOptions(const std::vector<std::string>& arguments) {
    RenderOptions o;
    PlainControls& controls = o.mirror.controls;
    StandardOptions standard;
    bool widthGiven = false;
    bool spectrumGiven = false;
    CommandLine args(arguments);
    while (args.next()) {
        const bool setup = args.is("--setup");
        if (takeMirrorOption(args, o.mirror)) {
            // A set-up's axial position, unless --axial comes after it.
            if (setup) o.axial = o.mirror.setupAxialOffset;
        } else if (args.is("--test")) {
            constexpr int kTests[] = {kTestRonchi, kTestWire, kTestFoucault};
            controls.test = kTests[args.choice({"ronchi", "wire", "foucault"})];
        } else if (args.is("--orientation")) {
            constexpr int kOrientations[] = {kOrientVertical, kOrientHorizontal, kOrient2D};
            controls.orientation = kOrientations[args.choice({"vertical", "horizontal", "2d"})];
        } else if (args.is("--source")) {
            controls.movingSource = args.choice({"fixed", "moving"}) == 1;
        } else if (args.is("--source-width")) {
            const std::string& t = args.numberText();
            if (parseCellFloat(t) < 0) throw UsageError("option --source-width takes a width of 0 mm or more");
            controls.sourceWidth = t;
            widthGiven = true;
        } else if (args.is("--exact")) controls.exactTrace = true;
        else if (args.is("--wave")) controls.waveOptics = true;
        else if (args.is("--spectrum")) {
            controls.whiteLight = args.choice({"mono", "white"}) == 1;
            spectrumGiven = true;
        } else if (args.is("--intensity")) o.intensityOutput = args.fileName();
        else if (args.is("--odd")) controls.odd = true;
        else if (args.is("--distorted")) controls.surface = kSurfaceDistorted;
        else if (args.is("--axial")) o.axial = args.number();
        else if (args.is("--transverse")) o.transverse = args.number();
        else if (args.is("--grid")) controls.grid = true;
        else if (args.is("--white")) o.white = true;
        else if (args.is("--caption")) o.caption = true;
        else if (args.is("--brighten")) o.brighten = args.wholeNumber();
        else if (args.is("--centres")) o.centres = args.wholeNumber();
        else if (args.is("-o")) o.output = args.fileName();
        else if (args.is("--batch")) o.batch = args.fileName();
        else if (!args.takeStandard(standard)) args.refuse();
    }
    if (!o.batch.empty() && arguments.size() != 2)
        throw UsageError("--batch takes no other options: each line of its file holds the options of one picture");
    o.help = standard.help;
    o.version = standard.version;
    // The slit belongs to the exact trace; the wave picture takes the exact
    // surface too.
    if (widthGiven && !controls.exactTrace && !controls.waveOptics)
        throw UsageError("--source-width needs --exact or --wave: only they have a source of real width");
    if ((spectrumGiven || !o.intensityOutput.empty()) && !controls.waveOptics)
        throw UsageError("--spectrum and --intensity need --wave: only the wave picture has them");
    // Each press costs up to 4 ms; more than this is a slip of the keyboard.
    if (o.brighten < 0 || o.centres < 0 || o.brighten > kMaxPresses || o.centres > kMaxPresses)
        throw UsageError("--brighten and --centres take a count from 0 to " + std::to_string(kMaxPresses));
    return o;
}

std::vector<std::string> batchLineWords(const std::string& line) {
    std::vector<std::string> words;
    std::size_t i = 0;
    const std::size_t n = line.size();
    const auto blank = [&](std::size_t at) { return line[at] == ' ' || line[at] == '\t'; };
    for (;;) {
        while (i < n && blank(i)) ++i;
        if (i == n) break;
        if (words.empty() && line[i] == '#') break;  // a comment
        std::string word;
        while (i < n && !blank(i)) {
            const char c = line[i++];
            if (c == '\'') {
                const std::size_t close = line.find('\'', i);
                if (close == std::string::npos) throw UsageError("a quote (') is left open");
                word.append(line, i, close - i);
                i = close + 1;
            } else if (c == '"') {
                for (;;) {
                    if (i == n) throw UsageError("a quote (\") is left open");
                    const char d = line[i++];
                    if (d == '"') break;
                    if (d == '\\' && i < n && (line[i] == '"' || line[i] == '\\')) word += line[i++];
                    else word += d;
                }
            } else if (c == '\\' && i < n) {
                word += line[i++];
            } else {
                word += c;
            }
        }
        words.push_back(std::move(word));
    }
    return words;
}

}  // namespace sg

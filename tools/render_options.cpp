// SPDX-License-Identifier: GPL-3.0-or-later
#include "render_options.h"

#include "number_text.h"

#include <stdexcept>

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
           "  --source-width MM    with --exact: a source slit of this width along the grating\n"
           "                       lines, knife or wire (a square pinhole for 2d); default 0,\n"
           "                       a point source\n"
           "  --test ronchi|wire|foucault\n"
           "  --orientation vertical|horizontal|2d\n"
           "  --odd                check \"Odd\" (a dark band at the centre)\n"
           "  --axial MM           axial position from the centre of curvature (default 0)\n"
           "  --transverse T       transverse offset in the test's unit (default 0)\n"
           "  --grid               draw the reference grid\n"
           "  --white              White mode\n"
           "  --brighten N         N presses of \"Brighten\" after the first picture (0 to " +
           std::to_string(kMaxPresses) + ")\n"
           "  --centres N          N presses of \" Centres\" after the first picture (0 to " +
           std::to_string(kMaxPresses) + ")\n"
           "  --caption            a strip below the picture saying what it shows (800 x 740)\n"
           "  -o FILE              the PNG to write\n"
           "  --help               this list\n"
           "  --version            the program's version\n";
}

RenderOptions parseRenderOptions(const std::vector<std::string>& args) {
    RenderOptions o;
    PlainControls& controls = o.mirror.controls;
    bool widthGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (takeMirrorOption(args, i, o.mirror)) {
            if (a == "--setup") o.axial = o.mirror.setupAxialOffset;
        } else if (a == "--test") {
            const std::string& t = optionValue(args, i);
            if (t == "ronchi") controls.test = kTestRonchi;
            else if (t == "wire") controls.test = kTestWire;
            else if (t == "foucault") controls.test = kTestFoucault;
            else throw std::invalid_argument("--test takes ronchi, wire or foucault, not '" + t + "'");
        } else if (a == "--orientation") {
            const std::string& t = optionValue(args, i);
            if (t == "vertical") controls.orientation = kOrientVertical;
            else if (t == "horizontal") controls.orientation = kOrientHorizontal;
            else if (t == "2d") controls.orientation = kOrient2D;
            else throw std::invalid_argument("--orientation takes vertical, horizontal or 2d, not '" + t + "'");
        } else if (a == "--source") {
            const std::string& t = optionValue(args, i);
            if (t == "fixed") controls.movingSource = false;
            else if (t == "moving") controls.movingSource = true;
            else throw std::invalid_argument("--source takes fixed or moving, not '" + t + "'");
        } else if (a == "--source-width") {
            const std::string& t = optionValue(args, i);
            if (parseCellFloat(t) < 0) throw std::invalid_argument("--source-width takes a width of 0 mm or more");
            controls.sourceWidth = t;
            widthGiven = true;
        } else if (a == "--exact") controls.exactTrace = true;
        else if (a == "--odd") controls.odd = true;
        else if (a == "--distorted") controls.surface = kSurfaceDistorted;
        else if (a == "--axial") o.axial = parseCellFloat(optionValue(args, i));
        else if (a == "--transverse") o.transverse = parseCellFloat(optionValue(args, i));
        else if (a == "--grid") controls.grid = true;
        else if (a == "--white") o.white = true;
        else if (a == "--caption") o.caption = true;
        else if (a == "--brighten") o.brighten = parseCellInteger(optionValue(args, i));
        else if (a == "--centres") o.centres = parseCellInteger(optionValue(args, i));
        else if (a == "-o") o.output = fileOptionValue(args, i);
        else if (a == "--help" || a == "-h") o.help = true;
        else if (a == "--version") o.version = true;
        else throw std::invalid_argument("unknown option '" + a + "'");
    }
    // The slit belongs to the exact trace.
    if (widthGiven && !controls.exactTrace)
        throw std::invalid_argument("--source-width needs --exact: only the exact ray trace has a source of real width");
    // Each press costs up to 4 ms; more than this is a slip of the keyboard.
    if (o.brighten < 0 || o.centres < 0 || o.brighten > kMaxPresses || o.centres > kMaxPresses)
        throw std::invalid_argument("--brighten and --centres take a count from 0 to " + std::to_string(kMaxPresses));
    return o;
}

}  // namespace sg

#include "render_options.h"

#include "cell_number.h"
#include "setup_transfer.h"

#include <stdexcept>

namespace sg {

std::string renderUsage() {
    return "Usage: shadowgram-render [options] -o FILE\n"
           "Draws the picture of a click on the main window into an 800 x 700 PNG.\n"
           "\n"
           "  --setup FILE         start from a saved test set-up (.Ron): its mirror, test,\n"
           "                       orientation, parity and axial position; options after it\n"
           "                       override it\n"
           "  --diameter MM        mirror diameter (default 200)\n"
           "  --radius MM          radius of curvature (default 2000)\n"
           "  --conic K            conic constant (default -1)\n"
           "  --lines N            grating lines per mm as entered (default 4; tripled for wire and foucault)\n"
           "  --zone-height W      zone height in waves (default 0.5)\n"
           "  --wavelength UM      wavelength in micrometres (default 0.55)\n"
           "  --test ronchi|wire|foucault\n"
           "  --orientation vertical|horizontal|2d\n"
           "  --odd                check \"Odd\" (a dark band at the centre)\n"
           "  --axial MM           axial position from the centre of curvature (default 0)\n"
           "  --transverse T       transverse offset in the test's unit (default 0)\n"
           "  --grid               draw the reference grid\n"
           "  --white              White mode\n"
           "  --shape FILE         impose the shape of a shape file (.Shp) on the mirror\n"
           "  --distorted          \"Show distorted surface\" (default: the pure conic)\n"
           "  --brighten N         N presses of \"Brighten\" after the first picture\n"
           "  --centres N          N presses of \" Centres\" after the first picture\n"
           "  -o FILE              the PNG to write\n"
           "  --help               this list\n"
           "  --version            the program's version\n";
}

RenderOptions parseRenderOptions(const std::vector<std::string>& args) {
    RenderOptions o;
    auto value = [&](std::size_t& i) -> const std::string& {
        if (i + 1 >= args.size()) throw std::invalid_argument("option " + args[i] + " needs a value");
        return args[++i];
    };
    // A number option keeps its text in the cell, as typed into the grid.
    auto cell = [&](std::size_t& i, int row) {
        const std::string& text = value(i);
        parseCellFloat(text);
        o.controls.parameters[static_cast<std::size_t>(row)] = text;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--diameter") cell(i, kRowDiameter);
        else if (a == "--radius") cell(i, kRowRadius);
        else if (a == "--conic") cell(i, kRowConic);
        else if (a == "--lines") cell(i, kRowLinesPerMm);
        else if (a == "--zone-height") cell(i, kRowZoneHeight);
        else if (a == "--wavelength") cell(i, kRowWavelength);
        else if (a == "--test") {
            const std::string& t = value(i);
            if (t == "ronchi") o.controls.test = kTestRonchi;
            else if (t == "wire") o.controls.test = kTestWire;
            else if (t == "foucault") o.controls.test = kTestFoucault;
            else throw std::invalid_argument("--test takes ronchi, wire or foucault, not '" + t + "'");
        } else if (a == "--orientation") {
            const std::string& t = value(i);
            if (t == "vertical") o.controls.orientation = kOrientVertical;
            else if (t == "horizontal") o.controls.orientation = kOrientHorizontal;
            else if (t == "2d") o.controls.orientation = kOrient2D;
            else throw std::invalid_argument("--orientation takes vertical, horizontal or 2d, not '" + t + "'");
        } else if (a == "--odd") o.controls.odd = true;
        else if (a == "--axial") o.axial = parseCellFloat(value(i));
        else if (a == "--transverse") o.transverse = parseCellFloat(value(i));
        else if (a == "--grid") o.controls.grid = true;
        else if (a == "--white") o.white = true;
        else if (a == "--shape") o.shapeFile = value(i);
        else if (a == "--setup") {
            // As "Retrieve" applies it, onto the controls the picture reads.
            const SetupRecord record = readTestFile(QString::fromStdString(value(i)));
            MirrorModel scratch;
            setModelDefaults(scratch);
            applySetupRecord(record, scratch, o.controls, nullptr);
            o.axial = record.axialOffset;
        }
        else if (a == "--distorted") o.controls.surface = kSurfaceDistorted;
        else if (a == "--brighten") o.brighten = parseCellInteger(value(i));
        else if (a == "--centres") o.centres = parseCellInteger(value(i));
        else if (a == "-o") o.output = value(i);
        else if (a == "--help" || a == "-h") o.help = true;
        else if (a == "--version") o.version = true;
        else throw std::invalid_argument("unknown option '" + a + "'");
    }
    if (o.brighten < 0 || o.centres < 0) throw std::invalid_argument("--brighten and --centres take a count of 0 or more");
    return o;
}

}  // namespace sg

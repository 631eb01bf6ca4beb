// SPDX-License-Identifier: GPL-3.0-or-later
#include "mirror_options.h"

#include "number_text.h"
#include "record_file.h"
#include "setup_transfer.h"
#include "shape_file.h"
#include "surface_editor.h"

#include <algorithm>
#include <stdexcept>

namespace sg {

const std::string& optionValue(const std::vector<std::string>& args, std::size_t& i) {
    if (i + 1 >= args.size()) throw std::invalid_argument("option " + args[i] + " needs a value");
    return args[++i];
}

const std::string& fileOptionValue(const std::vector<std::string>& args, std::size_t& i) {
    const std::string& option = args[i];
    const std::string& name = optionValue(args, i);
    if (name.empty()) throw FileNameError("option " + option + " needs a file name");
    // A name that is not UTF-8 would reach the file system as another name.
    if (!isFaithfulFileName(name))
        throw FileNameError("the file name '" + printableFileName(name) +
                            "' is not valid UTF-8; rename the file or give a link to it");
    return name;
}

bool takeMirrorOption(const std::vector<std::string>& args, std::size_t& i, MirrorOptions& o) {
    static const std::pair<const char*, int> kCells[] = {
        {"--diameter", kRowDiameter},       {"--radius", kRowRadius},          {"--conic", kRowConic},
        {"--lines", kRowLinesPerMm},        {"--zone-height", kRowZoneHeight}, {"--wavelength", kRowWavelength},
    };
    const std::string& a = args[i];
    for (const auto& [name, row] : kCells) {
        if (a != name) continue;
        // The cell keeps the text as typed, as the grid would.
        const std::string& text = optionValue(args, i);
        parseCellFloat(text);
        o.controls.parameters[static_cast<std::size_t>(row)] = text;
        return true;
    }
    if (a == "--shape") {
        o.shapeFile = fileOptionValue(args, i);
        return true;
    }
    if (a == "--setup") {
        // As "Retrieve" applies it, onto the controls that the programs read.
        const SetupRecord record = readTestFile(QString::fromStdString(fileOptionValue(args, i)));
        MirrorModel scratch;
        setModelDefaults(scratch);
        applySetupRecord(record, scratch, o.controls, nullptr);
        o.setupAxialOffset = record.axialOffset;
        return true;
    }
    return false;
}

std::string mirrorOptionsUsage() {
    return "  --setup FILE         start from a saved test set-up (.Ron); options after it\n"
           "                       override it\n"
           "  --diameter MM        mirror diameter (default 200)\n"
           "  --radius MM          radius of curvature (default 2000)\n"
           "  --conic K            conic constant (default -1)\n"
           "  --lines N            grating lines per mm as entered (default 4; tripled for wire and foucault)\n"
           "  --zone-height W      zone height in waves (default 0.5; negative turns the zone over)\n"
           "  --wavelength UM      wavelength in micrometres (default 0.55)\n"
           "  --shape FILE         the drawn surface of a shape file (.Shp)\n";
}

void loadShapeIntoModel(const std::string& file, MirrorModel& model) {
    const ShapeRecord shape = readShapeFile(QString::fromStdString(file));
    std::copy(shape.begin(), shape.end(), model.knotHeight.begin());
    EditorState editor;
    fitEditorProfile(model, editor);
}

}  // namespace sg

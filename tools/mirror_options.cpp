// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/mirror_options.h"

#include "testfile/setup_transfer.h"
#include "editor/shape_file.h"
#include "editor/surface_editor.h"

#include <algorithm>

namespace sg {

bool takeMirrorOption(CommandLine& args, MirrorOptions& o) {
    static const std::pair<const char*, int> kCells[] = {
        {"--diameter", kRowDiameter},       {"--radius", kRowRadius},          {"--conic", kRowConic},
        {"--lines", kRowLinesPerMm},        {"--zone-height", kRowZoneHeight}, {"--wavelength", kRowWavelength},
    };
    for (const auto& [name, row] : kCells) {
        if (!args.is(name)) continue;
        // The cell keeps the text as typed, as the grid would.
        o.controls.parameters[static_cast<std::size_t>(row)] = args.numberText();
        return true;
    }
    if (args.is("--shape")) {
        o.shapeFile = args.fileName();
        return true;
    }
    if (args.is("--setup")) {
        // As "Retrieve" applies it, onto the controls that the programs read.
        const SetupRecord record = readTestFile(QString::fromStdString(args.fileName()));
        applySetupRecord(record, ViewOptions{}, DevicePosition{}.maxMove, o.controls, nullptr);
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
           "  --lines N            grating lines per mm (default 4); for wire the wire is 1/(2 N) mm\n"
           "                       wide, for foucault the knife's unit of movement 1/(6 N) mm\n"
           "  --zone-height W      Zone Ht: the drawn zone's peak-to-valley in waves (default 0.5;\n"
           "                       negative turns the zone over)\n"
           "  --wavelength UM      wavelength in micrometres (default 0.55)\n"
           "  --shape FILE         the drawn surface of a shape file (.Shp)\n";
}

void loadShape(const std::string& file, EditorShape& shape) {
    const ShapeRecord record = readShapeFile(QString::fromStdString(file));
    std::copy(record.begin(), record.end(), shape.knotHeight.begin());
    EditorState editor;
    fitEditorProfile(shape, editor);
}

}  // namespace sg

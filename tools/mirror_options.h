// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The options that shadowgram-render and shadowgram-analyse share: the
// mirror's numbers as they would be typed into the grid, a saved set-up and
// a shape file, applied to plain controls as the main window would.

#include "tools/command_line.h"
#include "model/editor_shape.h"
#include "model/model_controls.h"

#include <string>

namespace sg {

struct MirrorOptions {
    PlainControls controls;
    std::string shapeFile;        // empty for the flat surface
    double setupAxialOffset = 0;  // mm, the axial position of the last --setup file
};

// Takes the option stepped to when it is one of the mirror options
// (--diameter, --radius, --conic, --lines, --zone-height, --wavelength,
// --setup, --shape), with its value; returns false for any other. A value
// that is not a number throws UsageError, a file name that cannot be used
// FileNameError, a set-up file that cannot be read TestFileError.
bool takeMirrorOption(CommandLine& args, MirrorOptions& o);

// The lines of the usage text for these options.
std::string mirrorOptionsUsage();

// Imposes the shape file on `shape` as the editor's Retrieve does: the
// knots, then the spline through them. Throws ShapeFileError.
void loadShape(const std::string& file, EditorShape& shape);

}  // namespace sg

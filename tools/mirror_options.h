// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The options that shadowgram-render and shadowgram-analyse share: the
// mirror's numbers as they would be typed into the grid, a saved set-up and
// a shape file, applied to plain controls as the main window would.

#include "editor_shape.h"
#include "model_controls.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace sg {

struct MirrorOptions {
    PlainControls controls;
    std::string shapeFile;        // empty for the flat surface
    double setupAxialOffset = 0;  // mm, the axial position of the last --setup file
};

// The value after the option at args[i]; moves i onto it. A missing value
// throws std::invalid_argument.
const std::string& optionValue(const std::vector<std::string>& args, std::size_t& i);

// A file name on the command line that cannot be used as given; the
// programs say why without their usage text.
class FileNameError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// The file name after the option at args[i], as optionValue. An empty name,
// or one that is not valid UTF-8 (it would name another file once it is a
// QString), throws FileNameError.
const std::string& fileOptionValue(const std::vector<std::string>& args, std::size_t& i);

// Takes the option at args[i] when it is one of the mirror options
// (--diameter, --radius, --conic, --lines, --zone-height, --wavelength,
// --setup, --shape), with its value; returns false for any other. A value
// that is not a number throws the grid's ActionError, a set-up file that
// cannot be read TestFileError.
bool takeMirrorOption(const std::vector<std::string>& args, std::size_t& i, MirrorOptions& o);

// The lines of the usage text for these options.
std::string mirrorOptionsUsage();

// Imposes the shape file on `shape` as the editor's Retrieve does: the
// knots, then the spline through them. Throws ShapeFileError.
void loadShape(const std::string& file, EditorShape& shape);

}  // namespace sg

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Options of shadowgram-render, applied to the model and plain controls as
// the main window's controls would apply them.

#include "tools/mirror_options.h"

#include <string>
#include <vector>

namespace sg {

// The most presses of "Brighten" or " Centres" one run takes: the slowest
// picture finishes within a second or two even then, and the picture has
// long stopped changing.
inline constexpr int kMaxPresses = 250;

struct RenderOptions {
    MirrorOptions mirror;
    bool white = false;
    bool caption = false;  // the caption strip below the picture
    double axial = 0;       // mm, taken as it is; a --setup file's position unless given after it
    double transverse = 0;  // in the test's own unit
    int brighten = 0;
    int centres = 0;
    std::string output;
    // --intensity: the wave picture's intensity as a 16-bit grey PNG.
    std::string intensityOutput;
    // --batch: the file whose lines each hold the options of one picture
    // ("-" for standard input); nothing else on the command line.
    std::string batch;
    bool help = false;
    bool version = false;
};

// Parses the command line (without the program name). Throws UsageError
// (command_line.h) for a mistake in it, FileNameError for a file name that
// cannot be used and TestFileError for a set-up file that cannot be read.
RenderOptions parseRenderOptions(const std::vector<std::string>& args);

std::string renderUsage();

// The words of one line of a --batch file, as a shell splits a simple
// command: separated by blanks (spaces, tabs); between '...' every byte
// stands as it is; between "..." too, except that \" and \\ stand for " and
// \; elsewhere a backslash keeps the next byte as it is. A line whose
// first word begins with # is a comment and gives no words, and so does a
// blank one. A quote left open throws UsageError.
std::vector<std::string> batchLineWords(const std::string& line);

}  // namespace sg

// SPDX-License-Identifier: GPL-3.0-or-later
// shadowgram-render: the picture of a click on the main window, without the
// window, written as an 800 x 700 PNG (800 x 740 with its caption strip).

#include "model/failure.h"
#include "simulator/picture_caption.h"
#include "simulator/offscreen_picture.h"
#include "simulator/positioning.h"
#include "fileio/record_file.h"
#include "simulator/redraw.h"
#include "tools/picture_png.h"
#include "tools/render_options.h"
#include "editor/shape_file.h"
#include "model/surface_profile.h"
#include "testfile/test_record.h"
#include "wave/wave_painter.h"

#include <QBuffer>
#include <QFileInfo>
#include <QGuiApplication>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace {

// The wave picture's intensity as a 16-bit grey PNG: min(65535, round(16384
// I)) on the mirror, 0 off it.
QByteArray intensityPng(const sg::WaveFrame& frame) {
    QImage image(sg::WaveFrame::kWidth, sg::WaveFrame::kHeight, QImage::Format_Grayscale16);
    for (int y = 0; y < sg::WaveFrame::kHeight; ++y) {
        auto* row = reinterpret_cast<quint16*>(image.scanLine(y));
        for (int x = 0; x < sg::WaveFrame::kWidth; ++x) {
            const float i = frame.at(x, y);
            row[x] = std::isnan(i) ? 0 : static_cast<quint16>(std::min(65535.0, std::round(16384.0 * std::max(0.0f, i))));
        }
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return {};
    return png;
}

// Draws the picture the options describe and writes it; the exit status.
// Needs the application object.
int drawAndWrite(const sg::RenderOptions& options) {
    if (!options.intensityOutput.empty() && QFileInfo(QString::fromStdString(options.intensityOutput)).isDir()) {
        std::cerr << "shadowgram-render: cannot write " << options.intensityOutput << ": not a regular file\n";
        return 2;
    }

    sg::OffscreenPicture picture;
    sg::WaveCanvasPainter wave;
    picture.drawing.wave = &wave;
    // The renderer has no read-outs; a warning goes to standard error.
    picture.display.onWarning = [](const std::string& line1, const std::string& line2) {
        std::cerr << line1 << '\n' << line2 << '\n';
    };
    picture.scene().view.showGrid = options.mirror.controls.grid;
    picture.scene().view.whiteMode = options.white;

    if (!options.mirror.shapeFile.empty()) {
        try {
            sg::loadShape(options.mirror.shapeFile, picture.shape);
        } catch (const sg::ShapeFileError& e) {
            std::cerr << "shadowgram-render: " << e.what() << '\n';
            return 2;
        }
        // Heights that no profile can be scaled from fail here, named,
        // rather than as a bare message of the drawing.
        if (options.mirror.controls.surface == sg::kSurfaceDistorted) {
            try {
                sg::SurfaceProfiles probe;
                sg::resampleDeviation(probe, picture.shape, false);
            } catch (const sg::ActionError& e) {
                std::cerr << "shadowgram-render: cannot use the shape file " << options.mirror.shapeFile << ": "
                          << e.what() << '\n';
                return 2;
            }
        }
    }

    try {
        // The picture of a click, at the position the options give.
        const sg::ControlsReading reading = sg::readControls(options.mirror.controls);
        sg::pictureClick(picture.drawing, reading, sg::PositionOverride{options.axial, options.transverse});
        for (int i = 0; i < options.brighten; ++i) sg::brightenPicture(picture.drawing, reading);
        for (int i = 0; i < options.centres; ++i) sg::drawCentreLines(picture.drawing, reading);
    } catch (const sg::ActionError& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }

    // The intensity first: a file that cannot take it (a pipe that no
    // program reads) stops the run before the picture is written.
    if (!options.intensityOutput.empty()) {
        const sg::WaveFrame* frame = wave.lastFrame();
        const QByteArray png = frame ? intensityPng(*frame) : QByteArray();
        if (png.isEmpty()) {
            std::cerr << "shadowgram-render: cannot encode the intensity as PNG\n";
            return 1;
        }
        const QString path = QString::fromStdString(options.intensityOutput);
        if (const std::optional<QString> reason = sg::saveWholeFile(path, png)) {
            std::cerr << "shadowgram-render: cannot write " << options.intensityOutput << ": " << reason->toStdString()
                      << '\n';
            const QFileInfo info(path);
            return info.exists() && !info.isFile() ? 2 : 1;
        }
    }

    // Encoded whole first, then written through a temporary file that
    // replaces the output only when complete: a full disk never leaves a
    // truncated picture in place of a good one, and says so in its words.
    const QImage image =
        options.caption ? sg::pictureWithCaption(picture.canvas.image(), picture.scene()) : picture.canvas.image();
    const QByteArray png = sg::picturePng(image);
    if (png.isEmpty()) {
        std::cerr << "shadowgram-render: cannot encode the picture as PNG\n";
        return 1;
    }
    if (const std::optional<QString> reason = sg::saveWholeFile(QString::fromStdString(options.output), png)) {
        std::cerr << "shadowgram-render: cannot write " << options.output << ": " << reason->toStdString() << '\n';
        return 1;
    }
    return 0;
}

// The options of one command line, or none with the line's exit status
// (its message written): 0 after --help or --version. A line of a batch
// may not ask for another batch, for --help or --version.
std::optional<sg::RenderOptions> takeOptions(const std::vector<std::string>& args, int& status,
                                             bool batchLine = false) {
    try {
        sg::RenderOptions options = sg::parseRenderOptions(args);
        if (batchLine && (options.help || options.version || !options.batch.empty())) {
            status = sg::reportUsageError("shadowgram-render",
                                          "a line of a batch cannot take --batch, --help or --version");
            return std::nullopt;
        }
        if (options.help) {
            std::cout << sg::renderUsage();
            status = 0;
            return std::nullopt;
        }
        if (options.version) {
            std::cout << "shadowgram-render " << SHADOWGRAM_VERSION << '\n';
            status = 0;
            return std::nullopt;
        }
        if (options.batch.empty() && options.output.empty()) {
            status = sg::reportUsageError("shadowgram-render", "no output file; give -o FILE");
            return std::nullopt;
        }
        return options;
    } catch (const sg::ActionError& e) {
        std::cerr << e.what() << '\n';
    } catch (const sg::TestFileError& e) {
        std::cerr << "shadowgram-render: " << e.what() << '\n';
    } catch (const sg::FileNameError& e) {
        std::cerr << "shadowgram-render: " << e.what() << '\n';
    } catch (const std::invalid_argument& e) {
        sg::reportUsageError("shadowgram-render", e.what());
    }
    status = 2;
    return std::nullopt;
}

// One line of a batch: its words, then the picture as its own command would
// draw it.
int runBatchLine(const std::string& line) {
    std::vector<std::string> words;
    try {
        words = sg::batchLineWords(line);
    } catch (const std::invalid_argument& e) {
        return sg::reportUsageError("shadowgram-render", e.what());
    }
    if (words.empty()) return 0;
    int status = 0;
    const std::optional<sg::RenderOptions> options = takeOptions(words, status, true);
    if (!options) return status;
    return drawAndWrite(*options);
}

// Every line of the batch file in turn, each message of a line written as
// "FILE:LINE: message"; the highest status of the lines.
int runBatch(const std::string& file) {
    const bool standardInput = file == "-";
    const std::string name = standardInput ? "standard input" : file;
    std::ifstream opened;
    if (!standardInput) {
        if (QFileInfo(QString::fromStdString(file)).isDir()) {
            std::cerr << "shadowgram-render: cannot read " << file << ": it is a folder\n";
            return 2;
        }
        opened.open(file, std::ios::binary);
        if (!opened) {
            std::cerr << "shadowgram-render: cannot read " << file << ": " << std::strerror(errno) << '\n';
            return 2;
        }
    }
    std::istream& in = standardInput ? std::cin : opened;
    int worst = 0;
    std::string line;
    for (long number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // The line's messages, gathered to be marked with its place.
        std::ostringstream messages;
        std::streambuf* const standardError = std::cerr.rdbuf(messages.rdbuf());
        int status = 1;
        try {
            status = runBatchLine(line);
        } catch (...) {
            std::cerr.rdbuf(standardError);
            throw;
        }
        std::cerr.rdbuf(standardError);
        std::istringstream text(messages.str());
        for (std::string message; std::getline(text, message);)
            std::cerr << name << ':' << number << ": " << message << '\n';
        worst = std::max(worst, status);
    }
    if (in.bad()) {
        std::cerr << "shadowgram-render: cannot read " << name << ": " << std::strerror(errno) << '\n';
        return 2;
    }
    return worst;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    int status = 0;
    const std::optional<sg::RenderOptions> options = takeOptions(args, status);
    if (!options) return status;
    // Text needs the font machinery, never a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return options->batch.empty() ? drawAndWrite(*options) : runBatch(options->batch);
}

// SPDX-License-Identifier: GPL-3.0-or-later
// shadowgram-render: the picture of a click on the main window, without the
// window, written as an 800 x 700 PNG (800 x 740 with its caption strip).

#include "model/failure.h"
#include "simulator/picture_caption.h"
#include "simulator/offscreen_picture.h"
#include "simulator/positioning.h"
#include "fileio/record_file.h"
#include "simulator/redraw.h"
#include "tools/render_options.h"
#include "editor/shape_file.h"
#include "model/surface_profile.h"
#include "testfile/test_record.h"

#include <QBuffer>
#include <QGuiApplication>

#include <iostream>
#include <stdexcept>

namespace {

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    sg::RenderOptions options;
    try {
        options = sg::parseRenderOptions(args);
    } catch (const sg::ActionError& e) {
        std::cerr << e.what() << '\n';
        return 2;
    } catch (const sg::TestFileError& e) {
        std::cerr << "shadowgram-render: " << e.what() << '\n';
        return 2;
    } catch (const sg::FileNameError& e) {
        std::cerr << "shadowgram-render: " << e.what() << '\n';
        return 2;
    } catch (const std::invalid_argument& e) {
        return sg::reportUsageError("shadowgram-render", e.what());
    }
    if (options.help) {
        std::cout << sg::renderUsage();
        return 0;
    }
    if (options.version) {
        std::cout << "shadowgram-render " << SHADOWGRAM_VERSION << '\n';
        return 0;
    }
    if (options.output.empty()) return sg::reportUsageError("shadowgram-render", "no output file; give -o FILE");

    // Text needs the font machinery, never a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    sg::OffscreenPicture picture;
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

    // Encoded whole first, then written through a temporary file that
    // replaces the output only when complete: a full disk never leaves a
    // truncated picture in place of a good one, and says so in its words.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    const QImage image =
        options.caption ? sg::pictureWithCaption(picture.canvas.image(), picture.scene()) : picture.canvas.image();
    if (!image.save(&buffer, "PNG")) {
        std::cerr << "shadowgram-render: cannot encode the picture as PNG\n";
        return 1;
    }
    if (const std::optional<QString> reason = sg::saveWholeFile(QString::fromStdString(options.output), png)) {
        std::cerr << "shadowgram-render: cannot write " << options.output << ": " << reason->toStdString() << '\n';
        return 1;
    }
    return 0;
}

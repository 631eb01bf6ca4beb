// SPDX-License-Identifier: GPL-3.0-or-later
// The "Images" pictures: the program's own shadowgrams of the default
// 200 mm f/5 paraboloid, made as a click on the main window makes them,
// brightened, cut out round the disk, scaled down and laid out in a row with
// a label under each.

#include "tools/help_pictures/picture_kit.h"
#include "tools/help_pictures/pictures.h"

#include "simulator/offscreen_picture.h"
#include "simulator/positioning.h"
#include "simulator/redraw.h"
#include "editor/surface_editor.h"
#include "wave/wave_painter.h"

#include <QPainter>

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace hp {

namespace {

// The background of the rows, the program's window colour.
const QColor kBackground(192, 192, 192);

struct Shot {
    int test = sg::kTestRonchi;
    double axialMm = 0;       // from the centre of curvature, + outside
    const char* lines = "4";  // the "Line/mm " cell
    bool raisedZone = false;  // a raised zone at 70 % of the radius, 0.5 wave
    const char* caption = "";
    bool exact = false;  // "Exact ray trace"
    bool wave = false;   // "Wave optics", drawn at its first exposure
};

// Passes on top of the first: each "Brighten" adds two, so the bands come
// out nearly solid once the picture is scaled down.
constexpr int kBrightenPresses = 3;

// The picture of one set-up, as the main window would show it after a click
// on the picture and the "Brighten" presses: the 550-pixel square round the
// disk, with the corners outside the disk in the background colour.
QImage shadowgram(const Shot& shot) {
    sg::OffscreenPicture picture;
    // No read-out beside these pictures, and a set-up that would warn is a
    // fault of this program.
    picture.display.onWarning = [](const std::string& line1, const std::string&) {
        throw std::runtime_error("the simulator warns: " + line1);
    };
    sg::PlainControls controls;
    controls.parameters[sg::kRowLinesPerMm] = shot.lines;
    controls.test = shot.test;
    if (shot.raisedZone) {
        // Knots 8 and 36 lie at zone 14 of 20: 70 % of the radius. Negative
        // editor heights are above the zero line, a raised zone.
        picture.shape.knotHeight[8] = -80;
        picture.shape.knotHeight[36] = -80;
        sg::EditorState editor;
        sg::fitEditorProfile(picture.shape, editor);
        controls.surface = sg::kSurfaceDistorted;
    }
    controls.exactTrace = shot.exact;
    controls.waveOptics = shot.wave;
    sg::WaveCanvasPainter wave;
    picture.drawing.wave = &wave;
    const sg::ControlsReading reading = sg::readControls(controls);
    sg::pictureClick(picture.drawing, reading, sg::PositionOverride{shot.axialMm, 0.0});
    // The wave picture's tones would saturate at the ray picture's exposure.
    if (!shot.wave)
        for (int i = 0; i < kBrightenPresses; ++i) sg::brightenPicture(picture.drawing, reading);

    const int r = sg::kDiskRadius;
    QImage square = picture.canvas.image().copy(sg::kDiskCentreX - r, sg::kDiskCentreY - r, 2 * r, 2 * r);
    const QRgb background = kBackground.rgb();
    for (int y = 0; y < square.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(square.scanLine(y));
        for (int x = 0; x < square.width(); ++x) {
            const double dx = x + 0.5 - r, dy = y + 0.5 - r;
            if (dx * dx + dy * dy > double(r) * r) row[x] = background;
        }
    }
    return square;
}

// A row of shadowgrams of `diameter` pixels, centred in equal cells across
// `usedWidth` (the rest of the sheet stays plain), each with its caption
// under it.
QImage shadowgramRow(int width, int height, int usedWidth, int diameter, int top, const std::vector<Shot>& shots) {
    QImage sheet = blankSheet(width, height, kBackground);
    QPainter p(&sheet);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(drawingFont(11, true, true));
    p.setPen(Qt::black);
    const double cell = double(usedWidth) / double(shots.size());
    for (std::size_t i = 0; i < shots.size(); ++i) {
        const QImage small =
            shadowgram(shots[i]).scaled(diameter, diameter, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const double cx = cell * (double(i) + 0.5);
        const int left = int(std::lround(cx - diameter / 2.0));
        p.drawImage(left, top, small);
        textCentred(p, cx, top + diameter + 2, QString::fromUtf8(shots[i].caption));
    }
    return sheet;
}

}  // namespace

QImage drawImagesPositions() {
    std::vector<Shot> shots(4);
    const double positions[] = {-3, -1.5, 1.5, 3};
    const char* captions[] = {"-3 mm", "-1.5 mm", "+1.5 mm", "+3 mm"};
    for (std::size_t i = 0; i < shots.size(); ++i) {
        shots[i].axialMm = positions[i];
        shots[i].caption = captions[i];
    }
    return shadowgramRow(467, 128, 467, 108, 2, shots);
}

QImage drawImagesGratings() {
    std::vector<Shot> shots(3);
    const char* lines[] = {"2", "4", "8"};
    const char* captions[] = {"2 lines/mm", "4 lines/mm", "8 lines/mm"};
    for (std::size_t i = 0; i < shots.size(); ++i) {
        shots[i].axialMm = -2;
        shots[i].lines = lines[i];
        shots[i].caption = captions[i];
    }
    // The frame shows 489 columns: the last 4 stay plain.
    return shadowgramRow(493, 192, 489, 160, 8, shots);
}

QImage drawImagesTests() {
    // The knife on the centre line where the 70 % zone's rays cross the axis,
    // r^2/R = 70^2/2000 = 2.45 mm outside the centre of curvature; the wire at
    // the same place. The wire is that of 12 lines/mm, 1/24 mm wide (one band
    // of the entered ruling): the 1/8 mm wire of the default 4 lines/mm would
    // hide nearly the whole mirror there.
    std::vector<Shot> shots(2);
    shots[0] = Shot{sg::kTestFoucault, 2.45, "4", false, "KNIFE"};
    shots[1] = Shot{sg::kTestWire, 2.45, "12", false, "WIRE"};
    return shadowgramRow(150, 99, 150, 72, 5, shots);
}

QImage drawImagesZone() {
    std::vector<Shot> shots(3);
    shots[0] = Shot{sg::kTestRonchi, -1.5, "4", true, "RONCHI"};
    shots[1] = Shot{sg::kTestWire, -1.5, "4", true, "WIRE"};
    shots[2] = Shot{sg::kTestFoucault, -1.5, "4", true, "FOUCAULT"};
    return shadowgramRow(328, 98, 328, 82, 1, shots);
}

QImage drawImagesWave() {
    // The same set-ups traced as rays (exact surface) and computed as waves:
    // the grating at -1.5 mm and the knife at +2.45 mm, as in rows 1 and 3.
    std::vector<Shot> shots(4);
    shots[0] = Shot{sg::kTestRonchi, -1.5, "4", false, "RAYS", true, false};
    shots[1] = Shot{sg::kTestRonchi, -1.5, "4", false, "WAVES", false, true};
    shots[2] = Shot{sg::kTestFoucault, 2.45, "4", false, "RAYS", true, false};
    shots[3] = Shot{sg::kTestFoucault, 2.45, "4", false, "WAVES", false, true};
    return shadowgramRow(420, 122, 420, 96, 4, shots);
}

}  // namespace hp

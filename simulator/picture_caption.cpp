// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/picture_caption.h"

#include "simulator/canvas.h"
#include "model/number_text.h"
#include "simulator/profile_graphs.h"

#include <QPainter>

namespace sg {

namespace {

std::string testName(TestKind test) {
    switch (test) {
    case TestKind::Wire: return "Wire";
    case TestKind::Foucault: return "Foucault";
    case TestKind::Ronchi: break;
    }
    return "Ronchi";
}

std::string deviceName(TestKind test) {
    switch (test) {
    case TestKind::Wire: return "wire";
    case TestKind::Foucault: return "knife";
    case TestKind::Ronchi: break;
    }
    return "grating";
}

// Which side of the centre of curvature the device stands on.
std::string sideText(double axial) {
    if (axial < 0) return "inside the centre of curvature";
    if (axial > 0) return "outside the centre of curvature";
    return "at the centre of curvature";
}

// How the picture was computed: rays by the series or the exact trace, or
// waves in one wavelength (named) or in white light.
std::string pictureModel(const TestSetup& t) {
    if (t.waveOptics)
        return t.spectrum == Spectrum::White
                   ? "wave optics, white light"
                   : "wave optics, " + formatGeneral(t.wavelength, kDecimalSeparator, 7) + " \u00b5m";
    return t.exact() ? "exact ray trace" : "two-term series";
}

}  // namespace

std::array<std::string, 2> pictureCaptionLines(const Scene& scene) {
    const Mirror& m = scene.mirror;
    const TestSetup& t = scene.setup;
    std::string first = "D " + formatGeneral(m.mirrorDiameter, kDecimalSeparator, 7) + " mm   R " +
                        formatGeneral(m.radiusOfCurvature, kDecimalSeparator, 7) + " mm   conic " +
                        formatGeneral(m.conicConstant, kDecimalSeparator, 7) + "   " + testName(t.test);
    // The ruling as entered; the knife has none to speak of.
    if (t.test != TestKind::Foucault)
        first += "   " + formatGeneral(t.linesPerMm, kDecimalSeparator, 7) + " lines/mm";
    // The slit where the picture has one: the exact trace and the waves.
    if (const double slit = t.waveOptics ? t.slitWidth : workingSlitWidth(t); slit > 0)
        first += "   slit " + formatGeneral(slit, kDecimalSeparator, 7) + " mm";
    if (m.deviation == SurfaceDeviation::Measured) first += "   measured surface";
    else if (m.distorted()) first += "   drawn zone " + formatGeneral(m.zoneHeight, kDecimalSeparator, 7) + " waves";
    // How it was computed ends the first line; the second says where the
    // device stands and where the light comes from.
    first += "   " + pictureModel(t);
    const std::string second =
        "axial " + formatGeneral(t.position.axialOffset, kDecimalSeparator, 7) + " mm " + sideText(t.position.axialOffset) +
        "   transverse " + transverseReadoutText(t) + "   " +
        (t.sourceMoves() ? "source moving with the " + deviceName(t.test)
                         : std::string("source fixed at the centre of curvature"));
    return {first, second};
}

QImage pictureWithCaption(const QImage& picture, const Scene& scene) {
    QImage out(picture.width(), picture.height() + kCaptionHeight, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, picture);
    p.setFont(canvasFont());
    p.setPen(Qt::black);
    const std::array<std::string, 2> lines = pictureCaptionLines(scene);
    const int ascent = p.fontMetrics().ascent();
    p.drawText(8, picture.height() + 5 + ascent, QString::fromStdString(lines[0]));
    p.drawText(8, picture.height() + 22 + ascent, QString::fromStdString(lines[1]));
    return out;
}

}  // namespace sg

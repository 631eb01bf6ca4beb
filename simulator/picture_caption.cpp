// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_caption.h"

#include "canvas.h"
#include "number_text.h"
#include "profile_graphs.h"

#include <QPainter>

namespace sg {

namespace {

std::string testName(const MirrorModel& m) {
    if (m.testWire) return "Wire";
    if (m.testFoucault) return "Foucault";
    return "Ronchi";
}

}  // namespace

std::array<std::string, 2> pictureCaptionLines(const MirrorModel& m) {
    std::string first = "D " + formatGeneral(m.mirrorDiameter, kDecimalSeparator, 7) + " mm   R " +
                        formatGeneral(m.radiusOfCurvature, kDecimalSeparator, 7) + " mm   conic " +
                        formatGeneral(m.conicConstant, kDecimalSeparator, 7) + "   " + testName(m);
    // The model holds the ruling tripled for Wire; the grid shows it as entered.
    if (m.testRonchi) first += "   " + formatGeneral(m.linesPerMm, kDecimalSeparator, 7) + " lines/mm";
    if (m.testWire) first += "   " + formatGeneral(m.linesPerMm / 3, kDecimalSeparator, 7) + " lines/mm";
    if (m.useDistortedSurface)
        first += "   drawn zone " + formatGeneral(m.zoneHeight, kDecimalSeparator, 7) + " waves";
    const std::string second =
        "axial " + formatGeneral(m.axialOffsetSetting, kDecimalSeparator, 7) + " mm   transverse " +
        transverseReadoutText(m) + "   " +
        (m.sourceMoves ? "source moving with the " + std::string(m.testFoucault ? "knife" : m.testWire ? "wire" : "grating")
                       : std::string("source fixed at the centre of curvature")) +
        "   " + (m.exactTrace ? "exact ray trace" : "two-term series");
    return {first, second};
}

QImage pictureWithCaption(const QImage& picture, const MirrorModel& m) {
    QImage out(picture.width(), picture.height() + kCaptionHeight, QImage::Format_RGB32);
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, picture);
    p.setFont(canvasFont());
    p.setPen(Qt::black);
    const std::array<std::string, 2> lines = pictureCaptionLines(m);
    const int ascent = p.fontMetrics().ascent();
    p.drawText(8, picture.height() + 5 + ascent, QString::fromStdString(lines[0]));
    p.drawText(8, picture.height() + 22 + ascent, QString::fromStdString(lines[1]));
    return out;
}

}  // namespace sg

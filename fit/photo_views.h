// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the views of a photo draw over the main window's picture: maps of
// the frame (800 x 700 pixels, one byte each, row after row), the images
// of the Difference and Edges views, the Side by side layout and the found
// rim. Pixel (i, j) of a map stands for the frame point (i + 0.5, j + 0.5),
// the centre of the picture's pixel (i, j).

#include "photo/edge_extraction.h"
#include "simulator/scene.h"
#include "wave/wave_picture.h"
#include "fit/photo_overlay.h"

#include <QImage>
#include <QRect>

#include <cstdint>
#include <vector>

class QPainter;

namespace sg {

enum class PhotoViewKind { Blend, Blink, Difference, SideBySide, Edges };
inline constexpr int kPhotoViewCount = 5;
// The selector's captions, in the order of PhotoViewKind.
inline constexpr const char* kPhotoViewNames[kPhotoViewCount] = {"Blend", "Blink", "Difference", "Side by side",
                                                                 "Edges"};

using FrameMask = std::vector<std::uint8_t>;
// A map's value beyond the mirror's rim.
inline constexpr std::uint8_t kOutsideMirror = 255;

// The simulation's own lit/dark decision (the pass's, without its random
// points) at every pixel centre on the mirror: 1 lit, 0 dark. A model whose
// decision faults (a ruling of 0) is dark throughout.
FrameMask simulationLitMap(const Scene& scene);

// The same for a wave picture: 1 where its intensity is above half the
// unobstructed mirror's, 0 below.
FrameMask waveLitMap(const WaveFrame& frame);

// The photo's bright bands: 1 where its brightness on the frame lies above
// the threshold (Otsu's) of the disk's brightness, 0 below; the rim's own
// blur (the outer 5 pixels) counts as outside.
FrameMask photoBrightMap(const GreyImage& frame);

// 1 on the pixels of a lit map where the next pixel to the right or below
// lies on the other side of a band edge, 0 elsewhere.
FrameMask bandEdgeMask(const FrameMask& lit);

// The colours of the views.
inline constexpr QRgb kPhotoOnlyColour = 0xffff0000;       // bright only in the photo
inline constexpr QRgb kSimulationOnlyColour = 0xff00ffff;  // lit only in the simulation
inline constexpr QRgb kBothBrightColour = 0xffffffff;
inline constexpr QRgb kBothDarkColour = 0xff000000;
inline constexpr QRgb kModelEdgeColour = 0xff00ffff;       // the model's band edges
inline constexpr QRgb kPhotoEdgeColour = 0xffff00ff;       // the photo's edges
inline constexpr QRgb kRimColour = 0xffffff00;             // the found rim and band normal

// The photo's colours on the frame as an image (RGB32).
QImage frameImage(const RgbImage& frame);

// Difference: on the mirror red, cyan, white or black as above;
// transparent beyond the rim.
QImage differenceImage(const FrameMask& photoBright, const FrameMask& simulationLit);

// Edges: the photo at half its brightness on the mirror, the model's band
// edges (`modelEdges`, 1 on an edge) as lines and the photo's edges as dots
// of 2 x 2 pixels; transparent beyond the rim.
QImage edgesImage(const GreyImage& frame, const FrameMask& modelEdges, const std::vector<BandEdge>& photoEdges);

// Side by side: the square around the mirror in the picture and in the
// photo's frame, each at half size, the simulation on the left.
inline constexpr QRect kSideBySideSource{125, 15, 570, 570};
inline constexpr QRect kSideBySideSimulation{118, 158, 285, 285};
inline constexpr QRect kSideBySidePhoto{415, 158, 285, 285};
inline constexpr QRect kSideBySideArea{106, 0, 694, 590};  // covered with the window colour first
void paintSideBySide(QPainter& p, const QImage& canvas, const QImage& photo);

// The views that lay the photo over the mirror show it inside this circle
// (frame pixels about the disk's centre): a little beyond the rim, so that
// a rim out of place shows.
inline constexpr double kOverlayRadius = 290;
void clipToOverlay(QPainter& p);

// The found rim as a circle with a cross at its centre, and the band
// normal as a dashed line across it.
void paintRim(QPainter& p, const RimOnFrame& rim);

}  // namespace sg

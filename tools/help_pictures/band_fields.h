// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Schematic band patterns for the drawings, worked out from the same ray
// geometry as the shadowgram but without random points: each zone of radius
// r sends its rays across the axis at a distance L(r) beyond the centre of
// curvature of the mirror's central zone, and a ray from (x, y) meets a
// grating standing at `offset` from that centre at (offset - L(r)) * x. All
// lengths are scaled so that the result comes out in band widths; x and y
// are in units of the mirror's radius, y downward, and the grating's lines
// run vertically.

#include <QImage>

#include <functional>

namespace hp {

using Crossing = std::function<double(double r)>;

class BandField {
public:
    BandField(double offset, Crossing crossing) : offset_(offset), crossing_(std::move(crossing)) {}
    // The position across the grating of the ray from (x, y), in band widths.
    double operator()(double x, double y) const;

private:
    double offset_;
    Crossing crossing_;
};

// A grating `offset` from the centre of curvature of a sphere.
BandField sphereField(double offset);
// A paraboloid: zones cross at k r^2 beyond the centre.
BandField paraboloidField(double offset, double k);

// The band a position falls in, numbered from the centre as the shadowgram
// numbers them: int(|n| + 0.5). Even bands are bright unless darkCentre.
bool darkAt(double n, bool darkCentre);

// Paints a disk of `radius` pixels about (cx, cy): black where `dark` holds
// at the pixel's centre (in units of the radius), white elsewhere, then the
// disk's rim in black.
void paintDisk(QImage& sheet, double cx, double cy, double radius, const std::function<bool(double x, double y)>& dark);

// A band pattern with its dark bands hatched and outlined rather than
// solid, so that lines and labels drawn over it stay legible.
void paintHatchedBandDisk(QImage& sheet, double cx, double cy, double radius, const BandField& field, bool darkCentre);

// The same for a band pattern: dark bands black, bright ones white.
void paintBandDisk(QImage& sheet, double cx, double cy, double radius, const BandField& field, bool darkCentre);

}  // namespace hp

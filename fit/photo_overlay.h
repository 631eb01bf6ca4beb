// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A photo of the grating test laid over the main window's picture: read,
// aligned at once (its disk on the picture's disk, its bands turned upright
// or level), the alignment as the user adjusts it, and the photo resampled
// onto the picture's 800 x 700 frame for the views. No widgets here.

#include "photo/photo_alignment.h"
#include "photo/photo_file.h"

#include <QPointF>
#include <QString>

#include <memory>
#include <optional>

namespace sg {

// A photo read from its file and aligned, as the overlay and the fit's
// second photo take it.
struct AlignedPhoto {
    QString path;
    LoadedPhoto photo;       // the colours as decoded, upright
    PhotoAlignment found;    // the automatic alignment
};

// Reads and aligns the photo at `path`. Throws ActionError with a message
// for the user: the file cannot be read or decoded, or it shows no mirror
// with bands.
AlignedPhoto readAlignedPhoto(const QString& path);

// The band axis of the frame for a photo whose band normal lies at
// `normalDeg` in the photo, seen through a mapping turned by `rotationDeg`.
BandAxis bandAxisFor(double normalDeg, double rotationDeg);

// The mapping changed so that the photo, as the frame shows it, is moved by
// (dx, dy) frame pixels, enlarged by `factor` about the frame's centre, or
// turned by `degrees` about it (from +x toward +y: clockwise as seen).
FrameMapping movedMapping(const FrameMapping& m, double dx, double dy);
FrameMapping scaledMapping(const FrameMapping& m, double factor);
FrameMapping turnedMapping(const FrameMapping& m, double degrees);

// The found rim and band normal as the frame shows them under a mapping.
struct RimOnFrame {
    double cx = 0, cy = 0, radius = 0;  // frame pixels
    double normalDeg = 0;               // the band normal's angle on the frame
};

class PhotoOverlay {
public:
    PhotoOverlay();
    ~PhotoOverlay();

    // Reads and aligns the photo; on a failure (ActionError) the overlay
    // stays as it was.
    void open(const QString& path);
    void close();
    bool isOpen() const { return photo_ != nullptr; }
    QString path() const;

    // The automatic alignment, and the mapping as adjusted.
    const PhotoAlignment& found() const;
    const FrameMapping& mapping() const { return mapping_; }
    // A new mapping (its band axis taken from the found band normal).
    void setMapping(FrameMapping m);
    void automatic();
    bool isAutomatic() const;
    // Counts every change of the photo or its mapping.
    unsigned serial() const { return serial_; }

    RimOnFrame rimOnFrame() const;

    // The photo on the frame under the current mapping: its colours (black
    // where the photo does not reach) and its brightness (NaN there).
    const RgbImage& frameColour();
    const GreyImage& frameGrey();
    // What a fit works on: the found disk and direction with the current
    // mapping and its frame.
    PhotoAlignment alignment();

private:
    struct Reduced;
    std::unique_ptr<AlignedPhoto> photo_;
    std::unique_ptr<Reduced> reduced_;
    FrameMapping mapping_;
    unsigned serial_ = 0;
    std::optional<RgbImage> colour_;
    std::optional<GreyImage> grey_;
};

}  // namespace sg

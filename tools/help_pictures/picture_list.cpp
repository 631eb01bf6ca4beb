// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/help_pictures/picture_list.h"

#include "tools/help_pictures/bitmap_writers.h"
#include "tools/help_pictures/pictures.h"

namespace hp {

namespace {

const Picture kPictures[] = {
    // Information window.
    {"test_principle.bmp", 429, 407, Format::Mono, drawTestPrinciple},
    {"analysis_patterns.bmp", 482, 88, Format::Mono, drawAnalysisPatterns},
    {"images_positions.jpg", 467, 128, Format::Jpeg, drawImagesPositions},
    {"images_gratings.jpg", 493, 192, Format::Jpeg, drawImagesGratings},
    {"images_tests.jpg", 150, 99, Format::Jpeg, drawImagesTests},
    {"images_zone.jpg", 328, 98, Format::Jpeg, drawImagesZone},
    {"images_wave.jpg", 420, 122, Format::Jpeg, drawImagesWave},
    {"null_tests.bmp", 367, 158, Format::Mono, drawNullTests},
    {"gratings_materials.jpg", 233, 276, Format::Jpeg, drawGratingMaterials},
    {"slit_two_blade.jpg", 359, 309, Format::Jpeg, drawTwoBladeSlit},
    {"slit_scribed.jpg", 182, 174, Format::Jpeg, drawScribedSlit},
    {"slit_diffuser.jpg", 79, 87, Format::Jpeg, drawDiffuser},
    {"rig_simple.bmp", 429, 279, Format::Mono, drawSimpleRig},
    {"rig_deluxe_overall.jpg", 236, 217, Format::Jpeg, drawDeluxeRig},
    {"rig_deluxe_head.jpg", 253, 390, Format::Jpeg, drawDeluxeHead},
    {"rig_led_source.bmp", 272, 357, Format::Mono, drawLedSource},
    {"mirror_stand.bmp", 324, 256, Format::Mono, drawMirrorStand},
    {"slope_reading.bmp", 351, 419, Format::Mono, drawSlopeReading},
    {"phase_profiles.jpg", 199, 176, Format::Jpeg, drawPhaseProfiles},
    {"phase_bands.jpg", 244, 161, Format::Jpeg, drawPhaseBands},
    // Help windows.
    {"help_xposn.bmp", 55, 49, Format::SixteenColours, drawHelpTransverse},
    {"help_axial.bmp", 51, 208, Format::SixteenColours, drawHelpAxial},
    {"help_centres.bmp", 170, 167, Format::Mono, drawHelpCentres},
    {"help_tests.bmp", 449, 143, Format::Mono, drawHelpTests},
};

}  // namespace

std::span<const Picture> allPictures() { return kPictures; }

bool writePicture(const Picture& picture, const QImage& image, const QString& path) {
    switch (picture.format) {
    case Format::Mono: return writeBmp(toMono(image), path);
    case Format::SixteenColours: return writeBmp(toSixteenColours(image), path);
    case Format::Jpeg: return writeJpeg(image, path);
    }
    return false;
}

}  // namespace hp

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every picture of the information and help windows, each drawn at its
// final size on a 32-bit sheet; main.cpp turns them into their files.

#include <QImage>

namespace hp {

// Line drawings of the test (test_drawings.cpp).
QImage drawTestPrinciple();   // " Test" page
QImage drawNullTests();       // " Nulls" page
QImage drawHelpTests();       // help on Wire - Foucault - Ronchi

// Band patterns worked out from the ray geometry (pattern_drawings.cpp).
QImage drawAnalysisPatterns();  // "Analysis" page
QImage drawSlopeReading();      // "Slope" page
QImage drawHelpCentres();       // help on Centres

// Mechanical drawings (rig_drawings.cpp).
QImage drawSimpleRig();
QImage drawLedSource();
QImage drawMirrorStand();

// Parts of the main window as it draws them (help_bitmaps.cpp).
QImage drawHelpTransverse();  // the transverse slider
QImage drawHelpAxial();       // the axial ray diagram

// Pictures of the program's own shadowgrams (simulated_images.cpp).
QImage drawImagesPositions();
QImage drawImagesGratings();
QImage drawImagesTests();
QImage drawImagesZone();
QImage drawImagesWave();

// Shaded illustrations (illustrations_gratings_slits.cpp).
QImage drawGratingMaterials();
QImage drawTwoBladeSlit();
QImage drawScribedSlit();
QImage drawDiffuser();

// Shaded illustrations (illustrations_rigs_phase.cpp).
QImage drawDeluxeRig();
QImage drawDeluxeHead();
QImage drawPhaseProfiles();
QImage drawPhaseBands();

}  // namespace hp

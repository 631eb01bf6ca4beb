// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where diffraction puts a photo's band edges. The ray model places an
// edge where the reflected ray crosses a grating line; in the picture a
// camera sees, diffraction softens and fringes the bands, and the
// half-level crossing the edge finder reports lies elsewhere, by an amount
// that changes across the mirror: exactly where the conic is read from.
//
// For parameters near the photo's, the wave picture of the fitted model
// (the exact surface, the user's wavelength or white light, the source's
// width, the tester's source) is drawn on the frame, blurred as the photo
// is, and its edges are found by the same finder. Each of them lies some
// distance from the ray model's edge of the same band boundary: that is
// the shift a photo's edge at the same place carries. Moved back by it,
// the photo's edges are ray edges again, and the ray fit reads them
// without the bias.
//
// The rim moves too: near it fewer of the grating's sheared copies of the
// mirror overlap, the rim's fall widens and its half-level, where the
// disk is found, lies inside the true rim. The wave picture's disk, found
// as a photo's is, says by how much, and the photo's edges are first put
// back on the true frame. The rim's fall, less the wave picture's own,
// The photo's blur comes from the rim where it runs along the bands: the
// spread of the brightness's fall there is the wave picture's own spread
// and the blur's together (variances add under a blur).

#include "fit/edge_fit.h"
#include "photo/edge_extraction.h"
#include "simulator/scene.h"

#include <array>
#include <memory>
#include <vector>

namespace sg {

// The scene the wave model draws for a fitted model: the mirror and test
// as applyToSetup sets them, traced exactly, with the mirror's light and
// source, its zone at its true height.
Scene waveFitScene(const FitMirror& mirror, const ZoneShape& zone, const BandParameters& p, BandAxis axis);

// The wave picture's edges for one set of parameters, each with its
// distance from the ray edge.
struct WaveEdge {
    double position = 0;  // frame pixels along the scan line
    int line = 0;         // the scan line
    int bright = 0;       // as BandEdge::brightSide
    double shift = 0;     // frame pixels along the line: the wave edge less the ray edge
};

class WaveEdgeModel {
public:
    // `rimSpread`: each photo's rimSpread on its frame. `edges`: the
    // finder's options, as for the photos.
    WaveEdgeModel(const FitProblem& problem, const double rimSpread[2], const EdgeOptions& edges);
    ~WaveEdgeModel();
    WaveEdgeModel(const WaveEdgeModel&) = delete;
    WaveEdgeModel& operator=(const WaveEdgeModel&) = delete;

    // The wave picture for `p` (the first photo's parameters), its edges
    // and their shifts. Throws ActionError where the wave model cannot
    // draw the set-up.
    const std::vector<WaveEdge>& edgesAt(const FitParameters& p, int photo = 0);

    // `raw` (the photo's edges as found, labelled under parameters near
    // the last edgesAt's) put on the true frame and moved back by the
    // shift of the nearest wave edge of the same kind on the same scan
    // line, within 0.3 of the local band width, each edge's residual its
    // distance from that wave edge (frame pixels, toward its bright side
    // positive); edges with no such neighbour are left out, or with
    // `keepAll` kept in their place with a mirror position and a residual
    // that are not numbers.
    std::vector<FitEdge> moved(const std::vector<FitEdge>& raw, int photo = 0, bool keepAll = false) const;

    // The photo's blur on the frame (a Gaussian's sigma, frame pixels) as
    // the first edgesAt found it.
    double blur(int photo = 0) const { return blur_[photo]; }

    // The camera as the picture's match found it: the wave pictures drawn
    // after this are blurred by `blur` and put through the tone curve
    // brightness^gamma, as the photo was.
    void setCamera(int photo, double gamma, double blur) {
        gamma_[photo] = gamma;
        blur_[photo] = blur;
    }

    // Where the last edgesAt found the wave picture's disk against the
    // true one: its centre's offset (x, y) and its radius's, frame pixels.
    // The photo's frame, which puts the disk found at the frame's disk,
    // is off the true frame by as much.
    std::array<double, 3> diskBias(int photo = 0) const {
        return {centreBias_[photo][0], centreBias_[photo][1], radiusBias_[photo]};
    }

private:
    struct Engine;
    FitProblem problem_;
    double rimSpread_[2];
    double blur_[2] = {-1, -1};  // below 0 until the first picture
    double gamma_[2] = {1, 1};
    // Where the disk finder puts the wave picture's rim: the centre's
    // offset and the radius's, frame pixels.
    double centreBias_[2][2] = {{0, 0}, {0, 0}}, radiusBias_[2] = {0, 0};
    EdgeOptions options_;
    std::unique_ptr<Engine> engine_;
    std::vector<WaveEdge> edges_[2];
    std::vector<std::vector<std::size_t>> byLine_[2];  // indices of edges_ by scan line
};

// The scan line an edge of the frame lies on, for bands on `axis`.
int scanLine(const FitEdge& e, BandAxis axis);

// The spread of the rim's fall on a frame: the brightness averaged over
// rays from the disk's centre within 30 degrees of the bands' direction
// (where the rim runs across a band, not across the bands), and the
// variance about its centre (frame pixels squared) of the fall's slope
// over 12 pixels either side of the frame's rim. NaN where the frame has
// no such rim.
double rimSpread(const GreyImage& frame, BandAxis axis);

}  // namespace sg

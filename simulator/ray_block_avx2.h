// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The passes over the pure conic in AVX2 lanes: a block of kRayBatch points
// (two draws each) decided four at a time and painted, with every bit,
// pixel and generator state of the portable code. The series model's normal
// and centre-line passes, for the fixed and the moving source, and the
// exact trace from a point source. Chosen at run time: only on a CPU with
// AVX2, and never for a block in which any point might fault, which the
// portable code then decides again.

#include "simulator/draw_tables.h"
#include "simulator/random_generator.h"
#include "simulator/ray_batch.h"
#include "simulator/ray_pass.h"

#include <QRgb>

namespace sg {

// The CPU has AVX2 (checked once).
bool cpuHasAvx2();

// Clears the upper halves of the vector registers where the CPU has them, so
// that the portable code, compiled to legacy SSE, never pays the transition
// from dirty AVX state. Nothing on other CPUs.
void cleanUpperRegisters();

// Where a block paints: the image's pixels and the ray colour.
struct BlockTarget {
    QRgb* pixels;
    qsizetype stride;  // pixels per row
    unsigned width, height;
    QRgb colour;
};

// Decides and paints the next kRayBatch points of the generator. Returns
// false, with nothing painted and the generator as it was, when a point of
// the block might fault or leave the exact range; the caller then decides
// the block with the portable code. Only for the series model over the
// pure conic (the normal pass, or with `centres` the centre lines of the
// grating or the wire, never the knife), with a usable band width,
// prepared tables without pixel faults, and a set-up that passes
// `blockSetupUsable`.
bool decidePureBlockAvx2(const RaySetup& s, bool centres, const DrawTables& tables, double aperture,
                         const BlockTarget& target, RandomGenerator& random);

// The exact trace's normal pass of the next kRayBatch points: the exact
// model never faults on a ray, so the block is always decided here. Only
// for a set-up that passes `exactBlockUsable` and tables without pixel
// faults.
void decideExactBlockAvx2(const RaySetup& s, const DrawTables& tables, double aperture, const BlockTarget& target,
                          RandomGenerator& random);

// The decisions of n points (a multiple of 4, n <= kRayBatch; u and v
// aligned to 32 bytes) in lanes: bit k of litBits (cleared by the caller)
// set where point k is inside the aperture and lit. Returns false as soon
// as a point inside might fault. With zAlong and zY given, also writes the
// plane positions in band widths, P / w and Y / w (0 where not needed).
bool decidePureLanes(const RaySetup& s, bool centres, double aperture, const double* u, const double* v, int n,
                     std::uint32_t* litBits, double* zAlong = nullptr, double* zY = nullptr);

// The exact trace of n points (a multiple of 4), with the drawn zone's sag
// and slope at each point, from the points of the source (sourceX and
// sourceY, or nullptr for the point source on the axis), and the normal
// pass's decision in lanes: lit[k] as the point-by-point exact trace gives
// it. Only where the CPU has AVX2.
void decideExactLanes(const RaySetup& s, const double* u, const double* v, const double* sq, const double* r,
                      const double* zoneSag, const double* zoneSlope, const double* sourceX, const double* sourceY,
                      int n, bool* lit);

// The largest square radius s whose root is not beyond the aperture: for
// every s >= 0, and for NaN, sqrt(s) > aperture exactly when s > the
// limit, so that a block can test the aperture on u^2 + v^2 itself.
double apertureSquareLimit(double aperture);

// The set-up conditions of the block: a conic whose divisors are not zero
// and a band width.
bool blockSetupUsable(const RaySetup& s);

// The exact trace's block: the pure conic (a flat zone), a point source and
// a band width.
bool exactBlockUsable(const RaySetup& s);

}  // namespace sg

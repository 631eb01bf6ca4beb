// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/ray_block_avx2.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace sg {

double apertureSquareLimit(double aperture) {
    if (std::isnan(aperture)) return aperture;  // sqrt(s) > NaN never holds, nor s > NaN
    if (aperture < 0) return -1;                // every root, 0 included, lies beyond
    if (std::isinf(aperture)) return aperture;
    constexpr double kHuge = std::numeric_limits<double>::max();
    constexpr double kInf = std::numeric_limits<double>::infinity();
    double s = std::fmin(aperture * aperture, kHuge);
    while (s > 0 && std::sqrt(s) > aperture) s = std::nextafter(s, 0.0);
    while (s < kHuge && !(std::sqrt(std::nextafter(s, kInf)) > aperture)) s = std::nextafter(s, kInf);
    return s;
}

#if defined(__x86_64__)

bool cpuHasAvx2() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

namespace {

bool cpuHasAvx() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx") != 0;
    }();
    return has;
}

[[gnu::target("avx")]] void zeroUpper() { _mm256_zeroupper(); }

// The generator's step k times over: x(n + k) = a x(n) + c (mod 2^32).
struct Jump {
    std::uint32_t a, c;
};
constexpr Jump jumpOf(int k) {
    Jump j{1, 0};
    for (int i = 0; i < k; ++i) j = {j.a * 134775813u, j.c * 134775813u + 1u};
    return j;
}

}  // namespace

void cleanUpperRegisters() {
    if (cpuHasAvx()) zeroUpper();
}

bool blockSetupUsable(const RaySetup& s) {
    const ConicTerms& c = s.conic;
    return c.radius != 0 && c.twoR != 0 && c.eightR3 != 0 && !s.bandWidthFault && s.bandWidth != 0 &&
           std::isfinite(s.bandWidth) && !s.distorted && !s.exact;
}

bool exactBlockUsable(const RaySetup& s) {
    return s.exact && s.zone.flat && !(s.slitWidth > 0) && !s.bandWidthFault;
}

namespace {

constexpr int kDraws = 2 * kRayBatch;

// The draws of the block: four sets of eight generator states in the
// lanes, 32 consecutive states in all, each step advancing every one by 32
// (four chains of multiplications that overlap, instead of one), the draw
// the high word of 10000 x seed. Points take draws in pairs: u from the
// even, v from the odd ones.
[[gnu::target("avx2")]] std::uint32_t drawBlock(std::uint32_t seed, int* du, int* dv) {
    constexpr int kChains = 4;
    constexpr Jump kStride = jumpOf(8 * kChains);
    // The jumps from the seed to each of the first 32 states, made once by the compiler.
    struct Jumps {
        alignas(32) std::uint32_t a[kChains][8], c[kChains][8];
    };
    static constexpr Jumps kJumps = [] {
        Jumps t{};
        for (int chain = 0; chain < kChains; ++chain)
            for (int j = 0; j < 8; ++j) {
                const Jump jump = jumpOf(8 * chain + j + 1);
                t.a[chain][j] = jump.a;
                t.c[chain][j] = jump.c;
            }
        return t;
    }();
    const auto& a = kJumps.a;
    const auto& c = kJumps.c;
    const __m256i start = _mm256_set1_epi32(static_cast<int>(seed));
    __m256i state[kChains];
    for (int chain = 0; chain < kChains; ++chain)
        state[chain] = _mm256_add_epi32(
            _mm256_mullo_epi32(start, _mm256_load_si256(reinterpret_cast<const __m256i*>(a[chain]))),
            _mm256_load_si256(reinterpret_cast<const __m256i*>(c[chain])));
    const __m256i stepA = _mm256_set1_epi32(static_cast<int>(kStride.a));
    const __m256i stepC = _mm256_set1_epi32(static_cast<int>(kStride.c));
    const __m256i scale = _mm256_set1_epi64x(10000);
    const __m256i highWords = _mm256_set1_epi64x(static_cast<long long>(0xFFFFFFFF00000000ull));
    const __m256i pairs = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);
    static_assert(kDraws % (8 * kChains) == 0);
    for (int step = 0; step < kDraws / (8 * kChains); ++step) {
        for (int chain = 0; chain < kChains; ++chain) {
            const __m256i x = state[chain];
            const __m256i even = _mm256_srli_epi64(_mm256_mul_epu32(x, scale), 32);
            const __m256i odd = _mm256_and_si256(_mm256_mul_epu32(_mm256_srli_epi64(x, 32), scale), highWords);
            const __m256i draws = _mm256_permutevar8x32_epi32(_mm256_or_si256(even, odd), pairs);
            const int at = 4 * (kChains * step + chain);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(du + at), _mm256_castsi256_si128(draws));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dv + at), _mm256_extracti128_si256(draws, 1));
        }
        if (step < kDraws / (8 * kChains) - 1)
            for (int chain = 0; chain < kChains; ++chain)
                state[chain] = _mm256_add_epi32(_mm256_mullo_epi32(state[chain], stepA), stepC);
    }
    return static_cast<std::uint32_t>(_mm256_extract_epi32(state[kChains - 1], 7));
}

// |z| + 0.5 for the band index, |z| by clearing the sign bit.
[[gnu::target("avx2")]] inline __m256d bandArgument(__m256d z, __m256d signMask, __m256d half) {
    return _mm256_add_pd(_mm256_andnot_pd(signMask, z), half);
}

// floor(a) is odd: floor(a) != 2 floor(a / 2), exact for every a the range
// screen lets through (0.5 <= a < 2^63).
[[gnu::target("avx2")]] inline __m256d oddBand(__m256d a, __m256d half, __m256d two) {
    const __m256d whole = _mm256_floor_pd(a);
    const __m256d halfWhole = _mm256_floor_pd(_mm256_mul_pd(a, half));
    return _mm256_cmp_pd(whole, _mm256_mul_pd(halfWhole, two), _CMP_NEQ_OQ);
}

// The band rules in lanes, from P / w and Y / w: dark where the grating,
// wire or knife stops the light, and `outside` where the decision leaves
// the exact range (a NaN at the knife, a band index of 2^63 or more). In
// "2 D" the band across is read only where the band along lets light by.
// For the centre lines (never the knife) the grating's period is 40 bands:
// a band index is a multiple of 40 when floor(a) == 40 floor(floor(a) /
// 40), exact below 2^46 (the quotient's rounding stays under 1/80), so a
// larger index counts as outside and leaves the lanes.
struct LaneBands {
    __m256d dark, outside;
};

// floor(a) is not a multiple of 40, for 0.5 <= a < 2^46.
[[gnu::target("avx2")]] inline __m256d offCentreBand(__m256d a) {
    const __m256d forty = _mm256_set1_pd(40.0);
    const __m256d whole = _mm256_floor_pd(a);
    const __m256d periods = _mm256_floor_pd(_mm256_div_pd(whole, forty));
    return _mm256_cmp_pd(whole, _mm256_mul_pd(periods, forty), _CMP_NEQ_OQ);
}

// Dark in one direction: the wire within 1.5 bands, the grating's odd band
// (off the 40-band period for the centre lines).
[[gnu::target("avx2")]] inline __m256d darkBand(bool wire, bool centres, __m256d a) {
    const __m256d half = _mm256_set1_pd(0.5), two = _mm256_set1_pd(2.0);
    return wire ? _mm256_cmp_pd(a, two, _CMP_GE_OQ) : centres ? offCentreBand(a) : oddBand(a, half, two);
}

[[gnu::target("avx2")]] inline LaneBands laneBands(TestKind test, bool twoD, bool centres, __m256d zAlong, __m256d zY,
                                                   __m256d shift) {
    const __m256d zero = _mm256_setzero_pd(), half = _mm256_set1_pd(0.5);
    const __m256d signMask = _mm256_set1_pd(-0.0);
    LaneBands b;
    if (test == TestKind::Foucault) {
        const __m256d z = _mm256_add_pd(zAlong, shift);
        b.outside = _mm256_cmp_pd(z, z, _CMP_UNORD_Q);
        b.dark = _mm256_cmp_pd(z, zero, _CMP_LE_OQ);
        return b;
    }
    const bool wire = test == TestKind::Wire;
    const __m256d bandLimit = _mm256_set1_pd(centres && !wire ? 70368744177664.0 : 9223372036854775808.0);
    const __m256d a1 = bandArgument(_mm256_add_pd(zAlong, shift), signMask, half);
    const __m256d darkAlong = darkBand(wire, centres, a1);
    b.outside = _mm256_cmp_pd(a1, bandLimit, _CMP_NLT_UQ);
    b.dark = darkAlong;
    if (twoD) {
        const __m256d a2 = bandArgument(zY, signMask, half);
        const __m256d a2Outside = _mm256_cmp_pd(a2, bandLimit, _CMP_NLT_UQ);
        b.outside = _mm256_or_pd(b.outside, _mm256_andnot_pd(darkAlong, a2Outside));
        b.dark = _mm256_or_pd(b.dark, darkBand(wire, centres, a2));
    }
    return b;
}

// The transverse offset as the decision adds it: t for the grating and the
// knife, 3 t for the wire; 40 t and 120 t for the centre lines.
inline double laneShift(const BandRules& bands, bool centres) {
    if (bands.test == TestKind::Wire) return (centres ? 120 : 3) * bands.transverse;
    return (centres ? 40 : 1) * bands.transverse;
}

}  // namespace

[[gnu::target("avx2")]] bool decidePureLanes(const RaySetup& s, bool centres, double aperture, const double* pu,
                                             const double* pv, int n, std::uint32_t* litBits, double* zAlongOut,
                                             double* zYOut) {
    const ConicTerms& c = s.conic;
    const __m256d radius = _mm256_set1_pd(c.radius), twoR = _mm256_set1_pd(c.twoR);
    const __m256d eightR3 = _mm256_set1_pd(c.eightR3), onePlusK = _mm256_set1_pd(c.onePlusK);
    const __m256d fourOnePlusK = _mm256_set1_pd(c.fourOnePlusK), axial = _mm256_set1_pd(s.axialOffset);
    const __m256d planeRadius = _mm256_set1_pd(s.radius), w = _mm256_set1_pd(s.bandWidth);
    const __m256d limit = _mm256_set1_pd(aperture), zero = _mm256_setzero_pd();
    const __m256d minusOne = _mm256_set1_pd(-1.0);
    // The source's shift along the axis (0 for the fixed source, where
    // subtracting it leaves every value as it is).
    const __m256d sourceShift = _mm256_set1_pd(s.sourceShift);
    const TestKind test = s.bands.test;
    const Orientation orientation = s.orientation();
    const bool twoD = orientation == Orientation::TwoD;
    const bool needY = orientation != Orientation::Vertical;
    const bool horizontal = orientation == Orientation::Horizontal;
    const __m256d shift = _mm256_set1_pd(laneShift(s.bands, centres));
    // Lit where dark differs from the parity, or where not dark for the centre lines.
    const __m256d flip = s.bands.evenLines || centres ? _mm256_castsi256_pd(_mm256_set1_epi64x(-1)) : zero;

    for (int k = 0; k < n; k += 4) {
        const __m256d u = _mm256_load_pd(pu + k);
        const __m256d v = _mm256_load_pd(pv + k);
        // The operations of the scalar code, one by one and in its order.
        const __m256d sq = _mm256_add_pd(_mm256_mul_pd(u, u), _mm256_mul_pd(v, v));
        const __m256d r = _mm256_sqrt_pd(sq);
        const __m256d inside = _mm256_cmp_pd(r, limit, _CMP_NGT_UQ);
        const __m256d slope = _mm256_add_pd(
            _mm256_div_pd(r, radius),
            _mm256_div_pd(_mm256_mul_pd(_mm256_mul_pd(_mm256_mul_pd(fourOnePlusK, r), r), r), eightR3));
        const __m256d t = _mm256_div_pd(minusOne, slope);
        const __m256d sag = _mm256_add_pd(_mm256_div_pd(sq, twoR),
                                          _mm256_div_pd(_mm256_mul_pd(_mm256_mul_pd(onePlusK, sq), sq), eightR3));
        const __m256d intercept = _mm256_sub_pd(sag, _mm256_mul_pd(t, r));
        const __m256d d = _mm256_add_pd(_mm256_sub_pd(planeRadius, intercept), axial);
        const __m256d crossing = _mm256_sub_pd(intercept, sourceShift);
        const __m256d x = _mm256_div_pd(_mm256_mul_pd(d, u), crossing);
        const __m256d y = needY ? _mm256_div_pd(_mm256_mul_pd(d, v), crossing) : zero;
        const __m256d zAlong = _mm256_div_pd(horizontal ? y : x, w);
        const __m256d zY = twoD ? _mm256_div_pd(y, w) : zero;

        // Anything that could fault, in a lane inside the aperture, sends the
        // block back to the careful code: the centre, a zero divisor, NaN, a
        // band index beyond the range of the integer conversion.
        __m256d suspect = _mm256_or_pd(_mm256_cmp_pd(r, zero, _CMP_EQ_OQ), _mm256_cmp_pd(slope, zero, _CMP_EQ_OQ));
        suspect = _mm256_or_pd(suspect, _mm256_cmp_pd(crossing, zero, _CMP_EQ_UQ));
        suspect = _mm256_or_pd(suspect, _mm256_cmp_pd(x, x, _CMP_UNORD_Q));
        suspect = _mm256_or_pd(suspect, _mm256_cmp_pd(y, zY, _CMP_UNORD_Q));
        const LaneBands bands = laneBands(test, twoD, centres, zAlong, zY, shift);
        suspect = _mm256_or_pd(suspect, bands.outside);
        const __m256d dark = bands.dark;
        if (zAlongOut != nullptr) {
            _mm256_storeu_pd(zAlongOut + k, zAlong);
            _mm256_storeu_pd(zYOut + k, zY);
        }
        if (_mm256_movemask_pd(_mm256_and_pd(suspect, inside)) != 0) return false;
        const int lit = _mm256_movemask_pd(_mm256_and_pd(_mm256_xor_pd(dark, flip), inside));
        litBits[k / 32] |= static_cast<std::uint32_t>(lit) << (k % 32);
    }
    return true;
}

namespace {

// The constants of the exact trace's lanes.
struct ExactLanes {
    __m256d R, onePlusK, q, p, zero, one, two, w, signMask, shift, flip, RR;
    TestKind test;
    bool twoD, horizontal;
};

[[gnu::target("avx2")]] inline ExactLanes exactLanes(const RaySetup& s) {
    ExactLanes e;
    e.R = _mm256_set1_pd(s.radius);
    e.onePlusK = _mm256_set1_pd(1 + s.conicConstant);
    e.q = _mm256_set1_pd(s.sourceZ);
    e.p = _mm256_set1_pd(s.planeZ);
    e.zero = _mm256_setzero_pd();
    e.one = _mm256_set1_pd(1.0);
    e.two = _mm256_set1_pd(2.0);
    e.w = _mm256_set1_pd(s.bandWidth);
    e.signMask = _mm256_set1_pd(-0.0);
    e.test = s.bands.test;
    e.twoD = s.orientation() == Orientation::TwoD;
    e.horizontal = s.orientation() == Orientation::Horizontal;
    e.shift = _mm256_set1_pd(laneShift(s.bands, false));
    e.flip = s.bands.evenLines ? _mm256_castsi256_pd(_mm256_set1_epi64x(-1)) : e.zero;
    e.RR = _mm256_mul_pd(e.R, e.R);
    return e;
}

// The exact trace and the normal pass's decision of four points in lanes:
// the operations of the exact trace and of the band rules, one by one and
// in their order, so the same bits. With `fromSlit`, from the points
// (sx, sy) of the source; a point of the source on the axis is traced as
// the point source is. All ones where lit.
[[gnu::target("avx2")]] inline __m256d exactLitLanes(const ExactLanes& e, __m256d u, __m256d v, __m256d sq, __m256d r,
                                                     __m256d zoneSag, __m256d zoneSlope, bool fromSlit, __m256d sx,
                                                     __m256d sy) {
    const __m256d zero = e.zero, two = e.two;
    const __m256d square = _mm256_sub_pd(e.RR, _mm256_mul_pd(e.onePlusK, sq));
    // fmax(square, 0): 0 where square is below 0 or NaN.
    const __m256d root = _mm256_sqrt_pd(_mm256_and_pd(square, _mm256_cmp_pd(square, zero, _CMP_GT_OQ)));
    const __m256d sag = _mm256_add_pd(_mm256_div_pd(sq, _mm256_add_pd(e.R, root)), zoneSag);
    // normalAxialPart: root itself where the zone has no slope or at the vertex.
    const __m256d tilted = _mm256_div_pd(_mm256_mul_pd(r, root), _mm256_add_pd(r, _mm256_mul_pd(zoneSlope, root)));
    const __m256d keepRoot =
        _mm256_or_pd(_mm256_cmp_pd(zoneSlope, zero, _CMP_EQ_OQ), _mm256_cmp_pd(r, zero, _CMP_EQ_OQ));
    const __m256d c = _mm256_blendv_pd(tilted, root, keepRoot);
    const __m256d toMirror = _mm256_sub_pd(sag, e.q);
    const __m256d bounce = _mm256_div_pd(_mm256_mul_pd(two, _mm256_sub_pd(_mm256_mul_pd(toMirror, c), sq)),
                                         _mm256_add_pd(sq, _mm256_mul_pd(c, c)));
    __m256d oz = _mm256_sub_pd(toMirror, _mm256_mul_pd(bounce, c));
    const __m256d scale = _mm256_add_pd(e.one, bounce);
    __m256d ox = _mm256_mul_pd(u, scale), oy = _mm256_mul_pd(v, scale);
    if (fromSlit) {
        // From a point of the slit, where it is not on the axis itself.
        const __m256d ix = _mm256_sub_pd(u, sx), iy = _mm256_sub_pd(v, sy);
        const __m256d dot =
            _mm256_sub_pd(_mm256_sub_pd(_mm256_mul_pd(toMirror, c), _mm256_mul_pd(u, ix)), _mm256_mul_pd(v, iy));
        const __m256d offBounce = _mm256_div_pd(_mm256_mul_pd(two, dot), _mm256_add_pd(sq, _mm256_mul_pd(c, c)));
        const __m256d onAxis = _mm256_and_pd(_mm256_cmp_pd(sx, zero, _CMP_EQ_OQ), _mm256_cmp_pd(sy, zero, _CMP_EQ_OQ));
        ox = _mm256_blendv_pd(_mm256_add_pd(ix, _mm256_mul_pd(offBounce, u)), ox, onAxis);
        oy = _mm256_blendv_pd(_mm256_add_pd(iy, _mm256_mul_pd(offBounce, v)), oy, onAxis);
        oz = _mm256_blendv_pd(_mm256_sub_pd(toMirror, _mm256_mul_pd(offBounce, c)), oz, onAxis);
    }
    const __m256d reach = _mm256_div_pd(_mm256_sub_pd(e.p, sag), oz);
    const __m256d x = _mm256_xor_pd(_mm256_add_pd(u, _mm256_mul_pd(reach, ox)), e.signMask);
    const __m256d y = _mm256_xor_pd(_mm256_add_pd(v, _mm256_mul_pd(reach, oy)), e.signMask);
    __m256d valid = _mm256_and_pd(_mm256_cmp_pd(square, zero, _CMP_GE_OQ), _mm256_cmp_pd(oz, zero, _CMP_GT_OQ));
    valid = _mm256_and_pd(valid, _mm256_cmp_pd(reach, zero, _CMP_GE_OQ));
    valid = _mm256_and_pd(valid, _mm256_cmp_pd(_mm256_sub_pd(x, x), zero, _CMP_EQ_OQ));
    valid = _mm256_and_pd(valid, _mm256_cmp_pd(_mm256_sub_pd(y, y), zero, _CMP_EQ_OQ));
    const __m256d along = _mm256_div_pd(e.horizontal ? y : x, e.w);
    // Y / w only where "2 D" reads it.
    const LaneBands bands = laneBands(e.test, e.twoD, false, along, e.twoD ? _mm256_div_pd(y, e.w) : e.zero, e.shift);
    valid = _mm256_andnot_pd(bands.outside, valid);
    return _mm256_and_pd(_mm256_xor_pd(bands.dark, e.flip), valid);
}

// Paints the lit points of a block, walked by their bits: no branch per point.
inline void paintLitBits(const std::uint32_t* litBits, const int* du, const int* dv, const DrawTables& tables,
                         const BlockTarget& target) {
    for (int word = 0; word < kRayBatch / 32; ++word) {
        for (std::uint32_t bits = litBits[word]; bits != 0; bits &= bits - 1) {
            const int k = 32 * word + std::countr_zero(bits);
            const int px = tables.pixelX(du[k]), py = tables.pixelY(dv[k]);
            if (static_cast<unsigned>(px) < target.width && static_cast<unsigned>(py) < target.height)
                target.pixels[py * target.stride + px] = target.colour;
        }
    }
}

}  // namespace

[[gnu::target("avx2")]] void decideExactLanes(const RaySetup& s, const double* pu, const double* pv, const double* psq,
                                             const double* pr, const double* pzoneSag, const double* pzoneSlope,
                                             const double* psourceX, const double* psourceY, int n, bool* lit) {
    const ExactLanes e = exactLanes(s);
    const bool fromSlit = psourceX != nullptr;
    for (int k = 0; k < n; k += 4) {
        const __m256d u = _mm256_loadu_pd(pu + k), v = _mm256_loadu_pd(pv + k);
        const __m256d sq = _mm256_loadu_pd(psq + k), r = _mm256_loadu_pd(pr + k);
        const __m256d zoneSag = _mm256_loadu_pd(pzoneSag + k), zoneSlope = _mm256_loadu_pd(pzoneSlope + k);
        const __m256d sx = fromSlit ? _mm256_loadu_pd(psourceX + k) : e.zero;
        const __m256d sy = fromSlit ? _mm256_loadu_pd(psourceY + k) : e.zero;
        const int bits =
            _mm256_movemask_pd(exactLitLanes(e, u, v, sq, r, zoneSag, zoneSlope, fromSlit, sx, sy));
        for (int j = 0; j < 4; ++j) lit[k + j] = (bits >> j) & 1;
    }
}

namespace {

// Left-packing of four 64-bit lanes: for each mask of lanes kept, the 32-bit
// halves of the kept lanes first, in order.
struct PackTable {
    alignas(32) std::int32_t index[16][8];
};
constexpr PackTable makePackTable() {
    PackTable t{};
    for (int mask = 0; mask < 16; ++mask) {
        int out = 0;
        for (int lane = 0; lane < 4; ++lane)
            if ((mask >> lane) & 1) {
                t.index[mask][2 * out] = 2 * lane;
                t.index[mask][2 * out + 1] = 2 * lane + 1;
                ++out;
            }
        for (; out < 4; ++out) t.index[mask][2 * out] = t.index[mask][2 * out + 1] = 0;
    }
    return t;
}
constexpr PackTable kPack = makePackTable();

// The points of a block inside the aperture, packed to the front in the
// order drawn, with their draws; the arrays hold four values beyond the
// last point (the remains of the last packing) so that the last group of
// lanes reads defined points.
struct InsidePoints {
    alignas(32) double u[kRayBatch + 4], v[kRayBatch + 4], sq[kRayBatch + 4];
    alignas(32) std::int32_t draws[2 * (kRayBatch + 4)];  // du, dv of each point
    int count = 0;
};

// The exact trace of the packed points in stages over the whole block, one
// division or root in each, so that no stage waits on a chain of them.
struct ExactStages {
    alignas(32) double root[kRayBatch + 4], sag[kRayBatch + 4], valid[kRayBatch + 4];
    alignas(32) double oz[kRayBatch + 4], scale[kRayBatch + 4];
};

// The normal pass's decision of the packed points, the exact trace's
// operations one by one and in their order (the flat zone: its sag of 0
// still added, the conic's root itself the normal's axial part): bit k of
// litBits set where packed point k is lit.
[[gnu::target("avx2")]] void exactStagesLanes(const ExactLanes& e, const InsidePoints& in, std::uint32_t* litBits) {
    ExactStages st;
    const int n = in.count, groups = (n + 3) / 4 * 4;
    const __m256d zero = e.zero;
    // The conic's sag and root.
    for (int k = 0; k < groups; k += 4) {
        const __m256d sq = _mm256_load_pd(in.sq + k);
        const __m256d square = _mm256_sub_pd(e.RR, _mm256_mul_pd(e.onePlusK, sq));
        // fmax(square, 0): 0 where square is below 0 or NaN.
        const __m256d root = _mm256_sqrt_pd(_mm256_and_pd(square, _mm256_cmp_pd(square, zero, _CMP_GT_OQ)));
        const __m256d sag = _mm256_add_pd(_mm256_div_pd(sq, _mm256_add_pd(e.R, root)), zero);
        _mm256_store_pd(st.root + k, root);
        _mm256_store_pd(st.sag + k, sag);
        _mm256_store_pd(st.valid + k, _mm256_cmp_pd(square, zero, _CMP_GE_OQ));
    }
    // The reflection of the ray from the source on the axis.
    for (int k = 0; k < groups; k += 4) {
        const __m256d sq = _mm256_load_pd(in.sq + k), c = _mm256_load_pd(st.root + k);
        const __m256d toMirror = _mm256_sub_pd(_mm256_load_pd(st.sag + k), e.q);
        const __m256d bounce = _mm256_div_pd(_mm256_mul_pd(e.two, _mm256_sub_pd(_mm256_mul_pd(toMirror, c), sq)),
                                             _mm256_add_pd(sq, _mm256_mul_pd(c, c)));
        _mm256_store_pd(st.oz + k, _mm256_sub_pd(toMirror, _mm256_mul_pd(bounce, c)));
        _mm256_store_pd(st.scale + k, _mm256_add_pd(e.one, bounce));
    }
    // The crossing with the plane, and the bands there.
    for (int k = 0; k < groups; k += 4) {
        const __m256d u = _mm256_load_pd(in.u + k), v = _mm256_load_pd(in.v + k);
        const __m256d oz = _mm256_load_pd(st.oz + k), scale = _mm256_load_pd(st.scale + k);
        const __m256d ox = _mm256_mul_pd(u, scale), oy = _mm256_mul_pd(v, scale);
        const __m256d reach = _mm256_div_pd(_mm256_sub_pd(e.p, _mm256_load_pd(st.sag + k)), oz);
        const __m256d x = _mm256_xor_pd(_mm256_add_pd(u, _mm256_mul_pd(reach, ox)), e.signMask);
        const __m256d y = _mm256_xor_pd(_mm256_add_pd(v, _mm256_mul_pd(reach, oy)), e.signMask);
        __m256d valid = _mm256_and_pd(_mm256_load_pd(st.valid + k), _mm256_cmp_pd(oz, zero, _CMP_GT_OQ));
        valid = _mm256_and_pd(valid, _mm256_cmp_pd(reach, zero, _CMP_GE_OQ));
        valid = _mm256_and_pd(valid, _mm256_cmp_pd(_mm256_sub_pd(x, x), zero, _CMP_EQ_OQ));
        valid = _mm256_and_pd(valid, _mm256_cmp_pd(_mm256_sub_pd(y, y), zero, _CMP_EQ_OQ));
        const __m256d along = _mm256_div_pd(e.horizontal ? y : x, e.w);
        // Y / w only where "2 D" reads it.
        const LaneBands bands =
            laneBands(e.test, e.twoD, false, along, e.twoD ? _mm256_div_pd(y, e.w) : zero, e.shift);
        valid = _mm256_andnot_pd(bands.outside, valid);
        const __m256d lit = _mm256_and_pd(_mm256_xor_pd(bands.dark, e.flip), valid);
        litBits[k / 32] |= static_cast<std::uint32_t>(_mm256_movemask_pd(lit)) << (k % 32);
    }
    // The lanes beyond the last point decide nothing.
    if (n % 32 != 0) litBits[n / 32] &= (std::uint32_t{1} << (n % 32)) - 1;
}

[[gnu::target("avx2")]] inline __m256d packLanes(__m256d x, __m256i order) {
    return _mm256_castps_pd(_mm256_permutevar8x32_ps(_mm256_castpd_ps(x), order));
}

// Paints the lit ones of n packed points, walked by their bits.
// The target's fields are held in locals: a store to a pixel could
// otherwise alias them and make every point read them again.
inline void paintPacked(const std::uint32_t* litBits, int n, const std::int32_t* draws, const DrawTables& tables,
                        const BlockTarget& target) {
    QRgb* const pixels = target.pixels;
    const qsizetype stride = target.stride;
    const unsigned width = target.width, height = target.height;
    const QRgb colour = target.colour;
    for (int word = 0; word < (n + 31) / 32; ++word) {
        for (std::uint32_t bits = litBits[word]; bits != 0; bits &= bits - 1) {
            const int k = 32 * word + std::countr_zero(bits);
            const int px = tables.pixelX(draws[2 * k]), py = tables.pixelY(draws[2 * k + 1]);
            if (static_cast<unsigned>(px) < width && static_cast<unsigned>(py) < height)
                pixels[py * stride + px] = colour;
        }
    }
}

}  // namespace

[[gnu::target("avx2")]] void decideExactBlockAvx2(const RaySetup& s, const DrawTables& tables, double aperture,
                                                  const BlockTarget& target, RandomGenerator& random) {
    alignas(32) int du[kRayBatch], dv[kRayBatch];
    const std::uint32_t seedAfter = drawBlock(random.seed(), du, dv);
    const double* coordinate = tables.coordinates();
    alignas(32) double pu[kRayBatch], pv[kRayBatch];
    for (int k = 0; k < kRayBatch; ++k) {
        pu[k] = coordinate[du[k]];
        pv[k] = coordinate[dv[k]];
    }
    // Inside unless the root of u^2 + v^2 lies beyond the aperture, tested
    // on the square itself: the same points, without the root.
    const __m256d sqLimit = _mm256_set1_pd(apertureSquareLimit(aperture));
    InsidePoints in;
    int n = 0;
    for (int k = 0; k < kRayBatch; k += 4) {
        const __m256d u = _mm256_load_pd(pu + k), v = _mm256_load_pd(pv + k);
        const __m256d sq = _mm256_add_pd(_mm256_mul_pd(u, u), _mm256_mul_pd(v, v));
        const int mask = _mm256_movemask_pd(_mm256_cmp_pd(sq, sqLimit, _CMP_NGT_UQ));
        const __m256i order = _mm256_load_si256(reinterpret_cast<const __m256i*>(kPack.index[mask]));
        const __m128i a = _mm_load_si128(reinterpret_cast<const __m128i*>(du + k));
        const __m128i b = _mm_load_si128(reinterpret_cast<const __m128i*>(dv + k));
        const __m256i draws = _mm256_set_m128i(_mm_unpackhi_epi32(a, b), _mm_unpacklo_epi32(a, b));
        _mm256_storeu_pd(in.u + n, packLanes(u, order));
        _mm256_storeu_pd(in.v + n, packLanes(v, order));
        _mm256_storeu_pd(in.sq + n, packLanes(sq, order));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(in.draws + 2 * n), _mm256_permutevar8x32_epi32(draws, order));
        n += std::popcount(static_cast<unsigned>(mask));
    }
    in.count = n;
    std::uint32_t litBits[kRayBatch / 32] = {};
    if (n > 0) {
        exactStagesLanes(exactLanes(s), in, litBits);
        paintPacked(litBits, n, in.draws, tables, target);
    }
    random.restore(seedAfter);
}

[[gnu::target("avx2")]] bool decidePureBlockAvx2(const RaySetup& s, bool centres, const DrawTables& tables,
                                                 double aperture, const BlockTarget& target, RandomGenerator& random) {
    alignas(32) int du[kRayBatch], dv[kRayBatch];
    const std::uint32_t seedAfter = drawBlock(random.seed(), du, dv);
    // The coordinates of the draws, looked up one by one: cheaper than gathers.
    const double* coordinate = tables.coordinates();
    alignas(32) double pu[kRayBatch], pv[kRayBatch];
    for (int k = 0; k < kRayBatch; ++k) {
        pu[k] = coordinate[du[k]];
        pv[k] = coordinate[dv[k]];
    }
    std::uint32_t litBits[kRayBatch / 32] = {};
    if (!decidePureLanes(s, centres, aperture, pu, pv, kRayBatch, litBits, nullptr, nullptr)) return false;
    paintLitBits(litBits, du, dv, tables, target);
    random.restore(seedAfter);
    return true;
}

#else  // other processors: the portable pass only

bool cpuHasAvx2() { return false; }
void cleanUpperRegisters() {}
bool blockSetupUsable(const RaySetup&) { return false; }
bool exactBlockUsable(const RaySetup&) { return false; }
bool decidePureLanes(const RaySetup&, bool, double, const double*, const double*, int, std::uint32_t*, double*,
                     double*) {
    return false;
}
bool decidePureBlockAvx2(const RaySetup&, bool, const DrawTables&, double, const BlockTarget&, RandomGenerator&) {
    return false;
}
void decideExactBlockAvx2(const RaySetup&, const DrawTables&, double, const BlockTarget&, RandomGenerator&) {}
void decideExactLanes(const RaySetup&, const double*, const double*, const double*, const double*, const double*,
                      const double*, const double*, const double*, int, bool*) {}

#endif

}  // namespace sg

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The grating, wire or knife as a transmission of its plane, sampled. The
// ray pictures' decision rule is read in its own frame, the true frame
// turned over: the position P (mm) across the lines is minus the true
// position q. In band widths w, z = (P + shift) / w + offset, where the
// offset is the transverse offset (the wire's three times it) and the shift
// the move of the light's centre for a point of the slit.
//  - Grating: band index h = int(|z| + 1/2); lit where h is odd, or where it
//    is even for a bright centre band.
//  - Wire: lit where |z| >= 3/2.
//  - Knife: lit where z <= 0.

#include <cstddef>

namespace sg::wave {

enum class DeviceKind { Grating, Wire, Knife };

struct DeviceLine {
    DeviceKind kind = DeviceKind::Grating;
    double bandWidth = 0;        // w, mm, above 0
    double offset = 0;           // band widths
    bool brightCentre = false;   // grating only: the band at z = 0 lit
    // The share the device stops instead of the share it lets through (the
    // complement, for the crossed devices' combinations).
    bool complement = false;
};

// The share of z in [z1, z1 + width] (band widths, width above 0) that the
// device lets through (or stops, for the complement), from the exact band
// edges.
double passedShare(const DeviceLine& d, double z1, double width);

// The transmission of n samples of the device's plane spaced dq mm in true
// position q: sample m stands at q = m dq for m < n / 2 and at (m - n) dq
// above (the order of a discrete Fourier transform). Each sample is the
// share of its own interval, q +- dq / 2, that passes. `shift` (mm, in the
// rule's frame) moves the light's centre relative to the device.
void sampleTransmission(const DeviceLine& d, double dq, double shift, std::size_t n, double* t);

}  // namespace sg::wave

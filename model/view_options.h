// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What changes only how the picture is shown, and the fixed colours it is
// drawn in.

#include <cstdint>

namespace sg {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kSilver{192, 192, 192};  // background and erase colour of every drawing area
inline constexpr Rgb kGrey{128, 128, 128};    // position diagrams, editor grid lines
inline constexpr Rgb kWhite{255, 255, 255};   // mirror disk in White mode
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kYellow{255, 255, 0};
inline constexpr Rgb kBlue{0, 0, 255};

struct Palette {
    Rgb rayColour;          // lit shadowgram pixels
    Rgb mirrorFillColour;   // mirror disk behind the shadowgram
    Rgb gridColour;         // grid overlay
    Rgb gridColourWhite;    // grid overlay in White mode
    Rgb heightGraphColour;  // height graph and the segment ticks of both graphs
    Rgb slopeGraphColour;   // slope graph
};

inline constexpr Palette kPalette{kRed, kBlack, kYellow, kBlack, kRed, kBlue};

struct ViewOptions {
    bool showGrid = false;   // the reference grid over the disk ("Grid")
    bool whiteMode = false;  // a white disk behind the shadowgram ("White")

    friend bool operator==(const ViewOptions&, const ViewOptions&) = default;
};

}  // namespace sg

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A picture drawn without a window, as the main window would draw it: its
// own canvas, engine, state and drawn shape, and a display that keeps the
// read-outs and hands a warning to whoever asks for it.

#include "simulator/redraw.h"

#include <functional>
#include <string>

namespace sg {

class KeptReadouts : public PictureDisplay {
public:
    std::string axialReadout;
    std::string transverseUnit;
    // Where a warning goes; without one it is dropped.
    std::function<void(const std::string&, const std::string&)> onWarning;

    void setAxialReadout(const std::string& text) override { axialReadout = text; }
    void setTransverseUnit(const std::string& text) override { transverseUnit = text; }
    void showWarning(const std::string& line1, const std::string& line2) override {
        if (onWarning) onWarning(line1, line2);
    }
};

struct OffscreenPicture {
    Canvas canvas{kPictureWidth, kPictureHeight};
    Simulator sim{canvas};
    PictureState state;
    EditorShape shape;
    KeptReadouts display;
    Drawing drawing{sim, state, shape, display};

    OffscreenPicture() = default;
    OffscreenPicture(const OffscreenPicture&) = delete;
    OffscreenPicture& operator=(const OffscreenPicture&) = delete;
    Scene& scene() { return state.scene; }
};

}  // namespace sg

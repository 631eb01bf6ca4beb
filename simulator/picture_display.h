// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a drawing shows outside its picture: the axial read-out beside the
// ray diagram, the transverse unit above the maximum-movement box, and the
// warning window. The main window shows them; the command-line renderer
// has only the warning, on standard error.

#include <string>

namespace sg {

class PictureDisplay {
public:
    virtual ~PictureDisplay() = default;
    virtual void setAxialReadout(const std::string& text) = 0;
    virtual void setTransverseUnit(const std::string& text) = 0;
    virtual void showWarning(const std::string& line1, const std::string& line2) = 0;
};

}  // namespace sg

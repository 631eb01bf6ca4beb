// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Why a photo cannot be aligned or fitted, with a message for the user.

#include <stdexcept>
#include <string>

namespace sg {

enum class PhotoFailure {
    Unusable,   // the photo itself: too small or blank; no mirror can be in it
    NoMirror,   // no bright disk with a round rim was found
    NoBands,    // a disk without bands that can be measured
    NoFit,      // the bands found cannot be fitted by the model
    BadInput,   // the request contradicts the photos (two photos in the wrong order)
    Cancelled,  // stopped from another thread
};

class PhotoError : public std::runtime_error {
public:
    PhotoError(PhotoFailure kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    PhotoFailure kind() const { return kind_; }

private:
    PhotoFailure kind_;
};

}  // namespace sg

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Photos as plain buffers: a view of the decoded bytes as the caller holds
// them (grey or RGB, any row stride), and the grey image of floats that
// alignment, resampling and edge finding work on.
//
// Coordinates are continuous pixels: (0, 0) is the top-left corner of the
// image, pixel (i, j) covers [i, i + 1) x [j, j + 1), so its centre lies at
// (i + 0.5, j + 0.5). x grows to the right, y downward.

#include <cstddef>
#include <deque>
#include <cstdint>
#include <vector>

namespace sg {

enum class PixelFormat {
    Grey8,  // one byte per pixel
    Rgb8,   // three bytes per pixel: red, green, blue
};

// Decoded pixels that the caller owns, row after row, `stride` bytes from
// the start of one row to the next (at least width times the pixel size).
struct PhotoView {
    const std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;
    PixelFormat format = PixelFormat::Grey8;
};

// A grey image, row after row without padding; values in 0..1 for a photo.
struct GreyImage {
    int width = 0;
    int height = 0;
    std::vector<float> pixels;

    GreyImage() = default;
    GreyImage(int w, int h, float fill = 0) : width(w), height(h), pixels(std::size_t(w) * std::size_t(h), fill) {}
    float at(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
    float& at(int x, int y) { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
    bool empty() const { return width <= 0 || height <= 0; }
};

// An RGB image of bytes, three per pixel, row after row without padding.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

// The brightness of the photo: the mean of its three channels for RGB (a
// red source's bands keep their full contrast, only scaled), scaled to 0..1.
// Throws std::invalid_argument for a view without pixels or a stride too
// short for its width.
GreyImage toGrey(const PhotoView& photo);

// The image at a continuous point, interpolated between the four nearest
// pixel centres; points beyond the outermost centres take the edge's value,
// a point that is not finite (or an empty image) gives NaN.
float sampleBilinear(const GreyImage& image, double x, double y);

// The same for one channel of an RGB view (0 red, 1 green, 2 blue; a grey
// view has one channel), in 0..255.
float sampleBilinear(const PhotoView& photo, int channel, double x, double y);

// A Gaussian blur of standard deviation sigma pixels (separable, the kernel
// cut at 3 sigma, edges repeated); sigma <= 0 returns the image unchanged.
GreyImage gaussianBlur(const GreyImage& image, double sigma);

// The image halved in both directions by averaging 2 x 2 blocks (an odd
// last row or column is dropped).
GreyImage halve(const GreyImage& image);

// A photo and its halvings, which the alignment's stages share: each level
// is made once, when first asked for, from the one above it. The photo
// itself is never copied: a grey image is held by reference, and the
// bytes of a view are read pixel by pixel as toGrey reads them, so that a
// photo's floats are made whole only if its own level is asked for (the
// stages work on halvings, and sample the photo only along the rim's rays).
// The photo must outlive the pyramid.
class GreyPyramid {
public:
    explicit GreyPyramid(const GreyImage& photo) : image_(&photo), width_(photo.width), height_(photo.height) {}
    // Throws std::invalid_argument as toGrey does.
    explicit GreyPyramid(const PhotoView& photo);
    GreyPyramid(const GreyPyramid&) = delete;
    GreyPyramid& operator=(const GreyPyramid&) = delete;

    int width() const { return width_; }
    int height() const { return height_; }
    // The size of level k, without making it.
    int levelWidth(int k) const { return k >= 31 ? 0 : width_ >> k; }
    int levelHeight(int k) const { return k >= 31 ? 0 : height_ >> k; }
    // The photo's pixel, as toGrey gives it.
    float at(int x, int y) const;
    // The photo at a continuous point, as sampleBilinear samples its grey image.
    float sample(double x, double y) const;
    // The photo halved k times (k >= 0; level 0 is the photo's grey image).
    const GreyImage& level(int k) const;

private:
    const GreyImage* image_ = nullptr;  // the photo as a grey image, or
    PhotoView view_;                    // its bytes
    int width_ = 0, height_ = 0;
    mutable GreyImage whole_;               // a view's level 0, once asked for
    mutable std::deque<GreyImage> halves_;  // halves_[k - 1] is level k; a deque keeps references
};

}  // namespace sg

// SPDX-License-Identifier: GPL-3.0-or-later
#include "photo/photo_image.h"

#include "photo/whole_number.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace sg {

namespace {

int channelsOf(PixelFormat f) { return f == PixelFormat::Rgb8 ? 3 : 1; }

void checkView(const PhotoView& photo) {
    if (photo.pixels == nullptr || photo.width <= 0 || photo.height <= 0)
        throw std::invalid_argument("the photo has no pixels");
    if (photo.stride < std::ptrdiff_t(photo.width) * channelsOf(photo.format))
        throw std::invalid_argument("the photo's row stride is shorter than its rows");
}

// The factor from a pixel's channel sum to its brightness in 0..1.
float greyScale(int channels) { return 1.0f / (255.0f * float(channels)); }

// The bilinear interpolation of sampleBilinear, over any pixels.
template <class At>
float bilinear(int width, int height, const At& at, double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y) || width <= 0 || height <= 0) return NAN;
    // Pixel centres sit at half-integers.
    const double fx = std::clamp(x - 0.5, 0.0, double(width - 1));
    const double fy = std::clamp(y - 0.5, 0.0, double(height - 1));
    const int x0 = std::min(int(fx), width - 2 < 0 ? 0 : width - 2);
    const int y0 = std::min(int(fy), height - 2 < 0 ? 0 : height - 2);
    const int x1 = std::min(x0 + 1, width - 1), y1 = std::min(y0 + 1, height - 1);
    const float wx = float(fx - x0), wy = float(fy - y0);
    const float top = at(x0, y0) + wx * (at(x1, y0) - at(x0, y0));
    const float bottom = at(x0, y1) + wx * (at(x1, y1) - at(x0, y1));
    return top + wy * (bottom - top);
}

}  // namespace

GreyImage toGrey(const PhotoView& photo) {
    checkView(photo);
    GreyImage out(photo.width, photo.height);
    const int channels = channelsOf(photo.format);
    const float scale = greyScale(channels);
    for (int y = 0; y < photo.height; ++y) {
        const std::uint8_t* row = photo.pixels + std::ptrdiff_t(y) * photo.stride;
        for (int x = 0; x < photo.width; ++x) {
            int sum = 0;
            for (int c = 0; c < channels; ++c) sum += row[x * channels + c];
            out.at(x, y) = float(sum) * scale;
        }
    }
    return out;
}

float sampleBilinear(const GreyImage& image, double x, double y) {
    return bilinear(image.width, image.height, [&image](int px, int py) { return image.at(px, py); }, x, y);
}

float sampleBilinear(const PhotoView& photo, int channel, double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y) || photo.width <= 0 || photo.height <= 0) return NAN;
    const int channels = channelsOf(photo.format);
    channel = std::clamp(channel, 0, channels - 1);
    const double fx = std::clamp(x - 0.5, 0.0, double(photo.width - 1));
    const double fy = std::clamp(y - 0.5, 0.0, double(photo.height - 1));
    const int x0 = std::min(int(fx), std::max(photo.width - 2, 0));
    const int y0 = std::min(int(fy), std::max(photo.height - 2, 0));
    const int x1 = std::min(x0 + 1, photo.width - 1), y1 = std::min(y0 + 1, photo.height - 1);
    auto at = [&](int px, int py) {
        return float(photo.pixels[std::ptrdiff_t(py) * photo.stride + px * channels + channel]);
    };
    const float wx = float(fx - x0), wy = float(fy - y0);
    const float top = at(x0, y0) + wx * (at(x1, y0) - at(x0, y0));
    const float bottom = at(x0, y1) + wx * (at(x1, y1) - at(x0, y1));
    return top + wy * (bottom - top);
}

GreyImage gaussianBlur(const GreyImage& image, double sigma) {
    if (!(sigma > 0) || image.empty()) return image;
    const int half = wholeClamped(std::ceil(3 * sigma), 1, std::max(1, std::max(image.width, image.height)), 1);
    std::vector<float> kernel(std::size_t(2 * half + 1));
    double total = 0;
    for (int k = -half; k <= half; ++k) total += kernel[std::size_t(k + half)] = float(std::exp(-0.5 * k * k / (sigma * sigma)));
    for (float& k : kernel) k = float(k / total);

    const int w = image.width, h = image.height;
    GreyImage across(w, h), out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float s = 0;
            for (int k = -half; k <= half; ++k) s += kernel[std::size_t(k + half)] * image.at(std::clamp(x + k, 0, w - 1), y);
            across.at(x, y) = s;
        }
    // Down the columns row by row, so that every pass reads whole rows.
    for (int y = 0; y < h; ++y) {
        float* target = &out.at(0, y);
        for (int k = -half; k <= half; ++k) {
            const float weight = kernel[std::size_t(k + half)];
            const float* source = &across.at(0, std::clamp(y + k, 0, h - 1));
            for (int x = 0; x < w; ++x) target[x] += weight * source[x];
        }
    }
    return out;
}

GreyPyramid::GreyPyramid(const PhotoView& photo) : view_(photo), width_(photo.width), height_(photo.height) {
    checkView(photo);
}

float GreyPyramid::at(int x, int y) const {
    if (image_ != nullptr) return image_->at(x, y);
    const int channels = channelsOf(view_.format);
    const std::uint8_t* pixel = view_.pixels + std::ptrdiff_t(y) * view_.stride + std::ptrdiff_t(x) * channels;
    int sum = 0;
    for (int c = 0; c < channels; ++c) sum += pixel[c];
    return float(sum) * greyScale(channels);
}

float GreyPyramid::sample(double x, double y) const {
    return bilinear(width_, height_, [this](int px, int py) { return at(px, py); }, x, y);
}

const GreyImage& GreyPyramid::level(int k) const {
    if (k <= 0) {
        if (image_ != nullptr) return *image_;
        if (whole_.empty() && width_ > 0) whole_ = toGrey(view_);
        return whole_;
    }
    while (static_cast<int>(halves_.size()) < k) {
        if (!halves_.empty() || image_ != nullptr || !whole_.empty()) {
            halves_.push_back(halve(halves_.empty() ? level(0) : halves_.back()));
            continue;
        }
        // The first halving straight from the bytes, as halve(toGrey(view)) makes it.
        GreyImage out(width_ / 2, height_ / 2);
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x)
                out.at(x, y) = 0.25f * (at(2 * x, 2 * y) + at(2 * x + 1, 2 * y) + at(2 * x, 2 * y + 1) +
                                        at(2 * x + 1, 2 * y + 1));
        halves_.push_back(std::move(out));
    }
    return halves_[static_cast<std::size_t>(k - 1)];
}

GreyImage halve(const GreyImage& image) {
    GreyImage out(image.width / 2, image.height / 2);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            out.at(x, y) = 0.25f * (image.at(2 * x, 2 * y) + image.at(2 * x + 1, 2 * y) + image.at(2 * x, 2 * y + 1) +
                                    image.at(2 * x + 1, 2 * y + 1));
    return out;
}

}  // namespace sg

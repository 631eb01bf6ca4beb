// SPDX-License-Identifier: GPL-3.0-or-later
#include "photo/band_direction.h"

#include "photo/photo_error.h"
#include "photo/whole_number.h"

#include <Eigen/Eigenvalues>

#include <cmath>
#include <numbers>

namespace sg {

namespace {
constexpr double kInterior = 0.9;        // of the disk's radius
constexpr double kWorkingRadius = 200;  // the disk's radius in the image the tensor is taken on
}  // namespace

BandDirection findBandDirection(const GreyPyramid& photo, const DiskFit& disk) {
    int halvings = 0;
    double factor = 1;
    while (disk.radius / factor > 2 * kWorkingRadius) {
        ++halvings;
        factor *= 2;
    }
    // A little smoothing keeps pixel noise out of the gradient, and brings
    // the sharpest edges within what a 3 x 3 derivative measures alike in
    // every direction.
    const GreyImage work = gaussianBlur(photo.level(halvings), 1.5);
    const double cx = disk.cx / factor, cy = disk.cy / factor, r = kInterior * disk.radius / factor;
    Eigen::Matrix2d tensor = Eigen::Matrix2d::Zero();
    const int x0 = wholeClamped(cx - r, 1, work.width, work.width),
              x1 = wholeClamped(cx + r + 1, -1, work.width - 2, -1);
    const int y0 = wholeClamped(cy - r, 1, work.height, work.height),
              y1 = wholeClamped(cy + r + 1, -1, work.height - 2, -1);
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            if (std::hypot(x + 0.5 - cx, y + 0.5 - cy) > r) continue;
            // Scharr's derivative, the 3 x 3 kernel most nearly alike in
            // every direction.
            auto w = [&](int dx, int dy) { return double(work.at(x + dx, y + dy)); };
            const double gx = 3 * (w(1, -1) - w(-1, -1) + w(1, 1) - w(-1, 1)) + 10 * (w(1, 0) - w(-1, 0));
            const double gy = 3 * (w(-1, 1) - w(-1, -1) + w(1, 1) - w(1, -1)) + 10 * (w(0, 1) - w(0, -1));
            tensor(0, 0) += gx * gx;
            tensor(0, 1) += gx * gy;
            tensor(1, 1) += gy * gy;
        }
    tensor(1, 0) = tensor(0, 1);
    const Eigen::SelfAdjointEigenSolver<Eigen::Matrix2d> eigen(tensor);
    const double l1 = eigen.eigenvalues()(1), l2 = eigen.eigenvalues()(0);
    if (!(l1 > 0)) throw PhotoError(PhotoFailure::NoBands, "no bands: the mirror's disk is evenly lit");
    const Eigen::Vector2d normal = eigen.eigenvectors().col(1);
    double angle = std::atan2(normal(1), normal(0)) * 180 / std::numbers::pi;
    if (angle <= -90) angle += 180;
    if (angle > 90) angle -= 180;
    return {angle, (l1 - l2) / (l1 + l2)};
}

}  // namespace sg

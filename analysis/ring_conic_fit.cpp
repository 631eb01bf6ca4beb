// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/ring_conic_fit.h"

#include "model/failure.h"
#include "analysis/ring_figure.h"

#include <Eigen/Dense>

#include <cmath>
#include <stdexcept>

namespace sg {

namespace {

// Fixed upper sizes keep every matrix on the stack: at most 20 rings and 41
// samples, three unknowns.
using Rows = Eigen::Matrix<double, Eigen::Dynamic, 3, Eigen::ColMajor, kMaxFitPoints, 3>;
using Column = Eigen::Matrix<double, Eigen::Dynamic, 1, Eigen::ColMajor, kMaxFitPoints, 1>;
using Unknowns = Eigen::Vector3d;
using NullSpace = Eigen::Matrix<double, 3, Eigen::Dynamic, Eigen::ColMajor, 3, 3>;
using Projected = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::ColMajor, kMaxFitPoints, 3>;

// The basis 1, t^2, t^4 at t = x / scale, so that every column lies in 0..1
// whatever the mirror's size.
Eigen::RowVector3d basisAt(double x, double scale) {
    const double t = x / scale;
    const double t2 = t * t;
    return {1.0, t2, t2 * t2};
}

}  // namespace

void fitEvenConicToRings(std::span<const double> x, std::span<const double> y, int inner, int outer,
                         NormalVector& coefficients, std::span<double> residual) {
    const std::size_t n = static_cast<std::size_t>(2 * outer + 1);
    if (outer < 1 || inner < 0 || inner >= outer || n > kMaxFitPoints || x.size() != n || y.size() != n ||
        residual.size() != n)
        throw std::out_of_range("fitEvenConicToRings: 2 outer + 1 samples, at most 41, and 0 <= inner < outer");

    // The analysed radius as the unit of length.
    double scale = 0;
    for (double v : x) scale = std::fmax(scale, std::fabs(v));
    if (!std::isfinite(scale)) throwInvalidOperation();
    if (scale == 0) scale = 1;

    const auto at = [](int i) { return static_cast<std::size_t>(i); };
    const int rings = outer - inner;
    Rows weighted(rings, 3);
    Column target(rings);
    for (int k = 0; k < rings; ++k) {
        const int m = inner + 1 + k;
        const int i0 = outer + m - 1, i1 = outer + m;
        const double root = std::sqrt(ringArea(x, outer, m));
        weighted.row(k) = root * (basisAt(x[at(i0)], scale) + basisAt(x[at(i1)], scale)) / 2;
        target(k) = root * (y[at(i0)] + y[at(i1)]) / 2;
    }

    const Eigen::JacobiSVD<Rows> svd(weighted, Eigen::ComputeFullU | Eigen::ComputeFullV);
    if (svd.info() != Eigen::Success) throwInvalidOperation();
    Unknowns p = svd.solve(target);

    Rows samples(static_cast<Eigen::Index>(n), 3);
    Column heights(static_cast<Eigen::Index>(n));
    for (std::size_t i = 0; i < n; ++i) {
        samples.row(static_cast<Eigen::Index>(i)) = basisAt(x[i], scale);
        heights(static_cast<Eigen::Index>(i)) = y[i];
    }
    const Eigen::Index rank = svd.rank();
    if (rank < 3) {
        // Every p + N z has the same least figure; take the z that fits the
        // samples best.
        const NullSpace null = svd.matrixV().rightCols(3 - rank);
        const Projected projected = samples * null;
        const Column rest = heights - samples * p;
        p += null * projected.colPivHouseholderQr().solve(rest);
    }

    coefficients = {p(0), p(1) / (scale * scale), p(2) / (scale * scale * scale * scale)};
    const Column fitted = samples * p;
    for (std::size_t i = 0; i < n; ++i) residual[i] = fitted(static_cast<Eigen::Index>(i)) - y[i];
}

}  // namespace sg

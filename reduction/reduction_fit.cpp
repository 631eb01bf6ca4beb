// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduction/reduction_fit.h"

#include "model/number_text.h"
#include "reduction/wavefront.h"

#include <cmath>
#include <string>

namespace sg {

namespace {

constexpr int kMaxSteps = 100;
constexpr int kMaxHalvings = 40;

struct Residuals {
    Eigen::VectorXd r;         // m - M
    Eigen::MatrixXd jacobian;  // dr / d(R', K'), one column per fitted parameter
    bool valid = false;
};

Residuals residualsAt(const ReductionSetup& s, const std::vector<double>& m, double radius, double conic,
                      int parameters) {
    const std::size_t n = s.zoneCount();
    Residuals out;
    out.r.resize(static_cast<Eigen::Index>(n));
    out.jacobian.resize(static_cast<Eigen::Index>(n), parameters);
    for (std::size_t i = 0; i < n; ++i) {
        const NullAndSlopes null = conicNullWithSlopes(radius, conic, s.h[i], s.tester);
        const auto row = static_cast<Eigen::Index>(i);
        out.r(row) = m[i] - (null.value - s.radius);
        out.jacobian(row, 0) = -null.perRadius;
        if (parameters > 1) out.jacobian(row, 1) = -null.perConic;
        if (!std::isfinite(out.r(row)) || !std::isfinite(null.perRadius) || !std::isfinite(null.perConic))
            return out;
    }
    out.valid = true;
    return out;
}

// Gauss-Newton on (R', K') (K' held at the wanted conic when only R' is
// fitted). A step that leaves the conics' domain or raises Phi is halved.
ConicFit gaussNewton(const ReductionSetup& s, const VarianceForm& form, const std::vector<double>& m, bool withConic,
                     const char* what) {
    const int parameters = withConic ? 2 : 1;
    // The mean of m - e; summed in parts when readings near the largest
    // double overflow the plain sum.
    const double n = static_cast<double>(s.zoneCount());
    double sum = 0;
    for (std::size_t i = 0; i < s.zoneCount(); ++i) sum += m[i] - s.expected[i];
    double offset = sum / n;
    if (!std::isfinite(offset)) {
        offset = 0;
        for (std::size_t i = 0; i < s.zoneCount(); ++i) offset += m[i] / n - s.expected[i] / n;
    }
    ConicFit x{s.radius + offset / s.kappa, s.conic};
    Residuals here = residualsAt(s, m, x.radius, x.conic, parameters);
    // Readings that no conic near the wanted one nulls are not a failed fit
    // but readings of another mirror or another set-up.
    if (!here.valid)
        throw ReductionInputError("the readings lie " + boundedText(offset, 3) +
                                  " mm on average from the wanted mirror's nulls, where the wanted conic has no "
                                  "null for every zone: check the radius, the source and the readings");
    const Eigen::MatrixXd& p = form.matrix();
    for (int step = 0; step < kMaxSteps; ++step) {
        const Eigen::MatrixXd a = p * here.jacobian;
        const Eigen::VectorXd b = -(p * here.r);
        const Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(a);
        const Eigen::VectorXd delta = qr.solve(b);
        if (qr.rank() < parameters || !delta.allFinite())
            throw ReductionFitError(std::string("the readings do not determine the ") + what);
        const double phi = (p * here.r).squaredNorm();
        double scale = 1;
        ConicFit next;
        Residuals there;
        for (int halving = 0;; ++halving) {
            next = {x.radius + scale * delta(0), withConic ? x.conic + scale * delta(1) : x.conic};
            there = residualsAt(s, m, next.radius, next.conic, parameters);
            if (there.valid && (p * there.r).squaredNorm() <= phi * (1 + 1e-12) + 1e-300) break;
            if (halving == kMaxHalvings) {
                if (there.valid) break;
                throw ReductionFitError(std::string("the ") + what + " left the conics that have a null for every zone");
            }
            scale /= 2;
        }
        const double dR = std::fabs(next.radius - x.radius), dK = std::fabs(next.conic - x.conic);
        x = next;
        here = std::move(there);
        if (withConic ? (dR < 1e-7 && dK < 1e-9) : dR < 1e-8) return x;
    }
    throw ReductionFitError(std::string("the ") + what + " did not converge in " + std::to_string(kMaxSteps) +
                            " steps");
}

}  // namespace

VarianceForm::VarianceForm(const ReductionSetup& s) {
    const std::vector<QuadraturePoint> points = quadraturePoints(s.u, s.innerU(), s.outerU());
    const std::size_t n = s.zoneCount();
    const double length = s.outerU() - s.innerU();
    // W at the points for a unit departure of each zone in turn, less its
    // weighted mean, times sqrt(weight / length).
    p_.resize(static_cast<Eigen::Index>(points.size()), static_cast<Eigen::Index>(n));
    std::vector<double> delta(n, 0.0);
    for (std::size_t k = 0; k < n; ++k) {
        delta.assign(n, 0.0);
        delta[k] = 1 / s.kappa;
        const Wavefront w(s.u, delta, s.radius, s.innerU(), s.outerU());
        for (std::size_t j = 0; j < points.size(); ++j)
            p_(static_cast<Eigen::Index>(j), static_cast<Eigen::Index>(k)) =
                std::sqrt(points[j].weight / length) * (w.at(points[j].u) - w.mean());
    }
}

double fitReferenceRadius(const ReductionSetup& s, const VarianceForm& form, const std::vector<double>& m) {
    return gaussNewton(s, form, m, false, "reference radius").radius;
}

ConicFit fitBestConic(const ReductionSetup& s, const VarianceForm& form, const std::vector<double>& m) {
    return gaussNewton(s, form, m, true, "best-fit conic");
}

std::vector<double> departuresFrom(const ReductionSetup& s, const std::vector<double>& m, double radius,
                                   double conic) {
    std::vector<double> d(s.zoneCount());
    for (std::size_t i = 0; i < d.size(); ++i) d[i] = m[i] - s.modelReading(s.h[i], radius, conic);
    return d;
}

}  // namespace sg

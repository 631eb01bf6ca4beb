// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The least-squares fits of the reduction: the reference radius of the
// wanted conic, and the best-fit conic. Both minimise the wavefront's
// variance Phi over the annulus, where the departures are the readings
// minus the nulls of the trial conic (R', K').

#include "reduction/reduction_setup.h"

#include <Eigen/Dense>

#include <vector>

namespace sg {

// Phi as a quadratic form of the departures: Phi(d) = |P d|^2, with P the
// wavefront's deviation from its mean at the quadrature points, weighted.
// The same Phi as Wavefront::variance() to rounding.
class VarianceForm {
public:
    explicit VarianceForm(const ReductionSetup& setup);
    double variance(const Eigen::VectorXd& departures) const { return (p_ * departures).squaredNorm(); }
    const Eigen::MatrixXd& matrix() const { return p_; }

private:
    Eigen::MatrixXd p_;
};

// R_ref: the R' that minimises Phi(m - M(h; R', K_t)), by Gauss-Newton from
// R + mean(m - e) / kappa, stopping when a step is below 1E-8 mm. Throws
// ReductionFitError after 100 steps, or when the readings do not fix it;
// ReductionInputError when the wanted conic at that first radius has no
// null for every zone (the readings are not of this mirror and tester).
double fitReferenceRadius(const ReductionSetup& setup, const VarianceForm& form, const std::vector<double>& readings);

struct ConicFit {
    double radius = 0;  // mm
    double conic = 0;
};

// The (R', K') that minimise Phi(m - M(h; R', K')), by Gauss-Newton from
// (R + mean(m - e) / kappa, K_t), stopping when a step moves R' less than
// 1E-7 mm and K' less than 1E-9. Throws ReductionFitError as above.
ConicFit fitBestConic(const ReductionSetup& setup, const VarianceForm& form, const std::vector<double>& readings);

// m - M(h; R', K') for every zone, mm.
std::vector<double> departuresFrom(const ReductionSetup& setup, const std::vector<double>& readings, double radius,
                                   double conic);

}  // namespace sg

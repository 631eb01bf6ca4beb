// SPDX-License-Identifier: GPL-3.0-or-later
#include "fit/edge_fit.h"

#include <unsupported/Eigen/LevenbergMarquardt>

#include <algorithm>
#include <cmath>

namespace sg {

namespace {

constexpr double kTukey = 4.685;      // the biweight's cut, in robust standard deviations
constexpr double kMinScale = 0.1;     // frame pixels: the robust scale never falls below this
constexpr double kMissPixels = 20;    // residual of an edge whose ray misses the plane
// The edge shift's scale, frame pixels: a prior that keeps the shift from
// running off where the edges hardly tell it, and leaves a shift of a few
// pixels alone (weighed as all the edges together).
constexpr double kShiftScale = 10;

// Where each free parameter sits in the solver's vector.
struct Layout {
    int size = 4;
    int transverse[2] = {2, -1}, shift[2] = {3, -1}, zone = -1;
    Layout(const FitProblem& problem, bool zoneFree) {
        if (problem.photos == 2) transverse[1] = size++, shift[1] = size++;
        if (zoneFree) zone = size++;
    }
    Eigen::VectorXd pack(const FitParameters& p) const {
        Eigen::VectorXd x(size);
        x(0) = p.offset, x(1) = p.conic;
        for (int i = 0; i < 2; ++i)
            if (transverse[i] >= 0) x(transverse[i]) = p.transverse[i], x(shift[i]) = p.edgeShift[i];
        if (zone >= 0) x(zone) = p.zoneHeight;
        return x;
    }
    FitParameters unpack(const Eigen::VectorXd& x, FitParameters p) const {
        p.offset = x(0), p.conic = x(1);
        for (int i = 0; i < 2; ++i)
            if (transverse[i] >= 0) p.transverse[i] = x(transverse[i]), p.edgeShift[i] = x(shift[i]);
        if (zone >= 0) p.zoneHeight = x(zone);
        return p;
    }
};

struct Phases {
    BandPhase photo[2];
    Phases(const FitProblem& problem, const FitParameters& p)
        : photo{BandPhase(problem.mirror, problem.zone, photoParameters(problem, p, 0)),
                BandPhase(problem.mirror, problem.zone, photoParameters(problem, p, problem.photos > 1 ? 1 : 0))} {}
    double at(const FitEdge& e) const { return photo[e.photo].atMirror(e.across, e.along); }
};

// The weighted residuals of the edges in use, for the solver.
struct Residuals : Eigen::DenseFunctor<double> {
    const std::vector<FitEdge>& edges;
    const std::vector<std::size_t>& used;
    const FitProblem& problem;
    const Layout& layout;
    const FitParameters& base;
    const FitControl& control;

    // The priors' rows, one per photo: sqrt(the photo's sum of weights) / kShiftScale.
    double shiftWeight[2] = {0, 0};

    Residuals(const std::vector<FitEdge>& e, const std::vector<std::size_t>& u, const FitProblem& pr, const Layout& l,
              const FitParameters& b, const FitControl& c)
        : DenseFunctor<double>(l.size, int(u.size()) + pr.photos), edges(e), used(u), problem(pr), layout(l), base(b),
          control(c) {
        double total[2] = {0, 0};
        for (std::size_t k : used) total[edges[k].photo] += edges[k].weight;
        for (int i = 0; i < 2; ++i) shiftWeight[i] = std::sqrt(total[i]) / kShiftScale;
    }

    void evaluate(const FitParameters& p, Eigen::VectorXd& f) const {
        const Phases phases(problem, p);
        for (std::size_t k = 0; k < used.size(); ++k) {
            const FitEdge& e = edges[used[k]];
            const double z = phases.at(e);
            const double r =
                std::isfinite(z) ? (z - e.label) / e.gradient - e.bright * p.edgeShift[e.photo] : kMissPixels;
            f(Eigen::Index(k)) = std::sqrt(e.weight) * r;
        }
        for (int i = 0; i < problem.photos; ++i)
            f(Eigen::Index(used.size()) + i) = shiftWeight[i] * p.edgeShift[i];
    }

    int operator()(const InputType& x, ValueType& f) const {
        control.check();
        evaluate(layout.unpack(x, base), f);
        return 0;
    }

    // Central differences for the offset, the conic and the zone; the
    // transverse phases and the edge shift enter linearly.
    int df(const InputType& x, JacobianType& j) const {
        control.check();
        j.setZero(values(), inputs());
        Eigen::VectorXd plus(values()), minus(values());
        auto numeric = [&](int column, double step) {
            InputType xp = x, xm = x;
            xp(column) += step, xm(column) -= step;
            evaluate(layout.unpack(xp, base), plus);
            evaluate(layout.unpack(xm, base), minus);
            j.col(column) = (plus - minus) / (2 * step);
        };
        numeric(0, 1e-4 * std::max(1.0, std::fabs(x(0))));
        numeric(1, 1e-4);
        if (layout.zone >= 0) numeric(layout.zone, 1e-4);
        for (std::size_t k = 0; k < used.size(); ++k) {
            const FitEdge& e = edges[used[k]];
            const double w = std::sqrt(e.weight);
            j(Eigen::Index(k), layout.transverse[e.photo]) = w / e.gradient;
            j(Eigen::Index(k), layout.shift[e.photo]) = -w * e.bright;
        }
        for (int i = 0; i < problem.photos; ++i)
            j(Eigen::Index(used.size()) + i, layout.shift[i]) = shiftWeight[i];
        return 0;
    }
};

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    const auto mid = v.begin() + std::ptrdiff_t(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

}  // namespace

BandParameters photoParameters(const FitProblem& problem, const FitParameters& p, int photo) {
    BandParameters b;
    b.offset = p.offset + (photo == 1 ? problem.separation : 0);
    b.conic = p.conic;
    b.transverse = p.transverse[photo];
    b.edgeShift = p.edgeShift[photo];
    b.zoneHeight = p.zoneHeight;
    return b;
}

FitParameters otherSide(const FitParameters& p, const FitProblem& problem) {
    FitParameters q = p;
    // The second photo's offset, a + s, turns into -(a + s) = (-a - 2 s) + s.
    q.offset = -p.offset - (problem.photos == 2 ? 2 * problem.separation : 0);
    q.conic = -p.conic;
    q.transverse[0] = -p.transverse[0];
    q.transverse[1] = -p.transverse[1];
    q.zoneHeight = -p.zoneHeight;
    return q;
}

std::vector<FitEdge> fitEdges(const std::vector<BandEdge>& edges, BandAxis axis, double diameter, int photo,
                              int blocks) {
    std::vector<FitEdge> out;
    if (edges.empty()) return out;
    int first = edges.front().line, last = edges.front().line;
    for (const BandEdge& e : edges) first = std::min(first, e.line), last = std::max(last, e.line);
    const int span = last - first + 1;
    for (const BandEdge& e : edges) {
        FitEdge f;
        f.x = e.x;
        f.y = e.y;
        const MirrorPoint m = mirrorPoint(e.x, e.y, axis, diameter);
        f.across = m.across;
        f.along = m.along;
        f.rho = std::hypot(m.across, m.along) / (diameter / 2);
        f.bright = e.brightSide;
        f.block = std::min(blocks - 1, (e.line - first) * blocks / span);
        f.photo = photo;
        f.contrast = e.contrast;
        out.push_back(f);
    }
    return out;
}

void labelEdges(std::vector<FitEdge>& edges, const FitProblem& problem, const FitParameters& p) {
    const Phases phases(problem, p);
    const double mmPerPixel = problem.mirror.diameter / (2 * kDiskRadius);
    const double h = 0.5 * mmPerPixel;
    for (FitEdge& e : edges) {
        // An edge without a place on the mirror has no label.
        if (!std::isfinite(e.across) || !std::isfinite(e.along)) {
            e.residual = NAN;
            continue;
        }
        const BandPhase& phase = phases.photo[e.photo];
        const double z = phase.atMirror(e.across, e.along);
        const double g = (phase.atMirror(e.across + h, e.along) - phase.atMirror(e.across - h, e.along)) / (2 * h) *
                         mmPerPixel;
        e.gradient = g;
        if (!std::isfinite(z) || !std::isfinite(g) || std::fabs(g) < 1e-5) {
            e.residual = NAN;
            continue;
        }
        // The bright side's band is even: the boundary below or above it.
        const double side = 0.5 * (g > 0 ? 1 : -1) * e.bright;
        const double brightBand = 2 * std::round((z + side) / 2);
        e.label = brightBand - side;
        e.residual = (z - e.label) / g - e.bright * p.edgeShift[e.photo];
    }
}

FitParameters fitEdgeRounds(std::vector<FitEdge>& edges, const FitProblem& problem, FitParameters start,
                            const EdgeRegion& region, const FitRounds& rounds, const FitControl& control) {
    const Layout layout(problem, rounds.zoneFree);
    FitParameters p = start;
    auto residualsUnder = [&](const FitParameters& q) {
        if (rounds.relabel) {
            labelEdges(edges, problem, q);
            return;
        }
        const Phases phases(problem, q);
        for (FitEdge& e : edges) {
            const double z = phases.at(e);
            e.residual = std::isfinite(z) && e.gradient != 0
                             ? (z - e.label) / e.gradient - e.bright * q.edgeShift[e.photo]
                             : NAN;
        }
    };
    auto weigh = [&] {
        std::vector<double> magnitudes;
        for (const FitEdge& e : edges)
            if (region.contains(e) && e.block != rounds.skipBlock && std::isfinite(e.residual))
                magnitudes.push_back(std::fabs(e.residual));
        const double scale = std::max(kMinScale, 1.4826 * median(magnitudes));
        for (FitEdge& e : edges) {
            e.weight = 0;
            if (!region.contains(e) || e.block == rounds.skipBlock || !std::isfinite(e.residual)) continue;
            const double u = e.residual / (kTukey * scale);
            if (std::fabs(u) < 1) e.weight = (1 - u * u) * (1 - u * u);
        }
    };
    for (int round = 0; round < rounds.rounds; ++round) {
        control.check();
        residualsUnder(p);
        weigh();
        std::vector<std::size_t> used;
        for (std::size_t i = 0; i < edges.size(); ++i)
            if (edges[i].weight > 0) used.push_back(i);
        if (int(used.size()) < 2 * layout.size)
            throw PhotoError(PhotoFailure::NoFit, "no fit: too few band edges agree with any model of the mirror");
        Residuals functor(edges, used, problem, layout, p, control);
        Eigen::LevenbergMarquardt<Residuals> solver(functor);
        solver.setMaxfev(60);
        solver.setXtol(1e-10);
        solver.setFtol(1e-10);
        Eigen::VectorXd x = layout.pack(p);
        solver.minimize(x);
        if (!x.allFinite())
            throw PhotoError(PhotoFailure::NoFit, "no fit: the least squares on the band edges did not converge");
        p = layout.unpack(x, p);
    }
    residualsUnder(p);
    weigh();
    return p;
}

EdgeStatistics edgeStatistics(const std::vector<FitEdge>& edges, const EdgeRegion& region, double tolerance) {
    EdgeStatistics s;
    double sum = 0, weighted = 0, weights = 0;
    for (const FitEdge& e : edges) {
        if (!region.contains(e)) continue;
        if (std::isfinite(e.residual) && std::fabs(e.residual) <= tolerance) ++s.within;
        if (!(e.weight > 0)) continue;
        ++s.used;
        sum += e.residual * e.residual;
        weighted += e.weight * e.residual * e.residual;
        weights += e.weight;
    }
    s.rms = s.used > 0 ? std::sqrt(sum / s.used) : 0;
    s.cost = weights > 0 ? weighted / weights : 0;
    return s;
}

}  // namespace sg

// SPDX-License-Identifier: GPL-3.0-or-later
#include "fit/picture_match.h"

#include "fit/wave_edges.h"
#include "model/picture_geometry.h"
#include "wave/wave_picture.h"

#include <Eigen/Dense>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace sg {

namespace {

constexpr int kPoly = 6;           // 1, u, v, u^2, uv, v^2 over the frame
constexpr int kNuisance = 2 * kPoly;  // the dark level's and the gain's
constexpr double kMostBlur = 8;    // frame pixels
constexpr int kPad = 25;           // model samples beyond the photo's on each side: 3 of the largest blur
constexpr double kLeastGamma = 0.35, kMostGamma = 2.8;
constexpr double kFreshAfter = 2;  // steps of the parameters from where the derivatives were taken
constexpr int kPlace = 3;          // the photo's placement: its shift across and down, and its scale

// One line of the frame across the bands, inside the disk.
struct Line {
    int photo = 0;
    bool row = true; // the line runs along a row of the frame
    int index = 0;   // the frame's row (lines along x) or column
    int first = 0;   // the first sample's place along the line
    std::vector<float> bright;               // the photo's brightness at first, first + 1, ...
    std::vector<std::array<double, kPoly>> poly;  // the quadratic's terms at each sample
};

// The model's brightness along each line, kPad samples beyond the photo's
// either side, 0 off the mirror.
using LineModel = std::vector<std::vector<float>>;

std::array<double, kPoly> polyAt(double x, double y) {
    const double u = (x - kDiskCentreX) / kDiskRadius, v = (y - kDiskCentreY) / kDiskRadius;
    return {1, u, v, u * u, u * v, v * v};
}

std::vector<double> gaussian(double sigma) {
    if (!(sigma > 0.05)) return {1.0};
    const int k = std::min(kPad, int(std::ceil(3 * sigma)));
    std::vector<double> w(std::size_t(2 * k + 1));
    double total = 0;
    for (int i = -k; i <= k; ++i) total += w[std::size_t(i + k)] = std::exp(-0.5 * i * i / (sigma * sigma));
    for (double& v : w) v /= total;
    return w;
}

// The model along the lines of one photo's picture (the other photo's
// lines left empty).
LineModel modelLines(const WaveFrame& frame, const std::vector<Line>& lines, int photo) {
    LineModel out;
    out.reserve(lines.size());
    for (const Line& l : lines) {
        if (l.photo != photo) {
            out.emplace_back();
            continue;
        }
        std::vector<float> m(l.bright.size() + 2 * kPad);
        for (std::size_t i = 0; i < m.size(); ++i) {
            const int along = l.first - kPad + int(i);
            const int x = l.row ? along : l.index, y = l.row ? l.index : along;
            float v = 0;
            if (x >= 0 && x < WaveFrame::kWidth && y >= 0 && y < WaveFrame::kHeight) v = frame.at(x, y);
            m[i] = std::isfinite(v) ? v : 0.0f;
        }
        out.push_back(std::move(m));
    }
    return out;
}

// The blurred model at the photo's samples, line after line.
std::vector<double> blurred(const LineModel& model, const std::vector<Line>& lines, int photo, double sigma) {
    const std::vector<double> w = gaussian(sigma);
    const int k = int(w.size() / 2);
    std::vector<double> out;
    for (std::size_t li = 0; li < lines.size(); ++li) {
        if (lines[li].photo != photo) continue;
        const std::vector<float>& m = model[li];
        for (std::size_t i = 0; i < lines[li].bright.size(); ++i) {
            double s = 0;
            const std::size_t centre = i + kPad;
            for (int j = -k; j <= k; ++j) s += w[std::size_t(j + k)] * m[centre + std::size_t(std::ptrdiff_t(j))];
            out.push_back(s);
        }
    }
    return out;
}

// The photo's linear light under a tone curve, its samples line after line.
std::vector<double> linearLight(const std::vector<Line>& lines, int photo, double gamma) {
    std::vector<double> out;
    for (const Line& l : lines)
        if (l.photo == photo)
            for (const float b : l.bright) out.push_back(std::pow(std::max(0.0, double(b)), 1 / gamma));
    return out;
}

// The least squares of the light on the dark level and the gain: the
// coefficients, and the share of the light's variance left. The normal
// equations from sums of the quadratic's products (21 of them) against
// the model and its square.
struct Solved {
    Eigen::VectorXd coefficients;
    double left = 1;  // residual sum of squares over the variance's
};

constexpr int kProducts = kPoly * (kPoly + 1) / 2;

Solved solve(const std::vector<Line>& lines, int photo, const std::vector<double>& light,
             const std::vector<double>& model) {
    double pp[kProducts] = {}, pm[kProducts] = {}, mm[kProducts] = {}, bp[kPoly] = {}, bm[kPoly] = {};
    double sum = 0, squares = 0;
    std::size_t n = 0;
    for (const Line& l : lines) {
        if (l.photo != photo) continue;
        for (std::size_t i = 0; i < l.bright.size(); ++i, ++n) {
            const std::array<double, kPoly>& p = l.poly[i];
            const double m = model[n], L = light[n];
            int k = 0;
            for (int a = 0; a < kPoly; ++a) {
                const double pa = p[std::size_t(a)];
                bp[a] += pa * L;
                bm[a] += pa * m * L;
                for (int b = a; b < kPoly; ++b, ++k) {
                    const double q = pa * p[std::size_t(b)];
                    pp[k] += q;
                    pm[k] += q * m;
                    mm[k] += q * m * m;
                }
            }
            sum += L;
            squares += L * L;
        }
    }
    Solved s;
    if (n == 0) return s;
    Eigen::Matrix<double, kNuisance, kNuisance> A;
    Eigen::Matrix<double, kNuisance, 1> b;
    int k = 0;
    for (int a = 0; a < kPoly; ++a) {
        b(a) = bp[a];
        b(kPoly + a) = bm[a];
        for (int c = a; c < kPoly; ++c, ++k) {
            A(a, c) = A(c, a) = pp[k];
            A(kPoly + a, kPoly + c) = A(kPoly + c, kPoly + a) = mm[k];
            A(a, kPoly + c) = A(kPoly + c, a) = A(c, kPoly + a) = A(kPoly + a, c) = pm[k];
        }
    }
    s.coefficients = A.ldlt().solve(b);
    const double variance = squares - sum * sum / double(n);
    const double residual = squares - s.coefficients.dot(b);
    s.left = variance > 0 && s.coefficients.allFinite() ? std::max(0.0, residual) / variance : 1;
    return s;
}

// The gain at each sample from a solution's coefficients.
std::vector<double> gainOf(const std::vector<Line>& lines, int photo, const Eigen::VectorXd& c) {
    std::vector<double> out;
    for (const Line& l : lines)
        if (l.photo == photo)
            for (const auto& p : l.poly) {
                double g = 0;
                for (int k = 0; k < kPoly; ++k) g += c(kPoly + k) * p[std::size_t(k)];
                out.push_back(g);
            }
    return out;
}

// The smallest of f over [lo, hi] by golden sections.
template <class F>
double goldenMinimum(F&& f, double lo, double hi, int steps) {
    const double r = (std::sqrt(5.0) - 1) / 2;
    double a = lo, b = hi, c = b - r * (b - a), d = a + r * (b - a);
    double fc = f(c), fd = f(d);
    for (int i = 0; i < steps; ++i) {
        if (fc < fd) {
            b = d, d = c, fd = fc;
            c = b - r * (b - a), fc = f(c);
        } else {
            a = c, c = d, fc = fd;
            d = a + r * (b - a), fd = f(d);
        }
    }
    return fc < fd ? c : d;
}

// Where a photo's frame lies on the true frame: the disk finder's own
// error on a soft rim, which the camera's blur and tone curve move, and so
// fitted. A pixel at p of the true frame lies at
// c + (1 + scale) (p - c) + shift on the photo's frame, c the disk's centre.
struct Placement {
    double shift[2] = {0, 0};  // frame pixels
    double scale = 0;
};

// The photo's brightness at each line's samples under a placement; a
// sample the photo does not reach keeps the brightness it had.
void samplePhoto(const GreyImage& frame, const Placement& place, int photo, std::vector<Line>& lines) {
    for (Line& l : lines) {
        if (l.photo != photo) continue;
        for (std::size_t i = 0; i < l.bright.size(); ++i) {
            const int along = l.first + int(i);
            const double x = (l.row ? along : l.index) + 0.5, y = (l.row ? l.index : along) + 0.5;
            const float v = sampleBilinear(frame, kDiskCentreX + (1 + place.scale) * (x - kDiskCentreX) + place.shift[0],
                                           kDiskCentreY + (1 + place.scale) * (y - kDiskCentreY) + place.shift[1]);
            if (std::isfinite(v)) l.bright[i] = v;
        }
    }
}

// Moves a placement by `units` of its g-th step: half a pixel of shift,
// half a pixel of scale at the rim.
void placeStep(Placement& place, int g, double units) {
    if (g < 2) place.shift[g] += 0.5 * units;
    else place.scale += 0.5 / kDiskRadius * units;
}

}  // namespace

PictureMatch matchPicture(const FitProblem& problem, const FitParameters& start, const GreyImage* const frames[2],
                          const double blurStart[2], const std::array<double, 3> diskBias[2],
                          const FitControl& control, const PictureMatchOptions& options) {
    PictureMatch result;
    result.parameters = start;
    const int photos = problem.photos;
    const int stride = std::max(2, options.lineStride);
    WaveEngine engine;

    const int n = 2 + photos + (problem.fitZone ? 1 : 0);
    auto get = [&](const FitParameters& q, int j) {
        if (j == 0) return q.offset;
        if (j == 1) return q.conic;
        if (j < 2 + photos) return q.transverse[j - 2];
        return q.zoneHeight;
    };
    auto set = [&](FitParameters& q, int j, double v) {
        if (j == 0) q.offset = v;
        else if (j == 1) q.conic = v;
        else if (j < 2 + photos) q.transverse[j - 2] = v;
        else q.zoneHeight = v;
    };
    const double rim = problem.mirror.diameter / 2, w = 1 / (2 * problem.mirror.linesPerMm);
    const double R = problem.mirror.radius;
    const double step[2] = {0.1 * R * w / rim, 0.1 * R * R * w / (rim * rim * rim)};
    auto stepOf = [&](int j) { return j < 2 ? step[j] : j < 2 + photos ? 0.1 : 0.05; };

    // The wave pictures of each photo at q, on the lines.
    bool rows[2] = {true, true};
    auto pictures = [&](const FitParameters& q) {
        control.check();
        std::array<WaveFrame, 2> out;
        for (int i = 0; i < photos; ++i) {
            BandParameters b = photoParameters(problem, q, i);
            b.edgeShift = 0;
            out[std::size_t(i)] =
                engine.computeLines(waveFitScene(problem.mirror, problem.zone, b, problem.axis[i]), stride);
            ++result.pictures;
        }
        return out;
    };

    std::array<WaveFrame, 2> current = pictures(start);
    // Which way the wave picture's lines run: the centre's row is always
    // drawn, the row below it only when lines run down the columns.
    for (int i = 0; i < photos; ++i)
        rows[i] = !std::isfinite(current[std::size_t(i)].at(kDiskCentreX, kDiskCentreY + 1));

    // The photo's frame on the true frame, first as the wave picture's own
    // disk says: the photo's frame puts the disk found at the frame's disk.
    Placement place[2];
    for (int i = 0; i < photos; ++i) {
        const double k = kDiskRadius / (kDiskRadius + diskBias[i][2]);
        place[i].scale = k - 1;
        place[i].shift[0] = -k * diskBias[i][0];
        place[i].shift[1] = -k * diskBias[i][1];
    }
    // The photo's samples on the drawn lines, out to the reach.
    std::vector<Line> lines;
    const double reach = options.reach * kDiskRadius;
    for (int i = 0; i < photos; ++i) {
        const GreyImage& frame = *frames[i];
        const int centreLine = rows[i] ? kDiskCentreY : kDiskCentreX;
        const int centreAlong = rows[i] ? kDiskCentreX : kDiskCentreY;
        for (int offset = -int(reach) - 1; offset <= int(reach); ++offset) {
            const int kept = offset >= 0 ? offset : -offset - 1;
            if (kept % stride != 0) continue;
            const double across = offset + 0.5;  // pixel centres lie half a pixel off the lines' origin
            if (std::fabs(across) >= reach) continue;
            const int half = int(std::floor(std::sqrt(reach * reach - across * across)));
            Line l;
            l.photo = i;
            l.row = rows[i];
            l.index = centreLine + offset;
            l.first = centreAlong - half;
            for (int a = centreAlong - half; a < centreAlong + half; ++a) {
                const int x = rows[i] ? a : l.index, y = rows[i] ? l.index : a;
                if (x < 0 || y < 0 || x >= frame.width || y >= frame.height) break;
                // The true frame's pixel on the photo's frame.
                const Placement& at = place[i];
                const float v = sampleBilinear(frame, kDiskCentreX + (1 + at.scale) * (x + 0.5 - kDiskCentreX) + at.shift[0],
                                               kDiskCentreY + (1 + at.scale) * (y + 0.5 - kDiskCentreY) + at.shift[1]);
                const float m = current[std::size_t(i)].at(x, y);
                if (!std::isfinite(v) || !std::isfinite(m)) {
                    // A gap ends the line's run; a new line takes the rest.
                    if (!l.bright.empty()) {
                        lines.push_back(l);
                        l.bright.clear();
                        l.poly.clear();
                    }
                    l.first = a + 1;
                    continue;
                }
                l.bright.push_back(v);
                l.poly.push_back(polyAt(x, y));
            }
            if (!l.bright.empty()) lines.push_back(l);
        }
    }
    std::size_t samples[2] = {0, 0};
    for (const Line& l : lines) samples[l.photo] += l.bright.size();
    for (int i = 0; i < photos; ++i)
        if (samples[i] < 1000) {
            result.explained = 0;
            return result;
        }

    LineModel model[2];
    for (int i = 0; i < photos; ++i) model[i] = modelLines(current[std::size_t(i)], lines, i);

    // The camera's tone curve and blur for the model as it stands.
    double gamma[2] = {1, 1}, blur[2] = {std::clamp(blurStart[0], 0.0, kMostBlur),
                                          std::clamp(blurStart[1], 0.0, kMostBlur)};
    auto leftOf = [&](int i, double g, double s) {
        return solve(lines, i, linearLight(lines, i, g), blurred(model[i], lines, i, s)).left;
    };
    // The tone curve for the blur as it stands, then the blur for it: over
    // their whole ranges twice at first, then once near where they stand.
    auto camera = [&](int i, bool near) {
        for (int pass = 0; pass < (near ? 1 : 2); ++pass) {
            const std::vector<double> m = blurred(model[i], lines, i, blur[i]);
            const double lo = near ? std::max(kLeastGamma, gamma[i] / 1.25) : kLeastGamma;
            const double hi = near ? std::min(kMostGamma, gamma[i] * 1.25) : kMostGamma;
            gamma[i] = std::exp(goldenMinimum(
                [&](double lg) { return solve(lines, i, linearLight(lines, i, std::exp(lg)), m).left; },
                std::log(lo), std::log(hi), near ? 8 : 14));
            const std::vector<double> light = linearLight(lines, i, gamma[i]);
            blur[i] = goldenMinimum([&](double s) { return solve(lines, i, light, blurred(model[i], lines, i, s)).left; },
                                    near ? std::max(0.0, blur[i] - 1) : 0.0,
                                    near ? std::min(kMostBlur, blur[i] + 1) : kMostBlur, near ? 8 : 14);
        }
    };
    auto left = [&]() {
        double total = 0;
        for (int i = 0; i < photos; ++i) total += leftOf(i, gamma[i], blur[i]);
        return total / photos;
    };
    for (int i = 0; i < photos; ++i) camera(i, false);
    double now = left();
    result.startExplained = 1 - now;

    // Gauss-Newton on the mirror's parameters, the exposure solved with
    // them; the derivatives by differences of wave pictures, taken again
    // when a step fails.
    FitParameters p = start;
    std::vector<std::vector<double>> derivative[2];
    auto differences = [&]() {
        for (int i = 0; i < photos; ++i) derivative[i].assign(std::size_t(n), {});
        const std::vector<double> base[2] = {blurred(model[0], lines, 0, blur[0]),
                                             photos > 1 ? blurred(model[1], lines, 1, blur[1]) : std::vector<double>{}};
        for (int j = 0; j < n; ++j) {
            FitParameters q = p;
            set(q, j, get(p, j) + stepOf(j));
            const std::array<WaveFrame, 2> moved = pictures(q);
            for (int i = 0; i < photos; ++i) {
                std::vector<double> d = blurred(modelLines(moved[std::size_t(i)], lines, i), lines, i, blur[i]);
                for (std::size_t k = 0; k < d.size(); ++k) d[k] = (d[k] - base[i][k]) / stepOf(j);
                derivative[i][std::size_t(j)] = std::move(d);
            }
        }
    };
    differences();
    bool fresh = true;
    FitParameters derived = p;  // where the derivatives were taken
    // How far q lies from where the derivatives were taken, in steps.
    auto stepsFrom = [&](const FitParameters& q) {
        double sum = 0;
        for (int j = 0; j < n; ++j) sum += std::pow((get(q, j) - get(derived, j)) / stepOf(j), 2);
        return std::sqrt(sum);
    };
    for (int round = 0; round < options.rounds; ++round) {
        control.report(FitStage::Waves, double(round) / options.rounds);
        // The normal equations of all photos: each its own exposure, the
        // mirror's steps shared.
        const int columns = photos * kNuisance + n + kPlace * photos;
        Eigen::MatrixXd A = Eigen::MatrixXd::Zero(columns, columns);
        Eigen::VectorXd b = Eigen::VectorXd::Zero(columns);
        for (int i = 0; i < photos; ++i) {
            const std::vector<double> light = linearLight(lines, i, gamma[i]);
            const std::vector<double> m = blurred(model[i], lines, i, blur[i]);
            const Solved s = solve(lines, i, light, m);
            const std::vector<double> gain = gainOf(lines, i, s.coefficients);
            // The light's change as the photo's placement moves, by central
            // differences of the photo itself.
            std::vector<double> moves[kPlace];
            for (int g = 0; g < kPlace; ++g) {
                Placement plus = place[i], minus = place[i];
                placeStep(plus, g, +1);
                placeStep(minus, g, -1);
                samplePhoto(*frames[i], plus, i, lines);
                const std::vector<double> up = linearLight(lines, i, gamma[i]);
                samplePhoto(*frames[i], minus, i, lines);
                const std::vector<double> down = linearLight(lines, i, gamma[i]);
                moves[g].resize(up.size());
                for (std::size_t k = 0; k < up.size(); ++k) moves[g][k] = -(up[k] - down[k]) / 2;
            }
            samplePhoto(*frames[i], place[i], i, lines);
            // This photo's columns: its exposure, the mirror's steps, its
            // placement; their place among all the photos' columns.
            const int own = kNuisance + n + kPlace;
            std::vector<int> at(static_cast<std::size_t>(own));
            for (int c = 0; c < kNuisance; ++c) at[std::size_t(c)] = i * kNuisance + c;
            for (int j = 0; j < n; ++j) at[std::size_t(kNuisance + j)] = photos * kNuisance + j;
            for (int g = 0; g < kPlace; ++g) at[std::size_t(kNuisance + n + g)] = photos * kNuisance + n + kPlace * i + g;
            Eigen::MatrixXd design(Eigen::Index(light.size()), own);
            Eigen::Index k = 0;
            for (const Line& l : lines) {
                if (l.photo != i) continue;
                for (std::size_t a = 0; a < l.bright.size(); ++a, ++k) {
                    const std::size_t u = std::size_t(k);
                    for (int c = 0; c < kPoly; ++c) {
                        design(k, c) = l.poly[a][std::size_t(c)];
                        design(k, kPoly + c) = l.poly[a][std::size_t(c)] * m[u];
                    }
                    for (int j = 0; j < n; ++j) design(k, kNuisance + j) = gain[u] * derivative[i][std::size_t(j)][u];
                    for (int g = 0; g < kPlace; ++g) design(k, kNuisance + n + g) = moves[g][u];
                }
            }
            const Eigen::Map<const Eigen::VectorXd> target(light.data(), Eigen::Index(light.size()));
            const Eigen::MatrixXd gram = design.transpose() * design;
            const Eigen::VectorXd right = design.transpose() * target;
            for (int r = 0; r < own; ++r) {
                b(at[std::size_t(r)]) += right(r);
                for (int c = 0; c < own; ++c) A(at[std::size_t(r)], at[std::size_t(c)]) += gram(r, c);
            }
        }
        const Eigen::VectorXd x = A.ldlt().solve(b);
        if (!x.allFinite()) break;
        // The step, halved until the picture explains the photos better.
        bool better = false;
        double scale = 1;
        for (int tries = 0; tries < 3 && !better; ++tries, scale /= 2) {
            FitParameters q = p;
            for (int j = 0; j < n; ++j)
                set(q, j, get(p, j) + std::clamp(scale * x(photos * kNuisance + j), -10 * stepOf(j), 10 * stepOf(j)));
            Placement moved[2] = {place[0], place[1]};
            for (int i = 0; i < photos; ++i) {
                for (int g = 0; g < kPlace; ++g)
                    placeStep(moved[i], g, std::clamp(scale * x(photos * kNuisance + n + kPlace * i + g), -4.0, 4.0));
                samplePhoto(*frames[i], moved[i], i, lines);
            }
            const std::array<WaveFrame, 2> tried = pictures(q);
            LineModel triedModel[2];
            for (int i = 0; i < photos; ++i) triedModel[i] = modelLines(tried[std::size_t(i)], lines, i);
            double total = 0;
            for (int i = 0; i < photos; ++i)
                total += solve(lines, i, linearLight(lines, i, gamma[i]), blurred(triedModel[i], lines, i, blur[i])).left;
            total /= photos;
            if (total < now) {
                better = true;
                // The derivatives learn what the step did (Broyden's
                // update, the parameters in their steps' units).
                std::vector<double> units(static_cast<std::size_t>(n), 0.0);
                double length = 0;
                for (int j = 0; j < n; ++j) {
                    units[std::size_t(j)] = (get(q, j) - get(p, j)) / stepOf(j);
                    length += units[std::size_t(j)] * units[std::size_t(j)];
                }
                if (length > 0)
                    for (int i = 0; i < photos; ++i) {
                        const std::vector<double> before = blurred(model[i], lines, i, blur[i]);
                        const std::vector<double> after = blurred(triedModel[i], lines, i, blur[i]);
                        for (std::size_t k = 0; k < before.size(); ++k) {
                            double predicted = 0;
                            for (int j = 0; j < n; ++j)
                                predicted += derivative[i][std::size_t(j)][k] * units[std::size_t(j)] * stepOf(j);
                            const double miss = (after[k] - before[k] - predicted) / length;
                            for (int j = 0; j < n; ++j)
                                derivative[i][std::size_t(j)][k] += miss * units[std::size_t(j)] / stepOf(j);
                        }
                    }
                p = q;
                for (int i = 0; i < photos; ++i) place[i] = moved[i];
                now = total;
                for (int i = 0; i < photos; ++i) model[i] = std::move(triedModel[i]);
                for (int i = 0; i < photos; ++i) camera(i, true);
                now = left();
            }
        }
        if (!better)
            for (int i = 0; i < photos; ++i) samplePhoto(*frames[i], place[i], i, lines);
        // Small steps end it.
        double largest = 0;
        for (int j = 0; j < n; ++j) largest = std::max(largest, std::fabs(scale * 2 * x(photos * kNuisance + j)) / stepOf(j));
        if (better) {
            fresh = false;
            if (largest < 0.02) break;
            // Far from where they were taken, the derivatives are taken again.
            if (stepsFrom(p) > kFreshAfter) {
                differences();
                derived = p;
                fresh = true;
            }
            continue;
        }
        if (fresh) break;
        differences();
        derived = p;
        fresh = true;
    }
    result.parameters = p;
    for (int i = 0; i < photos; ++i) result.gamma[i] = gamma[i], result.blur[i] = blur[i];
    result.explained = 1 - now;
    control.report(FitStage::Waves, 1);
    return result;
}

}  // namespace sg

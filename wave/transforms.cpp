// SPDX-License-Identifier: GPL-3.0-or-later
#include "wave/transforms.h"

#include <fftw3.h>

#include <mutex>
#include <new>

namespace sg::wave {

namespace {
// FFTW's planner is not thread-safe; only the execution of a plan is. Two
// engines on two threads plan one at a time.
std::mutex& plannerMutex() {
    static std::mutex m;
    return m;
}
}  // namespace

Transform::Transform(int length, bool forward) : length_(length) {
    std::lock_guard<std::mutex> lock(plannerMutex());
    const std::size_t n = static_cast<std::size_t>(length);
    fftw_complex* in = fftw_alloc_complex(n);
    fftw_complex* out = fftw_alloc_complex(n);
    plan_ = in && out ? fftw_plan_dft_1d(length, in, out, forward ? FFTW_FORWARD : FFTW_BACKWARD, FFTW_ESTIMATE)
                      : nullptr;
    if (!plan_) {
        fftw_free(in);
        fftw_free(out);
        throw std::bad_alloc();
    }
    input_ = reinterpret_cast<std::complex<double>*>(in);
    output_ = reinterpret_cast<std::complex<double>*>(out);
}

Transform::~Transform() {
    std::lock_guard<std::mutex> lock(plannerMutex());
    fftw_destroy_plan(static_cast<fftw_plan>(plan_));
    fftw_free(reinterpret_cast<fftw_complex*>(input_));
    fftw_free(reinterpret_cast<fftw_complex*>(output_));
}

void Transform::run() { fftw_execute(static_cast<fftw_plan>(plan_)); }

Transform& Transforms::get(std::map<int, std::unique_ptr<Transform>>& plans, int length, bool forward) {
    auto it = plans.find(length);
    if (it == plans.end()) it = plans.emplace(length, std::make_unique<Transform>(length, forward)).first;
    return *it->second;
}

int smoothLength(int n) {
    for (int m = n < 1 ? 1 : n;; ++m) {
        int r = m;
        for (int p : {2, 3, 5, 7})
            while (r % p == 0) r /= p;
        if (r == 1) return m;
    }
}

}  // namespace sg::wave

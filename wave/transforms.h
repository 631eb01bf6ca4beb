// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Discrete Fourier transforms of the lengths a picture needs, planned once
// and kept. Plans are made with FFTW's estimate: no timing runs, so a
// length gets the same plan on every run and on every processor with the
// same instruction sets (the library's SSE2 and AVX paths; it has no
// fused multiply-add paths), and so the same sums in the same order.

#include <complex>
#include <map>
#include <memory>

namespace sg::wave {

// One transform of a fixed length from its input buffer to its output
// buffer: forward X[m] = sum_k x[k] exp(-2 pi i m k / n), backward with
// exp(+...), neither divided by n. The input is left undefined.
class Transform {
public:
    Transform(int length, bool forward);
    ~Transform();
    Transform(const Transform&) = delete;
    Transform& operator=(const Transform&) = delete;

    int length() const { return length_; }
    std::complex<double>* input() { return input_; }
    const std::complex<double>* output() const { return output_; }
    void run();

private:
    int length_;
    std::complex<double>* input_;
    std::complex<double>* output_;
    void* plan_;
};

class Transforms {
public:
    Transform& forward(int length) { return get(forward_, length, true); }
    Transform& backward(int length) { return get(backward_, length, false); }

private:
    static Transform& get(std::map<int, std::unique_ptr<Transform>>& plans, int length, bool forward);
    std::map<int, std::unique_ptr<Transform>> forward_, backward_;
};

// The smallest length at least n whose only prime factors are 2, 3, 5 and
// 7, the lengths FFTW transforms fastest.
int smoothLength(int n);

}  // namespace sg::wave

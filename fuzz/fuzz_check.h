// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A property of a fuzz target that must hold for every input: a failure
// stops the run with a message, so that the fuzzer keeps the input.

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

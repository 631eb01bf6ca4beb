// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A limit on the size of the files this process writes, for a scope: a
// write past it fails with EFBIG ("File too large") instead of raising
// SIGXFSZ, as a full disk makes a write fail part-way.

#include <sys/resource.h>

#include <csignal>

namespace sg::testing {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        handler_ = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved_;
        small.rlim_cur = bytes;
        ok_ = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, handler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool ok() const { return ok_; }

private:
    struct rlimit saved_ {};
    void (*handler_)(int) = SIG_DFL;
    bool ok_ = false;
};

}  // namespace sg::testing

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The locales that write 0,5 for 0.5, in which the programs must still read
// and write 0.5. scripts/install-deps.sh makes them where they are missing;
// a test that cannot have one says that it skipped.

#include <clocale>
#include <langinfo.h>
#include <locale.h>
#include <string>

namespace sg::testing {

inline const char* const kCommaLocales[] = {"de_DE.UTF-8", "fr_FR.UTF-8"};

// True when the locale is installed and its decimal separator is a comma.
inline bool commaLocaleInstalled(const char* name) {
    locale_t l = ::newlocale(LC_ALL_MASK, name, static_cast<locale_t>(nullptr));
    if (l == static_cast<locale_t>(nullptr)) return false;
    const std::string point = ::nl_langinfo_l(RADIXCHAR, l);
    ::freelocale(l);
    return point == ",";
}

// The whole process in a locale for a scope, as the toolkit switches it at
// start; the earlier locale comes back at the end.
class ScopedLocale {
public:
    explicit ScopedLocale(const char* name) : earlier_(std::setlocale(LC_ALL, nullptr)) {
        ok_ = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~ScopedLocale() { std::setlocale(LC_ALL, earlier_.c_str()); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;
    bool ok() const { return ok_; }

private:
    std::string earlier_;
    bool ok_ = false;
};

}  // namespace sg::testing

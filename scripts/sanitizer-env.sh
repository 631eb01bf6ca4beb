# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the sanitized build and test runs: stop at the first report of
# AddressSanitizer, LeakSanitizer or UndefinedBehaviorSanitizer, and ignore
# only the reports listed in asan.supp and lsan.supp (from inside system
# libraries, each with its reason), for the offscreen platform and for the
# xcb platform on a real or virtual display alike.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:suppressions=$here/asan.supp"
export LSAN_OPTIONS="suppressions=$here/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

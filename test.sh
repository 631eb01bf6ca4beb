#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs every test headless.
# With --sanitize, builds a second tree with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs the whole suite there, failing on any
# report.
set -euo pipefail
top="$(cd "$(dirname "$0")" && pwd)"
"$top/scripts/install-deps.sh"
export QT_QPA_PLATFORM=offscreen
if [ "${1:-}" = "--sanitize" ]; then
  "$top/scripts/build.sh" --sanitize
  source "$top/scripts/sanitizer-env.sh"
  cd "$top/build-sanitize"
else
  "$top/scripts/build.sh"
  cd "$top/build"
fi
status=0
ctest --output-on-failure --parallel "$(nproc)" || status=$?
# Tests that cannot run on this machine say so, whatever the outcome.
if grep -q "^\[  SKIPPED \] [A-Za-z]" Testing/Temporary/LastTest.log 2>/dev/null; then
  echo "Skipped on this machine (the reasons are in $PWD/Testing/Temporary/LastTest.log):"
  grep -h "^\[  SKIPPED \] [A-Za-z]" Testing/Temporary/LastTest.log | sort -u
fi
exit "$status"

#!/usr/bin/env bash
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
ctest --output-on-failure --parallel "$(nproc)"

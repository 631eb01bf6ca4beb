#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures (once) and builds a tree: build/ in Release, or with --sanitize
# build-sanitize/ with AddressSanitizer and UndefinedBehaviorSanitizer.
# Other arguments go to the build tool.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$top/build"
config=(-DCMAKE_BUILD_TYPE=Release)
if [ "${1:-}" = "--sanitize" ]; then
  shift
  build="$top/build-sanitize"
  flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all"
  config=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS=$flags" "-DCMAKE_C_FLAGS=$flags"
          "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined"
          "-DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=address,undefined")
  # The picture generator runs during the build, under the sanitizers too.
  source "$top/scripts/sanitizer-env.sh"
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$build" -G Ninja "${config[@]}"
fi
cmake --build "$build" --parallel "$(nproc)" "$@"

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang (in build-fuzz/) and runs each for
# SECONDS (default 60), or for RUNS executions with --runs, starting from its
# seed corpus in fuzz/corpus/. New inputs go to build-fuzz/corpus/, never into
# the committed seeds. Fails on the first crash or failed check, and leaves
# the input in build-fuzz/. Prints each target's executions and their rate.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
#   scripts/fuzz.sh --runs RUNS [TARGET...]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
limit=(-max_total_time="${1:-60}")
what="${1:-60} s"
if [ "${1:-}" = "--runs" ]; then
  limit=(-runs="$2")
  what="$2 runs"
  shift
fi
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(cell_number test_record shape_record jpeg_picture render_options reading_file fit_options photo_alignment)
fi

"$top/scripts/install-deps.sh" --fuzz
build="$top/build-fuzz"
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSHADOWGRAM_FUZZ=ON
fi
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]/%/_fuzz}"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
for t in "${targets[@]}"; do
  mkdir -p "$build/corpus/$t" "$build/crashes/$t"
  echo "== $t: $what"
  started=$(date +%s.%N)
  "$build/fuzz/${t}_fuzz" "$build/corpus/$t" "$top/fuzz/corpus/$t" \
    "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/crashes/$t/" 2>&1 | grep -E "^(#[0-9]+.*DONE|stat::number_of_executed_units|==[0-9]+==|SUMMARY|.*check failed)" | tee "$build/last-$t.log" || true
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/last-$t.log")
  awk -v r="${runs:-0}" -v s="$started" -v e="$(date +%s.%N)" -v t="$t" \
    'BEGIN { printf "%s: %d executions in %.0f s, %.0f per second\n", t, r, e - s, r / (e - s) }'
  if [ -n "$(ls -A "$build/crashes/$t")" ]; then
    echo "fuzz target $t failed; inputs in $build/crashes/$t" >&2
    exit 1
  fi
done

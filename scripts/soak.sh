#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the GUI soak with N seeded random events (default 100000) on the
# offscreen platform and prints the event count and the resident memory.
#   scripts/soak.sh [N] [SEED]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/build.sh" --target gui_soak_tests
export QT_QPA_PLATFORM=offscreen SOAK_EVENTS="${1:-100000}" SOAK_SEED="${2:-1}"
"$top/build/tests/gui_soak_tests" 2>&1 | grep -v "does not support"

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds in Release and starts the simulator.
set -euo pipefail
top="$(cd "$(dirname "$0")" && pwd)"
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: neither DISPLAY nor WAYLAND_DISPLAY is set. To start under Xvfb: apt-get install -y xvfb && xvfb-run -s \"-screen 0 1280x1024x24\" $top/build/shadowgram"
  exit 1
fi
exec "$top/build/shadowgram" "$@"

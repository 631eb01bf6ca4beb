#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that building and testing need (with --fuzz,
# also what fuzzing needs; with --package, what packaging needs), and nothing
# when they are all present already; then the two comma-decimal locales that
# the tests run the programs in.
# Non-interactive; meant for Debian 12.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins libqt6sql6-sqlite
  libjpeg-dev libeigen3-dev libfftw3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation2 fonts-dejavu-core
  locales xvfb xauth
  help2man man-db
)
# With --fuzz, also clang and its libFuzzer runtime; with --package, the
# tools that build and check the Debian package.
if [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang libclang-rt-14-dev)
elif [ "${1:-}" = "--package" ]; then
  packages+=(dpkg-dev file lintian desktop-file-utils appstream)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "$(id -u)" -eq 0 ]; then
  sudo_cmd=()
elif command -v sudo >/dev/null 2>&1; then
  sudo_cmd=(sudo)
else
  sudo_cmd=(false)
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing missing packages: ${missing[*]}"
  if [ "${sudo_cmd[0]:-}" = false ]; then
    echo "These packages are missing and this user cannot install them: ${missing[*]}" >&2
    echo "Run this script as root once." >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# German and French write 0,5 for 0.5: the tests check that the programs
# still read and write 0.5 there. Without them those tests say they skipped.
for l in de_DE fr_FR; do
  if ! locale -a 2>/dev/null | grep -qix "$l.utf-\?8"; then
    if [ "${sudo_cmd[0]:-}" = false ]; then
      echo "The locale $l.UTF-8 is missing and this user cannot make it; its tests will be skipped." >&2
    else
      echo "Making the locale $l.UTF-8"
      "${sudo_cmd[@]}" localedef -i "$l" -f UTF-8 "$l.UTF-8"
    fi
  fi
done

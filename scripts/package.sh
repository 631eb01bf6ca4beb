#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package in build/ and checks it: its control data with
# dpkg-deb, its contents, the desktop entry and AppStream description with
# their validators, the whole package with lintian (no error and no
# warning; an override only with its reason written beside it), and the
# package unpacked into a temporary root, where every program must tell its
# version.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/install-deps.sh" --package
"$top/scripts/build.sh"
cd "$top/build"
rm -f shadowgram_*.deb
cpack -G DEB
deb="$(ls shadowgram_*.deb)"
echo "== dpkg-deb --info $deb"
dpkg-deb --info "$deb"
echo "== contents"
dpkg-deb --contents "$deb" | awk '{print $6}'
echo "== desktop-file-validate"
desktop-file-validate "$top/packaging/shadowgram.desktop"
echo "== appstreamcli validate"
# Warnings (no screenshot, no home page: the project has none to point at
# yet) are allowed; a failure is not.
appstreamcli validate --no-net packaging/org.shadowgram.Shadowgram.metainfo.xml
echo "== lintian"
lintian --fail-on error,warning "$deb"
echo "== installed into a temporary root"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
for program in shadowgram shadowgram-render shadowgram-analyse shadowgram-reduce shadowgram-fit; do
  "$root/usr/bin/$program" --version
  test -s "$root/usr/share/man/man1/$program.1.gz"
done
echo "package $top/build/$deb is ready"

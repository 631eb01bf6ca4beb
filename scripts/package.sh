#!/usr/bin/env bash
# Builds the Debian package in build/ and checks it: its control data with
# dpkg-deb, its contents, the desktop entry and AppStream description with
# their validators, and the whole package with lintian (no errors allowed).
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
appstreamcli validate --no-net packaging/org.shadowgram.Shadowgram.metainfo.xml
echo "== lintian"
lintian --fail-on error "$deb"
echo "package $top/build/$deb is ready"

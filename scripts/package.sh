#!/usr/bin/env bash
# Builds Stanzary's Debian package: checks the menu entry and the AppStream
# metainfo, builds the program and its desktop files with Debian's hardening
# flags (dpkg-buildflags), runs CPack in the build folder and checks the
# package with lintian, which fails on an error (warnings are printed).
# Install the result with `sudo apt-get install ./build/stanzary_*.deb`.
# Extra arguments go to CMake's configure step; BUILD_DIR chooses the build
# folder (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
desktop-file-validate data/stanzary.desktop
appstreamcli validate --no-net data/example.quarvex.Stanzary.metainfo.xml
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" \
  -DSTANZARY_DEBIAN_FLAGS=ON -DSTANZARY_SHARED_LIBS=OFF "$@"
# Everything the package installs: both programs and their desktop data.
cmake --build "$build" --target stanzary stanzary-cli stanzary_cli_manpage stanzary_desktop_data
rm -f "$build"/stanzary_*.deb
(cd "$build" && cpack -G DEB)
lintian --fail-on error --display-info "$build"/stanzary_*.deb

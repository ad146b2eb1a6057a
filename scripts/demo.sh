#!/usr/bin/env bash
# Builds Stanzary and starts it on a fresh copy of the sample installation in
# examples/, made inside the build folder (so the demo never changes tracked
# files). The program is copied into the sample's folder, where it finds
# Tunewright beside itself. Arguments go to the program ("/song Artist - Song").
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}"
cmake --build "$build" --target stanzary

demo="$build/demo/Tunewright"
rm -rf "$build/demo"
mkdir -p "$build/demo"
cp -a examples/Tunewright "$build/demo/"
cp "$build/src/ui/stanzary" "$demo/"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No desktop session found: starting Stanzary on a virtual display (xvfb-run)." >&2
  exec xvfb-run -a -s "-screen 0 1280x900x24" "$demo/stanzary" "$@"
fi
exec "$demo/stanzary" "$@"

#!/usr/bin/env bash
# Builds Stanzary and runs all tests. Extra arguments go to CMake's configure
# step; BUILD_DIR chooses the build folder (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
build="${BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$@"
cmake --build "$build"
# The audio tests play through a sound server of their own (a null sink).
# CTEST_OPTIONS adds options of ctest's own (CI's sanitizer run uses it).
read -r -a ctest_options <<<"${CTEST_OPTIONS:-}"
./scripts/null-audio.sh ctest --test-dir "$build" --output-on-failure -j2 "${ctest_options[@]}"

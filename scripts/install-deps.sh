#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, test, run and package Stanzary
# (mold: the linker every build uses; qt6-multimedia-dev and pulseaudio:
# playing songs, and the null sink the audio tests play through;
# python3-mutagen: a test reads the ID3v2 frames with another tag reader;
# poppler-utils: the songbook tests read the PDF back with pdftotext; the
# last line: checking the desktop files, the package's dependencies and the
# package itself). With --fuzz also clang and its sanitizer runtime, for the
# libFuzzer targets; with --samples espeak-ng and ffmpeg, which
# scripts/make-sample-audio.py makes the sample songs' audio with.
# Installs only what is missing; uses sudo when not run as root.
set -euo pipefail

packages=(
  cmake ninja-build g++ mold clang-format ccache
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev
  qt6-multimedia-dev pulseaudio
  libbenchmark-dev
  libtag1-dev python3-mutagen poppler-utils
  xvfb xauth fonts-dejavu-core
  desktop-file-utils appstream dpkg-dev file lintian
)
[ "${1:-}" = --fuzz ] && packages+=(clang libclang-rt-14-dev)
[ "${1:-}" = --samples ] && packages+=(espeak-ng ffmpeg)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Installs the Debian packages KORIMU needs. Safe to run again; installs only what is missing.
#
#   scripts/setup.sh          what building, packaging and running need
#   scripts/setup.sh --test   that, plus what the tests and benchmarks need (./test.sh asks for it)
#   scripts/setup.sh --fuzz   that, plus clang and its fuzzer runtime (fuzz/run.sh asks for it)
#   scripts/setup.sh --ci     all of the above, plus clang-format, clang-tidy and ccache (.ci/run)
set -euo pipefail

# Building: compiler and build tools, Qt 6 Widgets (whose CMake files want the OpenGL headers),
# the PulseAudio client library, libpng (and zlib) for the PNGs the program writes, rsvg-convert
# for the icon PNGs, dpkg-shlibdeps for the package, and libsndfile for the audio formats the
# program decodes into WAV copies.
# Qt's linguist tools (lupdate, lrelease; their CMake functions come with qt6-tools-dev) compile
# the window's English catalogue.
# Running: the unifont bitmap font (unifont_jp.hex) and its OpenType form for the widgets, and
# Qt's own translations (the file dialog and standard buttons in Japanese or English).
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev libpulse-dev
  qt6-l10n-tools qt6-tools-dev
  librsvg2-bin dpkg-dev
  unifont fonts-unifont
  qt6-translations-l10n
  libpng-dev zlib1g-dev
  libsndfile1-dev
)

# Tests: GoogleTest, zlib (the golden-picture tests read PNGs), the desktop-entry, AppStream,
# man-page and Debian-package validators, a PulseAudio server for playback, and an X server with a
# window manager and the tools that drive it. Benchmarks: Google Benchmark, FFTW and sox as peers.
test_packages=(
  libgtest-dev libgmock-dev zlib1g-dev
  desktop-file-utils appstream mandoc lintian
  pulseaudio pulseaudio-utils
  xvfb openbox x11-utils xdotool imagemagick
  libbenchmark-dev libfftw3-dev sox
)

# Fuzzing (fuzz/run.sh, CI): clang with its libFuzzer runtime, and python3 for the seed corpora.
fuzz_packages=(clang libclang-rt-dev python3)

# CI (.ci/run): the formatter and the static analyser (run-clang-tidy comes with clang-tidy), and
# ccache, which makes CI's four builds of the same sources cheaper.
ci_packages=(clang-format clang-tidy ccache)

case "${1:-}" in
"") ;;
--test) packages+=("${test_packages[@]}") ;;
--fuzz) packages+=("${fuzz_packages[@]}") ;;
--ci) packages+=("${test_packages[@]}" "${fuzz_packages[@]}" "${ci_packages[@]}") ;;
*)
  echo "usage: $0 [--test | --fuzz | --ci]" >&2
  exit 2
  ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  echo "Installing: ${missing[*]}"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

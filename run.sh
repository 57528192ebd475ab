#!/usr/bin/env bash
# Builds KORIMU and starts it on the bundled demo recording.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
build="$PWD/build/release"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORIMU_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
demo="$build/demo/korimu-demo.wav"
korimu="$build/src/app/korimu"
if [ -x "$korimu" ]; then
  if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    echo "Starting $korimu $demo"
    exec "$korimu" "$demo"
  fi
  out="$build/korimu-demo-chart.png"
  "$korimu" --render "$out" --view chart "$demo"
  echo "No display: rendered the demo's chart to $out"
else
  exec "$build/tools/korimu-check" --check "$demo"
fi

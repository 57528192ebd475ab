#!/usr/bin/env bash
# Draws the README's pictures of the demo recording with the program itself: the window as it
# opens (--screenshot), the five views (--render), at the start-up defaults, and the window after
# a chart analysis with the pointer's readout shown (--screenshot --readout). Every picture in
# docs/ comes from here, and a test compares them with what the program draws now.
#
#   scripts/make-readme-pictures.sh [BUILD_DIR] [OUT_DIR]
#     BUILD_DIR  a build folder with the program and the demo recording (default build/release,
#                built as ./run.sh does when it has no program yet)
#     OUT_DIR    where the PNGs go (default docs/)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$source_dir/build/release}")
out=$(realpath -m "${2:-$source_dir/docs}")
korimu="$build/src/app/korimu"
demo="$build/demo/korimu-demo.wav"
if [ ! -x "$korimu" ] || [ ! -f "$demo" ]; then
  cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKORIMU_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" -j "$(nproc)"
fi

# The start-up defaults, the built-in font and a plain display: none of the user's settings.
work=$(mktemp -d -t korimu-pictures.XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" QT_QPA_PLATFORM=offscreen
unset KORIMU_FONT KORIMU_DISPLAY_BITS QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
mkdir -p "$out"

# NAME and the switches that draw it; the README shows each under the command line given here.
pictures=(
  "korimu-demo|--screenshot"
  "korimu-demo-chart|--render --view chart"
  "korimu-demo-level-meter|--render --view level-meter"
  "korimu-demo-spectrum-log|--render --view spectrum-log"
  "korimu-demo-spectrum-linear|--render --view spectrum-linear --line --position 1058400"
  "korimu-demo-wave-zoom|--render --view wave-zoom"
)
for picture in "${pictures[@]}"; do
  name=${picture%%|*}
  read -r -a switches <<<"${picture#*|}"
  # Written beside the picture and renamed over it only when whole.
  "$korimu" "${switches[0]}" "$out/.$name.new.png" "${switches[@]:1}" "$demo"
  mv -f "$out/.$name.new.png" "$out/$name.png"
  echo "$out/$name.png"
done

# The readout: the window's own chart run (the chart chosen in the window, as KORIMU.INI keeps it
# between starts; everything else at the defaults), the pointer over the sweep at plot pixel
# 458,177.
readout_config="$work/chart-config"
mkdir -p "$readout_config/korimu"
printf '[KORIMU]\ndisplay=1110\n' >"$readout_config/korimu/KORIMU.INI"
XDG_CONFIG_HOME="$readout_config" "$korimu" --screenshot "$out/.korimu-demo-readout.new.png" \
  --readout 458,177 "$demo"
mv -f "$out/.korimu-demo-readout.new.png" "$out/korimu-demo-readout.png"
echo "$out/korimu-demo-readout.png"

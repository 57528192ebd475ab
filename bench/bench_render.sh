#!/usr/bin/env bash
# Whole-chart runs of the batch renderer on a 10-minute 44.1 kHz 16-bit stereo recording: the
# default settings and every method at N = 1024 and N = 16384, each with its time and peak resident
# memory, next to sox's spectrogram of the same file on the same machine.
# Usage: bench/bench_render.sh [build-dir]   (a Release build is made there when needed)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench-render}
if [ ! -x "$build/src/app/korimu" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORIMU_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target korimu
fi
korimu="$build/src/app/korimu"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"  # the INI's defaults, not the user's settings

wav="$work/ten-minutes.wav"
# Pink noise with a slow sweep over it, so every analyser has something to find.
sox -n -r 44100 -b 16 -c 2 "$wav" synth 600 pinknoise synth 600 sine mix 100-8000 gain -6
echo "file: $(stat -c %s "$wav") bytes, 10 minutes of 44.1 kHz 16-bit stereo"

# Prints seconds and peak resident kilobytes of one command.
measure() {
  local label=$1
  shift
  /usr/bin/time -f "%e %M" -o "$work/time" "$@" >/dev/null 2>"$work/err" || {
    echo "$label: failed: $(tail -1 "$work/err")"
    return
  }
  read -r seconds kilobytes <"$work/time"
  printf '%-34s %8.2f s %8d KB peak RSS\n' "$label" "$seconds" "$kilobytes"
}

render() {
  measure "$1" "$korimu" --render "$work/out.png" --view chart "${@:2}" "$wav"
}

render "default (FFT, N=1024, span 262144)"
for method in fft dct dtft mem wt; do
  for order in 10 14; do
    render "$method N=2^$order" --method "$method" --block-order "$order"
  done
done
# The last seconds of the file: memory does not grow with the distance into it.
render "fft N=2^10 at the last minute" --position $((44100 * 4 * 590))
render "fft N=2^10 span 524288" --span 524288
measure "sox spectrogram -x 512 -y 257" sox "$wav" -n spectrogram -x 512 -y 257 -o "$work/sox.png"

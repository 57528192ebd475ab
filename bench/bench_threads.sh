#!/usr/bin/env bash
# Charts on every core: the wall-clock time of one chart render with --threads 1 against
# --threads N (default: the cores), run alternately, the median of each, and their ratio. The
# pictures of both must be the same bytes (the script stops when they are not).
#
#   MEM, block order 16, time resolution 1024 and 32768    target: >= 1.8 x on 2 cores
#   wavelet, DTFT (block order 12)                         target: >= 1.8 x on 2 cores
#   FFT (block order 10), DCT                              target: no slower (>= 1.0 x)
#   a batch of 8 files (MEM, block order 14): --jobs 1 --threads 1 against --jobs N --threads N,
#   and against --jobs 1 --threads N (one file at a time, its columns on every thread)
#                                                          target: >= 1.85 x on 2 cores
# Usage: bench/bench_threads.sh [build-dir] [repeats] [threads]
#   (a Release build is made there when needed)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench-threads}
repeats=${2:-5}
threads=${3:-$(nproc)}
if [ ! -x "$build/src/app/korimu" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORIMU_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target korimu
fi
korimu="$build/src/app/korimu"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"  # the INI's defaults, not the user's settings

cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')
echo "machine: $cpu, $(nproc) cores, kernel $(uname -r); threads compared: 1 and $threads"
echo "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)"
# Pink noise with a slow sweep over it, so every analyser has something to find.
sox -n -r 44100 -b 16 -c 2 "$work/ten-seconds.wav" synth 10 pinknoise synth 10 sine mix 100-8000 \
  gain -6
mkdir -p "$work/batch"
for i in 1 2 3 4 5 6 7 8; do
  sox -n -r 44100 -b 16 -c 2 "$work/batch/f$i.wav" synth 10 pinknoise synth 10 sine mix \
    $((100 * i))-8000 gain -6
done

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
seconds() {
  local start=$EPOCHREALTIME
  "$@" >/dev/null
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f\n", b - a }'
}

# Alternates the two commands; prints both medians, the speed-up and the verdict against $4.
side_by_side() {
  local label=$1 one=$2 many=$3 target=$4
  : >"$work/one" && : >"$work/many"
  for ((i = 0; i < repeats; i++)); do
    # shellcheck disable=SC2086
    seconds $one >>"$work/one"
    # shellcheck disable=SC2086
    seconds $many >>"$work/many"
  done
  awk -v l="$label" -v a="$(median <"$work/one")" -v b="$(median <"$work/many")" -v t="$target" \
    'BEGIN { r = a / b; printf "%-34s 1 thread %8.3f s   %s %8.3f s   speed-up %5.2f  %s\n", l, a,
      "many", b, r, (r >= t) ? "ok" : "UNDER (target " t ")" }'
}

chart() {  # label, target, options...
  local label=$1 target=$2
  shift 2
  local options="--render $work/out.png --view chart $* $work/ten-seconds.wav"
  "$korimu" ${options/out.png/one.png} --threads 1
  "$korimu" ${options/out.png/many.png} --threads "$threads"
  cmp -s "$work/one.png" "$work/many.png" || { echo "$label: the pictures differ" >&2; exit 1; }
  side_by_side "$label" "$korimu $options --threads 1" "$korimu $options --threads $threads" \
    "$target"
}

echo
echo "wall-clock time of one 10 s chart, median of $repeats alternating runs"
chart "MEM order 16, step 1024" 1.8 --method mem --block-order 16 --time-resolution 1024
chart "MEM order 16, step 32768" 1.8 --method mem --block-order 16 --time-resolution 32768
chart "wavelet" 1.8 --method wt
chart "DTFT order 12" 1.8 --method dtft --block-order 12
chart "FFT order 10" 1.0 --method fft --block-order 10
chart "DCT order 10" 1.0 --method dct --block-order 10

echo
echo "a batch of 8 files of 10 s, MEM block order 14, median of $repeats alternating runs"
batch="--render $work/out/ --view chart --method mem --block-order 14 $work/batch/*.wav"
side_by_side "--jobs $threads --threads $threads" "$korimu $batch --jobs 1 --threads 1" \
  "$korimu $batch --jobs $threads --threads $threads" 1.85
side_by_side "--jobs 1 --threads $threads" "$korimu $batch --jobs 1 --threads 1" \
  "$korimu $batch --jobs 1 --threads $threads" 1.85

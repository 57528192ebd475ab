#!/usr/bin/env bash
# The batch renderer against sox, and its memory.
#
# 1. Whole-process CPU time of
#      korimu --render x.png --plot-only --view chart --method fft --block-order 9 --span 524288
#    against sox's spectrogram of the same 10 seconds,
#      sox FILE -n trim 0 10 spectrogram -x 512 -y 257 -o s.png,
#    on a 10-second file and on a 10-minute file (44.1 kHz 16-bit stereo), run alternately, the
#    median of each. Target: korimu <= 0.45 x sox.
# 2. The whole 10-minute file as one chart (--span whole) against the 524288-frame chart of the
#    same file (target: at most 2 x; the columns are read by seeking) and against sox's
#    spectrogram of the whole file, sox FILE -n spectrogram -x 512 -y 257 -o s.png.
#    The whole file's overview strip: the same whole render with the strip (it reads every sample
#    of the file, since each column shows the extremes of all its samples) against --plot-only,
#    which draws no strip.
#    The wavelet and MEM whole-file charts against their 524288-frame charts: a chart wider than
#    524288 frames analyses 512 blocks, one a column, where the 524288-frame chart analyses one
#    block a step (8 wavelet blocks of 65536 frames; 128 MEM blocks of 4096 frames at the default
#    step), so the expected ratios are about 64 and 4. The wavelet runs take about a minute each:
#    they are repeated `wt_repeats` times (default 3).
# 3. Start-up: korimu --version against sox --version (for reference; no Qt is loaded).
# 4. Peak resident memory of whole-chart renders of every method at the default settings, on the
#    10-second and the 10-minute file and at the 10-minute file's last minute. Target: < 32 MB.
# Usage: bench/bench_render.sh [build-dir] [repeats] [wt_repeats]
#   (a Release build is made there when needed)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench-render}
repeats=${2:-7}
wt_repeats=${3:-3}
if [ ! -x "$build/src/app/korimu" ] || [ ! -x "$build/bench/korimu-process-cost" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORIMU_BUILD_TESTS=OFF \
    -DKORIMU_BUILD_BENCH=ON >/dev/null
  cmake --build "$build" -j2 --target korimu korimu-process-cost
fi
korimu="$build/src/app/korimu"
cost="$build/bench/korimu-process-cost"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"  # the INI's defaults, not the user's settings

# The machine, so that every figure copied from here can name it.
cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')
memory=$(awk '/^MemTotal:/ { printf "%.1f GB", $2 / 1048576 }' /proc/meminfo)
system=$(. /etc/os-release && echo "$PRETTY_NAME")
compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt")
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
echo "machine: $cpu, $(nproc) cores, $memory memory, $system, kernel $(uname -r)"
echo "build: $build_type, $("$compiler" --version | head -1)"
echo "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "sox: $(sox --version | sed 's/.*SoX //')"
# Pink noise with a slow sweep over it, so every analyser has something to find.
sox -n -r 44100 -b 16 -c 2 "$work/ten-seconds.wav" synth 10 pinknoise synth 10 sine mix 100-8000 \
  gain -6
sox -n -r 44100 -b 16 -c 2 "$work/ten-minutes.wav" synth 600 pinknoise synth 600 sine mix \
  100-8000 gain -6

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# Alternates two commands `repeats` times; prints both medians (ms) and their ratio, against a
# target ratio ($4, none when empty); $5 names the second command (sox unless given).
side_by_side() {
  local label=$1 ours=$2 theirs=$3 peer=${5:-sox} times=${6:-$repeats}
  : >"$work/ours" && : >"$work/theirs"
  for ((i = 0; i < times; i++)); do
    $cost $ours | cut -d' ' -f1 >>"$work/ours"
    $cost $theirs | cut -d' ' -f1 >>"$work/theirs"
  done
  local a b
  a=$(median <"$work/ours")
  b=$(median <"$work/theirs")
  awk -v l="$label" -v a="$a" -v b="$b" -v t="$4" -v p="$peer" 'BEGIN {
    verdict = (t == "") ? "" : (a / b <= t) ? "ok" : "OVER (target " t ")"
    printf "%-30s korimu %8.1f ms   %s %8.1f ms   ratio %6.2f  %s\n", l, a * 1000, p, b * 1000,
      a / b, verdict }'
}

echo
echo "CPU time, median of $repeats alternating runs"
for file in ten-seconds ten-minutes; do
  wav="$work/$file.wav"
  side_by_side "chart of 10 s ($file file)" \
    "$korimu --render $work/k.png --plot-only --view chart --method fft --block-order 9 --span 524288 $wav" \
    "sox $wav -n trim 0 10 spectrogram -x 512 -y 257 -o $work/s.png" 0.45
done
long="$work/ten-minutes.wav"
whole="$korimu --render $work/k.png --plot-only --view chart --method fft --block-order 9 --span whole $long"
side_by_side "whole 10 min vs 524288 chart" "$whole" \
  "$korimu --render $work/k.png --plot-only --view chart --method fft --block-order 9 --span 524288 $long" \
  2 "korimu 524288"
side_by_side "whole 10 min vs sox whole" "$whole" \
  "sox $long -n spectrogram -x 512 -y 257 -o $work/s.png" ""
side_by_side "whole 10 min: strip vs none" "$korimu --render $work/k.png --view chart --method fft --block-order 9 --span whole $long" \
  "$whole" "" "korimu --plot-only"
for method in mem wt; do
  times=$repeats
  [ "$method" = wt ] && times=$wt_repeats
  side_by_side "$method whole vs 524288 (10 min)" \
    "$korimu --render $work/k.png --plot-only --view chart --method $method --span whole $long" \
    "$korimu --render $work/k.png --plot-only --view chart --method $method --span 524288 $long" \
    "" "korimu 524288" "$times"
done
side_by_side "start-up (--version)" "$korimu --version" "sox --version" ""

echo
echo "Peak resident memory of whole-chart renders (default settings)"
over=0
rss() {
  local label=$1
  shift
  local kb
  kb=$($cost "$korimu" --render "$work/out.png" --view chart "$@" | cut -d' ' -f2)
  printf '%-40s %8d KB  %s\n' "$label" "$kb" "$([ "$kb" -lt 32768 ] && echo ok || echo 'OVER 32 MB')"
  [ "$kb" -lt 32768 ] || over=1
}
for method in fft dct dtft mem wt; do
  rss "$method, 10-second file" --method "$method" "$work/ten-seconds.wav"
  rss "$method, 10-minute file" --method "$method" "$work/ten-minutes.wav"
done
rss "fft, 10-minute file, last minute" --position $((44100 * 4 * 590)) "$work/ten-minutes.wav"
rss "fft, 10-minute file, span 524288" --span 524288 "$work/ten-minutes.wav"
rss "fft N=2^16, 10-minute file" --block-order 16 "$work/ten-minutes.wav"
echo
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $over

#!/usr/bin/env bash
# The waveform of a 10-minute 44.1 kHz stereo clip: time from opening to the
# first drawing of its peaks (median of several fresh runs, the clip in the
# page cache as it is right after an import), the same with the peaks already
# cached, the cache's memory per minute of audio, and the paint at every zoom
# from the whole clip down to the closest view (aim: the first draw stays
# under 100 ms at every zoom).
#   bench/waveform.sh [BUILD_DIR] [RUNS]    (defaults: build, 5)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}; runs=${2:-5}
[ -f "$build/CMakeCache.txt" ] || tools/build.sh "$build" >/dev/null
cmake --build "$build" --target bench_waveform -j2 >/dev/null
bin="$build/bin/bench_waveform"
command -v sox >/dev/null || { echo "sox is needed (tools/deps.sh)" >&2; exit 1; }

tmp=$(mktemp -d /tmp/waveform-bench.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
clip=$tmp/clip.wav
sox -n -r 44100 -c 2 -b 16 "$clip" synth 600 sine 440 sine 660-1320 pinknoise vol 0.3 remix 1,3 2,3 2>/dev/null
cat "$clip" >/dev/null # in the page cache, as a freshly imported clip is

median() { sort -n | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }
first=(); cpu=(); cached=(); worst=()
for r in $(seq 1 "$runs"); do
  mapfile -t out < <("$bin" "$clip")
  first+=("${out[0]}"); cpu+=("${out[1]}"); cached+=("${out[2]}"); bytes=${out[3]}; minutes=${out[4]}
  worst+=("${out[6]}")
  echo "run $r: first draw ${out[0]} ms (${out[1]} ms of processor time), cached ${out[2]} ms"
  echo "       paint per zoom (factor:ms): ${out[5]}; first draw at the slowest zoom ${out[6]} ms"
done
echo "clip: ${minutes} min, $(stat -c %s "$clip") bytes"
echo "time to first draw : $(printf '%s\n' "${first[@]}" | median) ms (median of $runs; aim: well under 1000 ms)"
echo "  processor time   : $(printf '%s\n' "${cpu[@]}" | median) ms (what a busy machine does not inflate)"
echo "draw from the cache: $(printf '%s\n' "${cached[@]}" | median) ms"
echo "first draw at the slowest zoom: $(printf '%s\n' "${worst[@]}" | median) ms (aim: under 100 ms)"
awk -v b="$bytes" -v m="$minutes" 'BEGIN { printf "cache memory       : %d bytes, %.1f KiB per minute of audio\n", b, b / m / 1024 }'
echo "@row | Waveform of a 10-minute stereo clip: first draw (cache $(awk -v b="$bytes" -v m="$minutes" 'BEGIN { printf "%.1f KiB", b / m / 1024 }') per minute of audio) | $(printf '%s\n' "${first[@]}" | median) ms | – | – | | |"
echo "@row | Waveform of a 10-minute stereo clip: first draw at the slowest zoom (aim under 100 ms) | $(printf '%s\n' "${worst[@]}" | median) ms | – | – | | |"

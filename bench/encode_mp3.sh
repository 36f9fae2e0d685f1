#!/usr/bin/env bash
# Encodes a 3-minute 44.1 kHz stereo WAV at 128 kbit/s through Mp3Enc
# (bench_encode) and with `lame -b 128`, alternating, several runs; prints
# the median wall times of the whole processes and the ratio Mp3Enc / lame.
#   bench/encode_mp3.sh [BUILD_DIR] [RUNS]    (defaults: build, 5)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-5}
driver=$build/bin/bench_encode
if [ ! -x "$driver" ]; then
  echo "building bench_encode in $build"
  cmake --build "$build" --target bench_encode >/dev/null
fi
for t in sox lame; do command -v "$t" >/dev/null || { echo "$t is needed" >&2; exit 1; }; done

tmp=$(mktemp -d /tmp/clipforge-bench.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
wav=$tmp/song.wav
# Music-like material: two tones, a sweep and some noise, 180 s.
sox -n -r 44100 -c 2 -b 16 "$wav" synth 180 sine 440 sine 660-1320 pinknoise vol 0.3 remix 1,3 2,3 2>/dev/null \
  || sox -n -r 44100 -c 2 -b 16 "$wav" synth 180 pinknoise vol 0.3

now() { date +%s%N; }
median() { sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }

ours=(); theirs=(); inner=()
for i in $(seq "$runs"); do
  t0=$(now); ms=$("$driver" "$wav" "$tmp/ours.mp3" 128); t1=$(now)
  ours+=($(( (t1 - t0) / 1000000 ))); inner+=("$ms")
  t0=$(now); lame --quiet -b 128 "$wav" "$tmp/lame.mp3"; t1=$(now)
  theirs+=($(( (t1 - t0) / 1000000 )))
  echo "run $i: Mp3Enc ${ours[-1]} ms (start to Finished ${ms} ms), lame ${theirs[-1]} ms"
done
mo=$(printf '%s\n' "${ours[@]}" | median)
ml=$(printf '%s\n' "${theirs[@]}" | median)
mi=$(printf '%s\n' "${inner[@]}" | median)
echo "median Mp3Enc (process): $mo ms; start to Finished: $mi ms"
echo "median lame -b 128:      $ml ms"
awk -v a="$mo" -v b="$ml" 'BEGIN { printf "ratio Mp3Enc / lame: %.3f\n", a / b }'
echo "sizes: Mp3Enc $(stat -c %s "$tmp/ours.mp3") bytes, lame $(stat -c %s "$tmp/lame.mp3") bytes"

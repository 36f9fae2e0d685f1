#!/usr/bin/env bash
# The beats of a 3-minute 44.1 kHz stereo song of known structure (128 BPM,
# drums throughout) with findBeats (bench_analysis beats) and with `aubio
# beat`, alternating, several runs: median wall times of the whole
# processes, their ratio (aim: at most 1.0), and how many beats each found.
#   bench/beats.sh [BUILD_DIR] [RUNS]    (defaults: build, 5)
source "$(dirname "$0")/lib.sh"
bench_init "${1:-build}" bench_analysis
runs=${2:-5}
need aubio

song=$tmp/song.wav
make_song "$song" IVCVCBCVCO 128

ours() { timed "$bin/bench_analysis" beats "$song"; echo "$timed_ms $timed_out"; }
reference() { aubio beat "$song" >"$tmp/aubio.txt"; }
side_by_side "$runs"
echo "median findBeats (process): $ours_median ms, in process $(field_median 2) ms, $(field_median 3) beats"
echo "median aubio beat:          $ref_median ms, $(wc -l <"$tmp/aubio.txt") beats"
echo "ratio: $(ratio "$ours_median" "$ref_median") (aim: at most 1.0)"
table_row "Beats of a 3-min 44.1 kHz stereo song (process) vs aubio beat" "$ours_median" "$ref_median" \
  "$(resources "$bin/bench_analysis" beats "$song")" "$(resources aubio beat "$song")"

#!/usr/bin/env bash
# Encodes a 3-minute 44.1 kHz stereo WAV at 128 kbit/s through Mp3Enc
# (bench_encode) and with `lame -b 128`, alternating, several runs; prints
# the median wall times of the whole processes and the ratio Mp3Enc / lame.
#   bench/encode_mp3.sh [BUILD_DIR] [RUNS]    (defaults: build, 5)
source "$(dirname "$0")/lib.sh"
bench_init "${1:-build}" bench_encode
runs=${2:-5}
need sox lame

wav=$tmp/song.wav
make_music "$wav" 180

ours() { timed "$bin/bench_encode" "$wav" "$tmp/ours.mp3" 128; echo "$timed_ms $timed_out"; }
reference() { lame --quiet -b 128 "$wav" "$tmp/lame.mp3"; }
side_by_side "$runs"
echo "median Mp3Enc (process): $ours_median ms; start to Finished: $(field_median 2) ms"
echo "median lame -b 128:      $ref_median ms"
echo "ratio Mp3Enc / lame: $(ratio "$ours_median" "$ref_median")"
echo "sizes: Mp3Enc $(stat -c %s "$tmp/ours.mp3") bytes, lame $(stat -c %s "$tmp/lame.mp3") bytes"
table_row "MP3 encoding, 3 min WAV at 128 kbit/s (process) vs lame -b 128" "$ours_median" "$ref_median" \
  "$(resources "$bin/bench_encode" "$wav" "$tmp/ours.mp3" 128)" "$(resources lame --quiet -b 128 "$wav" "$tmp/lame.mp3")"

#!/usr/bin/env bash
# Measures the EBU R128 loudness and true peak of a 3-minute 44.1 kHz stereo
# WAV with the loudness edit's meter (bench_loudness) and with ffmpeg's
# ebur128 filter, alternating, several runs; prints the median wall times of
# the whole processes and the ratio ours / ffmpeg, and both readings.
#   bench/loudness.sh [BUILD_DIR] [RUNS]    (defaults: build, 5)
source "$(dirname "$0")/lib.sh"
bench_init "${1:-build}" bench_loudness
runs=${2:-5}
need sox ffmpeg

wav=$tmp/song.wav
make_music "$wav" 180

ffmpeg_meter() { ffmpeg -nostats -hide_banner -i "$wav" -af ebur128=peak=true -f null - 2>&1; }
ours() { timed "$bin/bench_loudness" "$wav"; echo "$timed_ms $timed_out"; }
reference() { ffmpeg_meter >/dev/null; }
side_by_side "$runs"
summary=$(ffmpeg_meter | sed -n '/Summary:/,$p')
echo "median ours (process): $ours_median ms; measurement alone: $(field_median 2) ms"
echo "median ffmpeg -af ebur128=peak=true: $ref_median ms"
echo "ratio ours / ffmpeg: $(ratio "$ours_median" "$ref_median")"
echo "ours: $(field_median 3) LUFS, true peak $(field_median 4) dBTP;" \
     "ffmpeg: $(awk '$1 == "I:" { print $2 }' <<<"$summary") LUFS, true peak $(awk '$1 == "Peak:" { print $2 }' <<<"$summary") dBTP"
table_row "Loudness and true peak, 3 min WAV (process) vs ffmpeg -af ebur128=peak=true" "$ours_median" "$ref_median" \
  "$(resources "$bin/bench_loudness" "$wav")" "$(resources ffmpeg -nostats -i "$wav" -af ebur128=peak=true -f null -)"

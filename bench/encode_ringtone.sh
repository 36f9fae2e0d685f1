#!/usr/bin/env bash
# Saves a 5-minute joined list (10 clips of 30 s, 44.1 kHz stereo 16-bit)
# as an M4R through the ringtone encoder (bench_ringtone) against
# `ffmpeg -c:a aac -b:a 256k`, and as Opus against `opusenc --bitrate 128`,
# alternating, several runs; prints the medians and a table line for each.
#   bench/encode_ringtone.sh [BUILD_DIR] [RUNS]    (defaults: build, 5)
source "$(dirname "$0")/lib.sh"
bench_init "${1:-build}" bench_ringtone
runs=${2:-5}
need sox ffmpeg opusenc

clips=()
for i in $(seq 10); do
  make_music "$tmp/clip$i.wav" 30
  clips+=("$tmp/clip$i.wav")
done
wav=$tmp/concat.wav
sox "${clips[@]}" "$wav"
rm -f "${clips[@]}"

# compare FORMAT TASK REFERENCE_COMMAND...: ours into $tmp/ours.FORMAT, the
# reference as given.
compare() {
  local format=$1 task=$2; shift 2
  local -a ref=("$@")
  ours() { timed "$bin/bench_ringtone" "$wav" "$tmp/ours.$format" "$format"; echo "$timed_ms $timed_out"; }
  reference() { "${ref[@]}" >/dev/null 2>&1; }
  side_by_side "$runs"
  echo "$format: median ours (process) $ours_median ms (save alone $(field_median 2) ms), reference $ref_median ms," \
       "ratio $(ratio "$ours_median" "$ref_median"); sizes: ours $(stat -c %s "$tmp/ours.$format") bytes"
  table_row "$task" "$ours_median" "$ref_median" \
    "$(resources "$bin/bench_ringtone" "$wav" "$tmp/ours.$format" "$format")" "$(resources "${ref[@]}")"
}
compare m4r "Ringtone M4R (AAC 256 kbit/s), 5 min joined list vs ffmpeg -c:a aac -b:a 256k" \
  ffmpeg -v error -y -i "$wav" -c:a aac -b:a 256k "$tmp/ffmpeg.m4a"
compare opus "Ringtone Opus 128 kbit/s, 5 min joined list vs opusenc --bitrate 128" \
  opusenc --quiet --bitrate 128 "$wav" "$tmp/opusenc.opus"

#!/usr/bin/env bash
# "Save The List to MP3" of ten 30-second clips end to end (join, Mp3Enc at
# 128 kbit/s, up to the finished handler's message) next to sox joining the
# same clips piped into `lame -b 128`, several runs; medians, ratio and the
# peak memory.
#   bench/export_list.sh [BUILD_DIR] [RUNS]    (defaults: build, 5)
source "$(dirname "$0")/lib.sh"
bench_init "${1:-build}" bench_listexport
runs=${2:-5}
need sox lame ffprobe

clips=()
for i in $(seq 1 10); do
  if (( i % 2 )); then make_tone "$tmp/clip$i.wav" 30 $((200 + 40 * i)); else make_speech "$tmp/clip$i.wav" 30; fi
  clips+=("$tmp/clip$i.wav")
done
# The export is timed inside the driver, from the click to the message.
ours() { timed "$bin/bench_listexport" "$tmp/ours.mp3" "${clips[@]}"; echo "$timed_out $timed_ms"; }
reference() { sox "${clips[@]}" -t wav - | lame --quiet -b 128 - "$tmp/ref.mp3"; }
side_by_side "$runs"
seconds() { ffprobe -v error -show_entries format=duration -of default=nw=1:nk=1 "$1"; }
echo "median export: $ours_median ms (whole driver run: $(field_median 2) ms); sox piped into lame: $ref_median ms"
echo "ratio export / (sox piped into lame): $(ratio "$ours_median" "$ref_median")"
echo "lengths: ours $(seconds "$tmp/ours.mp3") s, reference $(seconds "$tmp/ref.mp3") s"
table_row "List export of 10 × 30 s clips as MP3 128 kbit/s (in process) vs sox piped into lame -b 128" \
  "$ours_median" "$ref_median" "$(resources "$bin/bench_listexport" "$tmp/ours.mp3" "${clips[@]}")" \
  "$(resources sh -c 'sox "$@" -t wav - | lame --quiet -b 128 - "$0"' "$tmp/ref.mp3" "${clips[@]}")"

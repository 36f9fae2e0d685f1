#!/usr/bin/env bash
# Import of a 4-minute FLAC, a 4-minute AAC .m4a and the sound of a 4-minute
# MP4 video as clips (Add New, decoded under the busy window, in process)
# next to `ffmpeg -i FILE -f wav OUT` of the same file (a whole process),
# several runs: medians, ratio, peak memory against that of a 20-second
# song of the same format (flat: the decode streams).
#   bench/import_formats.sh [BUILD_DIR] [RUNS]    (defaults: build, 5)
source "$(dirname "$0")/lib.sh"
bench_init "${1:-build}" bench_import bass_media
runs=${2:-5}
need sox ffmpeg

make_music "$tmp/music.wav" 240
sox "$tmp/music.wav" "$tmp/short.wav" trim 0 20
# name|ffmpeg output options|what
formats=(
  "song.flac|-c:a flac|FLAC"
  "song.m4a|-c:a aac -b:a 256k|AAC .m4a 256 kbit/s"
  "video.mp4|-c:v mpeg4 -q:v 10 -c:a aac -b:a 192k|MP4 video (320x240 MPEG-4, AAC 192 kbit/s), its sound"
)
for row in "${formats[@]}"; do
  IFS='|' read -r name options what <<<"$row"
  for length in music short; do
    video=()
    [[ $name == *.mp4 ]] && video=(-f lavfi -i "testsrc=s=320x240:r=25:d=$(soxi -D "$tmp/$length.wav")")
    # shellcheck disable=SC2086 # the options are words
    ffmpeg -v error "${video[@]}" -i "$tmp/$length.wav" $options "$tmp/$length-$name"
  done
  song=$tmp/music-$name
  short_peak=$("$bin/bench_import" "$tmp/short-$name" | awk '{ print $4 }')
  ours() { timed "$bin/bench_import" "$song"; echo "$timed_out"; }
  reference() { ffmpeg -v error -y -i "$song" -f wav "$tmp/ref.wav"; }
  echo "== $what ($(stat -c %s "$song") bytes)"
  side_by_side "$runs"
  peak=$(field_median 4)
  echo "median import: $ours_median ms; ffmpeg -f wav: $ref_median ms; ratio $(ratio "$ours_median" "$ref_median") (aim: at most 1.0)"
  echo "peak memory: $peak KiB; importing a 20 s song: $short_peak KiB"
  table_row "Import of a 4 min $what (in process; a 20 s one peaks at $(mib "$short_peak")) vs ffmpeg -f wav" \
    "$ours_median" "$ref_median" "$(resources "$bin/bench_import" "$song")" "$(resources ffmpeg -v error -y -i "$song" -f wav "$tmp/ref.wav")"
done

#!/usr/bin/env bash
# Import of a 3-minute 44.1 kHz stereo 192 kbit/s MP3 as a clip (Add New,
# decoded under the busy window) next to `mpg123 -w` of the same file, for
# a lame-encoded song and an ffmpeg-encoded speech-like one, several runs:
# medians, ratio, the busy window timer's worst lateness, and the peak
# memory against that of a 20-second song (flat: the decode streams).
#   bench/import_mp3.sh [BUILD_DIR] [RUNS]    (defaults: build, 5)
source "$(dirname "$0")/lib.sh"
bench_init "${1:-build}" bench_import
runs=${2:-5}
need sox lame ffmpeg mpg123

make_music "$tmp/music.wav" 180
lame --quiet -b 192 "$tmp/music.wav" "$tmp/music.mp3"
make_speech "$tmp/speech.wav" 180
ffmpeg -v error -i "$tmp/speech.wav" -c:a libmp3lame -b:a 192k "$tmp/speech.mp3"
sox "$tmp/music.wav" "$tmp/short.wav" trim 0 20
lame --quiet -b 192 "$tmp/short.wav" "$tmp/short.mp3"

# bench_import prints: ms, worst lateness ms, ticks, peak KiB, RSS at the
# first tick KiB, largest RSS at a tick KiB. The decode takes less than the
# busy window's 500 ms interval here, so its timer ticks every 50 ms, to
# sample how late the events run all through the decode.
tick=50
short_peak=$("$bin/bench_import" "$tmp/short.mp3" | awk '{ print $4 }')
for kind in music speech; do
  mp3=$tmp/$kind.mp3
  ours() { timed "$bin/bench_import" "$mp3" "$tick"; echo "$timed_out"; }
  reference() { mpg123 -q -w "$tmp/ref.wav" "$mp3"; }
  echo "== $kind ($(stat -c %s "$mp3") bytes)"
  side_by_side "$runs"
  late=$(field_max 2); peak=$(field_median 4)
  echo "median import: $ours_median ms; mpg123 -w: $ref_median ms; ratio $(ratio "$ours_median" "$ref_median") (aim: at most 1.0)"
  echo "busy window timer at $tick ms: worst lateness $late ms over all runs (aim: at most 100 ms), $(field_median 3) ticks"
  echo "peak memory: $peak KiB; importing a 20 s song: $short_peak KiB;" \
       "resident at the first tick $(field_median 5) KiB, at most $(field_median 6) KiB at a later tick"
  table_row "MP3 import, 3 min 192 kbit/s $kind (in process; busy timer worst late $late ms; a 20 s song peaks at $(mib "$short_peak")) vs mpg123 -w" \
    "$ours_median" "$ref_median" "$(resources "$bin/bench_import" "$mp3" "$tick")" "$(resources mpg123 -q -w "$tmp/ref.wav" "$mp3")"
done

#!/usr/bin/env bash
# The command line's batch: eight 4-minute MP3 songs of known structure made
# into M4R ringtones on their chorus at the ringtone loudness, two songs at a
# time (-j 2), against the same work done by the command line one song at a
# time (make, one process per song). The aim is at most 0.6x: the two cores
# used.
#   bench/cli_batch.sh [BUILD_DIR] [RUNS]    (defaults: build, 5)
source "$(dirname "$0")/lib.sh"
bench_init "${1:-build}" orvane-clipforge-cli bench_analysis
runs=${2:-5}
need lame soxi

mkdir -p "$tmp/songs" "$tmp/batch" "$tmp/single"
for bpm in 100 102 104 106 108 110 112 114; do
  make_song "$tmp/song.wav" IVCVCBCVCVCBCO "$bpm"
  lame --quiet -b 192 "$tmp/song.wav" "$tmp/songs/song$bpm.mp3"
done
rm -f "$tmp/song.wav"
cat "$tmp"/songs/*.mp3 >/dev/null

cli=$bin/orvane-clipforge-cli
batch_all() { "$cli" batch "$tmp/songs" --out-dir "$tmp/batch" --chorus --normalize -j 2 --force >/dev/null; }
one_by_one() {
  local s
  for s in "$tmp"/songs/*.mp3; do
    "$cli" make "$s" -o "$tmp/single/$(basename "$s" .mp3).m4r" --chorus --normalize --force
  done
}
ours() { timed batch_all; echo "$timed_ms"; }
reference() { one_by_one; }

side_by_side "$runs"
for d in batch single; do
  made=$(ls "$tmp/$d" | wc -l)
  [ "$made" -eq 8 ] || { echo "$d made $made ringtones, not 8" >&2; exit 1; }
done
ours_res=$(resources bash -c "$(declare -f batch_all); cli=$cli tmp=$tmp batch_all")
ref_res=$(resources bash -c "$(declare -f one_by_one); cli=$cli tmp=$tmp one_by_one")
echo "songs: $(soxi -D "$tmp"/songs/*.mp3 | awk '{ s += $1 } END { printf "%.0f", s }') s in all; ratio aim: at most 0.6"
table_row "CLI batch of 8 four-minute MP3s to M4R, --chorus --normalize -j 2 (aim ≤ 0.6×)" \
          "$ours_median" "$ref_median" "$ours_res" "$ref_res"

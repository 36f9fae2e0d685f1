#!/usr/bin/env bash
# Joins and saves ten 30-second clips (44.1 kHz stereo 16-bit) the way
# "Save The List to Wav" does, next to `cat` of the same files into one, in
# one run: median wall times of several rounds, their ratio, and the peak
# memory of the join against the largest clip's audio plus 16 MiB.
#   bench/join_wav.sh [BUILD_DIR] [ROUNDS]    (defaults: build, 7)
source "$(dirname "$0")/lib.sh"
bench_init "${1:-build}" bench_join
rounds=${2:-7}
need sox

work="$tmp/cache/orvane"; mkdir -p "$work" "$tmp/out"
clips=(); files=()
for i in $(seq 1 10); do
  make_tone "$work/clip $i.wav" 30 $((200 + 40 * i))
  clips+=("clip $i"); files+=("$work/clip $i.wav")
done

# The join's own time is measured inside the driver (the program joins in its
# running process); the driver's whole run, start-up included, is shown too.
# The save syncs the new file before putting it in place, so `cat` followed
# by a sync of its output is timed as well, for a like-for-like figure.
ours() {
  timed "$bin/bench_join" "$tmp" "$tmp/out/joined.wav" "${clips[@]}"
  awk -v u="$timed_out" -v p="$timed_ms" 'BEGIN { printf "%.1f %s\n", u / 1000, p }'
}
reference() { cat "${files[@]}" > "$tmp/out/cat.wav"; }
side_by_side "$rounds"
jm=$ours_median; cm=$ref_median; pm=$(field_median 2)
reference() { cat "${files[@]}" > "$tmp/out/catsync.wav"; sync "$tmp/out/catsync.wav"; }
side_by_side "$rounds" >/dev/null
sm=$ref_median
cmp -s <(tail -c +45 "$tmp/out/joined.wav") <(for f in "${files[@]}"; do tail -c +45 "$f"; done) ||
  { echo "the joined audio differs from the clips' audio" >&2; exit 1; }

join_res=$(resources "$bin/bench_join" "$tmp" "$tmp/out/joined.wav" "${clips[@]}"); join_kb=${join_res%% *}
cat_res=$(resources cat "${files[@]}"); cat_kb=${cat_res%% *}
largest=$(for f in "${files[@]}"; do echo $(( $(stat -c %s "$f") - 44 )); done | sort -n | tail -1)
limit_kb=$(( (largest + 16 * 1024 * 1024) / 1024 ))

echo "ten 30 s clips, $(stat -c %s "$tmp/out/joined.wav") bytes joined, ${rounds} rounds (medians)"
echo "join + save : $jm ms (whole driver run with its start-up: $pm ms)"
echo "cat         : $cm ms"
echo "cat + sync  : $sm ms"
echo "ratio       : $(ratio "$jm" "$cm")x against cat (aim: at most 1.5x)"
echo "ratio       : $(ratio "$jm" "$sm")x against cat + sync"
echo "peak memory : join ${join_kb} KiB, cat ${cat_kb} KiB; bound ${limit_kb} KiB (largest clip audio + 16 MiB)"
table_row "WAV join + save of 10 × 30 s clips (in process) vs cat" "$jm" "$cm" "$join_res" "$cat_res"
table_row "WAV join + save of 10 × 30 s clips (in process) vs cat + sync of its output" "$jm" "$sm" "$join_res" "$cat_res"

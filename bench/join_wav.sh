#!/usr/bin/env bash
# Joins and saves ten 30-second clips (44.1 kHz stereo 16-bit) the way
# "Save The List to Wav" does, next to `cat` of the same files into one, in
# one run: median wall times of several rounds, their ratio, and the peak
# memory of the join against the largest clip's audio plus 16 MiB.
#   bench/join_wav.sh [BUILD_DIR] [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-join}; rounds=${2:-7}
[ -f "$build/CMakeCache.txt" ] || tools/build.sh "$build" >/dev/null
cmake --build "$build" --target bench_join -j2 >/dev/null
bin="$build/bin/bench_join"
command -v sox >/dev/null || { echo "sox is needed (tools/deps.sh)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is needed (package time)" >&2; exit 1; }

root=$(mktemp -d /tmp/join-bench.XXXXXX)
trap 'rm -rf "$root"' EXIT
work="$root/cache/orvane"; mkdir -p "$work" "$root/out"
clips=(); files=()
for i in $(seq 1 10); do
  sox -n -r 44100 -c 2 -b 16 "$work/clip $i.wav" synth 30 sine $((200 + 40 * i)) vol 0.5 2>/dev/null
  clips+=("clip $i"); files+=("$work/clip $i.wav")
done

ns() { date +%s%N; }
median() { sort -n | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }
# The join's own time is measured inside the driver (the program joins in its
# running process); the driver's whole run, start-up included, is shown too.
# The save syncs the new file before putting it in place, so `cat` followed
# by a sync of its output is timed as well, for a like-for-like figure.
join_t=(); proc_t=(); cat_t=(); catsync_t=()
for r in $(seq 1 "$rounds"); do
  t0=$(ns); us=$("$bin" "$root" "$root/out/joined.wav" "${clips[@]}"); t1=$(ns)
  cat "${files[@]}" > "$root/out/cat.wav"; t2=$(ns)
  cat "${files[@]}" > "$root/out/catsync.wav"; sync "$root/out/catsync.wav"; t3=$(ns)
  join_t+=("$us"); proc_t+=($(( (t1 - t0) / 1000 ))); cat_t+=($(( (t2 - t1) / 1000 ))); catsync_t+=($(( (t3 - t2) / 1000 )))
done
cmp -s <(tail -c +45 "$root/out/joined.wav") <(for f in "${files[@]}"; do tail -c +45 "$f"; done) ||
  { echo "the joined audio differs from the clips' audio" >&2; exit 1; }
jm=$(printf '%s\n' "${join_t[@]}" | median); pm=$(printf '%s\n' "${proc_t[@]}" | median)
cm=$(printf '%s\n' "${cat_t[@]}" | median); sm=$(printf '%s\n' "${catsync_t[@]}" | median)

rss() { /usr/bin/time -v "$@" 2>&1 >/dev/null | awk -F: '/Maximum resident set size/ {gsub(/ /, "", $2); print $2}'; }
join_kb=$(rss "$bin" "$root" "$root/out/joined.wav" "${clips[@]}")
cat_kb=$(rss sh -c 'cat "$@" > "'"$root"'/out/cat.wav"' sh "${files[@]}")
largest=$(for f in "${files[@]}"; do echo $(( $(stat -c %s "$f") - 44 )); done | sort -n | tail -1)
limit_kb=$(( (largest + 16 * 1024 * 1024) / 1024 ))
size=$(stat -c %s "$root/out/joined.wav")

echo "ten 30 s clips, ${size} bytes joined, ${rounds} rounds (medians)"
echo "join + save : $(awk -v u="$jm" -v p="$pm" 'BEGIN {printf "%.1f ms (whole driver run with its start-up: %.1f ms)", u / 1000, p / 1000}')"
echo "cat         : $(awk -v u="$cm" 'BEGIN {printf "%.1f ms", u / 1000}')"
echo "cat + sync  : $(awk -v u="$sm" 'BEGIN {printf "%.1f ms", u / 1000}')"
echo "ratio       : $(awk -v a="$jm" -v b="$cm" 'BEGIN {printf "%.2fx against cat (aim: at most 1.5x)", a / b}')"
echo "ratio       : $(awk -v a="$jm" -v b="$sm" 'BEGIN {printf "%.2fx against cat + sync", a / b}')"
echo "peak memory : join ${join_kb} KiB, cat ${cat_kb} KiB; bound ${limit_kb} KiB (largest clip audio + 16 MiB)"

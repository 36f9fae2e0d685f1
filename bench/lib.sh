# Shared by the benchmark scripts (sourced, not run): building the drivers,
# fixtures, timing, medians, peak memory and the table row run.sh collects.
#
# A script calls  bench_init BUILD_DIR TARGET...  first; it leaves the shell
# in the repository's top folder with $tmp a private scratch folder that is
# removed on exit, and the drivers built into $BUILD_DIR/bin.
set -euo pipefail
shopt -s inherit_errexit
# The drivers show their windows on no screen, unless told otherwise.
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

bench_init() {
  cd "$(dirname "${BASH_SOURCE[0]}")/.."
  build=$1; shift
  [ -f "$build/CMakeCache.txt" ] || tools/build.sh "$build" >/dev/null
  [ $# -eq 0 ] || cmake --build "$build" --target "$@" -j2 >/dev/null
  bin=$build/bin
  tmp=$(mktemp -d /tmp/clipforge-bench.XXXXXX)
  trap 'rm -rf "$tmp"' EXIT
}

# need TOOL...: stops with a message when a tool is missing.
need() {
  local t
  for t in "$@"; do command -v "$t" >/dev/null || { echo "$t is needed (tools/deps.sh)" >&2; exit 1; }; done
  [ -x /usr/bin/time ] || { echo "/usr/bin/time is needed (package time)" >&2; exit 1; }
}

# Fixtures, 44.1 kHz stereo 16-bit WAV of the given seconds.
# make_music WAV SECONDS: two tones, a sweep and some noise.
make_music() {
  sox -n -r 44100 -c 2 -b 16 "$1" synth "$2" sine 440 sine 660-1320 pinknoise vol 0.3 remix 1,3 2,3 2>/dev/null
}
# make_speech WAV SECONDS: pink noise shaped to the voice band, its loudness
# rising and falling at syllable pace.
make_speech() {
  sox -n -r 44100 -c 2 -b 16 "$1" synth "$2" pinknoise sinc 200-3500 tremolo 4 90 vol 0.6 2>/dev/null
}
# make_tone WAV SECONDS HZ: a plain sine.
make_tone() {
  sox -n -r 44100 -c 2 -b 16 "$1" synth "$2" sine "$3" vol 0.5 2>/dev/null
}

# make_song WAV FORM BPM: a song of known structure from bench_analysis
# (see bench_analysis.cpp), in the page cache as a freshly imported clip is.
make_song() {
  "$bin/bench_analysis" song "$1" "$2" "$3"
  cat "$1" >/dev/null
}

now_ns() { date +%s%N; }

# timed CMD...: runs the command; its stdout in $timed_out, its wall time
# (the whole process) in $timed_ms.
timed() {
  local t0 t1
  t0=$(now_ns)
  timed_out=$("$@")
  t1=$(now_ns)
  timed_ms=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.1f", (b - a) / 1e6 }')
}

# median < numbers, one a line.
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# median_of VALUE...
median_of() { printf '%s\n' "$@" | median; }

# resources CMD...: runs the command once (its output dropped) and prints
# its peak resident memory in KiB and the CPU time it used (user + system,
# its children included) in ms.
resources() {
  local TIMEFORMAT='%3U %3S'
  { time /usr/bin/time -f '%M' -o "$tmp/peak" "$@" >/dev/null 2>&1; } 2>"$tmp/cpu"
  awk -v k="$(tail -1 "$tmp/peak")" '{ printf "%d %.0f\n", k, ($1 + $2) * 1000 }' "$tmp/cpu"
}

# ratio A B: A / B with two decimals.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0) ? a / b : 0 }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f MiB", k / 1024 }'; }

# table_row TASK OURS_MS REF_MS OURS_RES REF_RES: the script's line of the
# table; run.sh keeps the lines that start with "@row ". A RES is what
# `resources` printed ("KIB CPU_MS"), or a peak in KiB alone.
table_row() {
  local -a ours=($4) ref=($5)
  echo "@row | $1 | $2 ms | $3 ms | $(ratio "$2" "$3")× | $(mib "${ours[0]}") / $(mib "${ref[0]}") |" \
       "${ours[1]:-–} / ${ref[1]:-–} ms |"
}
# figures_row TASK OURS REFERENCE: a line of figures that are not times
# (a quality measure), with no ratio, memory or processor time.
figures_row() {
  echo "@row | $1 | $2 | $3 | – | – | – |"
}
table_header() {
  echo "| task | ours (median) | reference (median) | ratio | peak memory (ours / reference) | CPU time of one whole run (ours / reference) |"
  echo "|---|---|---|---|---|---|"
}

# side_by_side RUNS: runs the script's functions `ours` and `reference`
# alternately, RUNS times each. `ours` prints a line whose first field is
# its time in ms (more fields may follow); `reference` is timed as a whole.
# Sets ours_lines, ours_median and ref_median (ms).
side_by_side() {
  local i line
  local -a ours_ms=() ref_ms=()
  ours_lines=()
  for i in $(seq "$1"); do
    line=$(ours)
    [[ ${line%% *} =~ ^[0-9.]+$ ]] || { echo "run $i of ours gave no time: $line" >&2; exit 1; }
    ours_lines+=("$line"); ours_ms+=("${line%% *}")
    timed reference; ref_ms+=("$timed_ms")
    echo "run $i: ours ${line%% *} ms, reference $timed_ms ms"
  done
  ours_median=$(median_of "${ours_ms[@]}"); ref_median=$(median_of "${ref_ms[@]}")
}
# field_median N / field_max N: of field N (from 1) of the lines `ours` printed.
field_median() { printf '%s\n' "${ours_lines[@]}" | awk -v n="$1" '{ print $n }' | median; }
field_max() { printf '%s\n' "${ours_lines[@]}" | awk -v n="$1" '{ print $n }' | sort -g | tail -1; }

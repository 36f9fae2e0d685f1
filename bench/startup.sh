#!/usr/bin/env bash
# Start-up to the first paint of the main window (offscreen platform) next
# to a bare Qt Widgets window of the same size, whole processes, several
# runs after one unmeasured run of each; medians, ratio and peak memory.
#   bench/startup.sh [BUILD_DIR] [RUNS]    (defaults: build, 9)
source "$(dirname "$0")/lib.sh"
bench_init "${1:-build}" bench_startup bare_window
runs=${2:-9}

"$bin/bench_startup" >/dev/null; "$bin/bare_window" >/dev/null
ours() { timed "$bin/bench_startup"; echo "$timed_ms $timed_out"; }
reference() { "$bin/bare_window"; }
side_by_side "$runs"
echo "median start-up to the first paint: $ours_median ms (from main(): $(field_median 2) ms); bare window: $ref_median ms"
echo "ratio: $(ratio "$ours_median" "$ref_median")"
table_row "Start-up to the first shown main window (process, offscreen) vs bare Qt window" "$ours_median" "$ref_median" \
  "$(resources "$bin/bench_startup")" "$(resources "$bin/bare_window")"

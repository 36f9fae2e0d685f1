#!/usr/bin/env bash
# The cut of a 3-minute 44.1 kHz stereo clip through the trimming controls
# (slider, Mark In, slider, Mark Out, Done) next to `cp` of the same file
# twice, several runs; medians, their ratio and the peak memory. The cut
# writes only the kept stretch, from the clip file into a file beside it
# that is renamed over the clip, and the clip before the cut goes into the
# history under a second name, not as a copy.
#   bench/cut_wav.sh [BUILD_DIR] [RUNS]    (defaults: build, 5)
source "$(dirname "$0")/lib.sh"
bench_init "${1:-build}" bench_cut
runs=${2:-5}
need sox

song=$tmp/song.wav
make_music "$song" 180
# The Done click is timed inside the driver; the window is already up when
# the user cuts. The marks keep 30 s from the first minute on.
ours() { timed "$bin/bench_cut" "$song" 60 90; echo "$timed_out $timed_ms"; }
reference() { cp "$song" "$tmp/copy1.wav"; cp "$song" "$tmp/copy2.wav"; }
side_by_side "$runs"
echo "median cut (Done click): $ours_median ms (whole driver run: $(field_median 2) ms)"
echo "median cp twice:         $ref_median ms"
echo "ratio cut / cp twice: $(ratio "$ours_median" "$ref_median") (aim: at most 1.5)"
table_row "Cut of a 3 min clip to 30 s (Done click, in process) vs cp twice" "$ours_median" "$ref_median" \
  "$(resources "$bin/bench_cut" "$song" 60 90)" "$(resources sh -c 'cp "$0" "$1"; cp "$0" "$2"' "$song" "$tmp/copy1.wav" "$tmp/copy2.wav")"

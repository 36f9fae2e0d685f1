#!/usr/bin/env bash
# Trim Silence's search on a 3-minute 44.1 kHz stereo song with 20 s of
# silence before and after it (bench_silence: the first and last frame above
# -50 dBFS, reading only the lead-in and the tail) next to sox trimming both
# ends at -50 dB (silence, reverse, silence, reverse: it reads the whole
# song and writes what it keeps), alternating, several runs; medians of the
# whole processes, their ratio, and where each found the sound.
#   bench/trim_silence.sh [BUILD_DIR] [RUNS]    (defaults: build, 5)
source "$(dirname "$0")/lib.sh"
bench_init "${1:-build}" bench_silence
runs=${2:-5}
need sox

song=$tmp/song.wav
make_music "$tmp/music.wav" 180
sox "$tmp/music.wav" "$song" pad 20 20
sox_trim() { sox "$song" "$tmp/trimmed.wav" silence 1 1s -50d reverse silence 1 1s -50d reverse; }
ours() { timed "$bin/bench_silence" "$song"; echo "$timed_ms $timed_out"; }
reference() { sox_trim; }
side_by_side "$runs"
sox_trim
echo "median ours (process): $ours_median ms; search alone: $(field_median 2) ms"
echo "median sox silence/reverse: $ref_median ms"
echo "ratio ours / sox: $(ratio "$ours_median" "$ref_median")"
echo "sound from frame $(field_median 3) to $(field_median 4) (20 s = 882000);" \
     "sox kept $(soxi -s "$tmp/trimmed.wav") frames"
table_row "Trim Silence of a 3 min song with 20 s silent ends (process) vs sox silence, reverse, silence" \
  "$ours_median" "$ref_median" "$(resources "$bin/bench_silence" "$song")" \
  "$(resources sh -c 'sox "$0" "$1" silence 1 1s -50d reverse silence 1 1s -50d reverse' "$song" "$tmp/trimmed.wav")"

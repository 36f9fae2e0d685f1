#!/usr/bin/env bash
# The chorus of a 4-minute 44.1 kHz stereo song of known structure (intro,
# verses, choruses, bridges, outro at 104 BPM), read from its WAV file block
# by block as the program does: the median wall time of the analysis in
# several fresh runs, the processor time and the peak memory of a whole run.
# No tool does this; the aims are under 1 s on two cores and under 100 MiB.
#   bench/chorus.sh [BUILD_DIR] [RUNS]    (defaults: build, 5)
source "$(dirname "$0")/lib.sh"
bench_init "${1:-build}" bench_analysis
runs=${2:-5}
need soxi

song=$tmp/song.wav
make_song "$song" IVCVCBCVCVCBCO 104

ms=()
for r in $(seq "$runs"); do
  read -r took found < <("$bin/bench_analysis" chorus "$song")
  ms+=("$took")
  echo "run $r: $took ms, candidates $found"
done
res=($(resources "$bin/bench_analysis" chorus "$song"))
median_ms=$(median_of "${ms[@]}")
echo "song: $(soxi -D "$song") s; first chorus at 27.7-46.2 s"
echo "median analysis: $median_ms ms (aim: under 1000 ms); peak memory $(mib "${res[0]}") (aim: under 100 MiB);" \
     "processor time of a whole run ${res[1]} ms"
echo "@row | Chorus of a 4-minute 44.1 kHz stereo song (no reference tool; aims 1 s, 100 MiB) | $median_ms ms | – | – |" \
     "$(mib "${res[0]}") / – | ${res[1]} / – ms |"

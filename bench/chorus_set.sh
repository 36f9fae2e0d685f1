#!/usr/bin/env bash
# How well Find Chorus finds the choruses of the generated evaluation set
# (tests/analysis/songset.h), whose chorus spans are known. For the first
# proposal of each song: the overlap F1 against the chorus it matches best
# and whether its start lies within 1.5 s of that chorus's start; for the
# first three: whether one of them is a chorus (F1 at least 0.8). Means, the
# worst song, and the same on held-out seeds the finder was never tried on
# while it was developed. Aims: mean F1 at least 0.9, 90% of the starts
# within 1.5 s, a chorus among the first three in every song. No tool does
# this: the row gives figures, not a ratio.
#   bench/chorus_set.sh [BUILD_DIR] [SONGS]    (defaults: build, 24)
source "$(dirname "$0")/lib.sh"
bench_init "${1:-build}" bench_analysis
songs=${2:-24}
developed_on=1 held_out=1001

# summary FIRST_SEED: the set's summary as a table cell; each song on stderr.
summary() {
  "$bin/bench_analysis" set "$1" "$songs" >"$tmp/set.txt"
  cat "$tmp/set.txt" >&2
  awk '$1 == "set" { printf "F1 %.2f (worst %.2f, seed %d), start within 1.5 s %d/%d, chorus in first 3 %d/%d, %d ms a song (most %d)",
                     $3, $4, $5, $6, $2, $7, $2, $9, $10 }' "$tmp/set.txt"
}
dev=$(summary "$developed_on")
held=$(summary "$held_out")
echo "developed on seeds $developed_on-$((developed_on + songs - 1)): $dev"
echo "held out, seeds $held_out-$((held_out + songs - 1)): $held"
figures_row "Find Chorus on $songs generated songs (aims: F1 0.9, 90% of starts, every song)" "$dev" "held out: $held"

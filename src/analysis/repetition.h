#pragma once
#include "analysis/beatgrid.h"
#include "analysis/songfeatures.h"

#include <atomic>
#include <vector>

// A stretch of bars and where else the song plays it.
struct Repetition {
    BarSpan span;
    std::vector<BarSpan> others; // in order
    double score = 0;            // bars repeated, weighed by how exactly
};

// How exactly each bar of a song comes back in every other bar, and the
// stretches that come back most. Two bars are compared beat by beat: their
// harmony, their melody (under the same move of the pitch classes for both,
// of up to two semitones either way, so that a chorus a tone up still
// matches) and their sound. A pair counts as a repetition by how far its
// likeness rises above what the song's closest pairs of bars reach by
// chance, from -1 (unlike) to 1 (the same).
class BarRepetition {
public:
    BarRepetition(const BeatFeatures &features, const BarGrid &grid);

    // The stretches of `shortest` to `longest` bars that come back, each
    // with the other places it comes back at (those that repeat it more
    // than they differ, none overlapping), rated by the sum of their bars'
    // exactness (how many bars come back how exactly), more where the
    // sound changes clearly at the places' starts, over the length to the
    // power 0.25. Best first; empty when cancelled or when no pair of bars
    // stands out from the rest (one sound throughout).
    std::vector<Repetition> stretches(int shortest, int longest, const std::atomic<bool> *cancel) const;

private:
    static constexpr int moves = 5; // pitch-class moves of 0, +1, +2, -1, -2

    float exactness(int move, int a, int b) const { return exactness_[move][size_t(a) * size_t(bars_) + size_t(b)]; }
    // The exactness of bars a..a+length-1 against b..b+length-1 under `move`.
    float along(int move, int a, int b, int length) const;

    int bars_ = 0;
    bool contrast_ = false;
    std::vector<float> change_; // of the sound at each bar's start, 0..1
    std::vector<float> exactness_[moves]; // bars x bars each
    std::vector<float> diagonalSums_[moves]; // running sums along the diagonals, (bars + 1) squared
};

#pragma once
#include "analysis/selfsimilarity.h"

#include <cstdint>
#include <vector>

// Frames [start, end) of a song.
struct FrameSpan {
    int start = 0;
    int end = 0;
    int length() const { return end - start; }
};

// How a segment of the song repeats elsewhere in it.
struct SegmentFitness {
    double fitness = 0;    // harmonic mean of strength and coverage, 0..1
    double strength = 0;   // mean similarity along the other occurrences, 0..1 above the stripe threshold
    double coverage = 0;   // share of the song the other occurrences take
    double similarity = 0; // mean plain similarity along the other occurrences
    int repeats = 0;       // other occurrences
    std::vector<FrameSpan> occurrences; // in order, the segment itself included
};

// Finds, for a segment, the family of non-overlapping paths through the
// self-similarity that best explains its repetitions, and rates it (the
// segment "fitness" of music-structure research). Each path runs over the
// whole segment at about its tempo (within a tenth; a step off the diagonal
// costs), along cells of the similarity above a threshold that keeps its
// strongest tenth; a cell below costs a penalty, so a path follows a stripe
// or is not taken at all. Only the paths whose cells are clearly alike on
// the whole count as repetitions.
class RepetitionFinder {
public:
    explicit RepetitionFinder(const SelfSimilarity &similarity);

    // The median similarity of two frames of the song.
    float background() const { return background_; }

    SegmentFitness fitnessOf(FrameSpan segment) const;

private:
    void rateFamily(FrameSpan segment, const std::vector<uint8_t> &steps, const std::vector<uint8_t> &endedAt,
                    SegmentFitness &result) const;

    const SelfSimilarity &similarity_;
    std::vector<float> scored_; // n x n: 0..1 above the threshold, the penalty below
    float background_ = 0;
    bool contrast_ = false; // false when flat (one sound throughout): nothing repeats
};

#pragma once
#include "analysis/songfeatures.h"

#include <atomic>
#include <vector>

// How alike every two frames of a song are, at most 1, symmetric, 1 on the
// diagonal (0 where a frame is silent).
struct SelfSimilarity {
    int n = 0;
    std::vector<float> values; // n rows of n

    float at(int i, int j) const { return values[size_t(i) * size_t(n) + size_t(j)]; }
    const float *row(int i) const { return values.data() + size_t(i) * size_t(n); }
};

// The similarity of frames i and j is the best, over the twelve circular
// shifts of j's pitch classes, of their chroma's dot products averaged along
// the diagonal over `smoothFrames` frames around (i, j): a passage repeated
// a key higher matches as well as one repeated as it was, and a repetition
// shows as a stripe parallel to the diagonal while chance likeness of
// single frames fades. Empty when cancelled.
SelfSimilarity selfSimilarityOf(const SongFeatures &features, int smoothFrames, const std::atomic<bool> *cancel);

// How much the song changes at each frame: a checkerboard kernel (Gaussian
// tapered, `halfWidth` frames each way) slid along the diagonal of the
// plain dot products of the frames' vectors. Peaks mark the edges of
// sections.
std::vector<float> noveltyOf(const FrameVectors &features, int halfWidth);

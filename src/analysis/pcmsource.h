#pragma once
#include <cstdint>
#include <functional>

// Audio handed to the analysis: interleaved float frames (-1..1) pulled in
// blocks, so that a whole song never has to sit in memory at full rate.
struct PcmSource {
    int channels = 0;
    int rate = 0;
    int64_t frames = -1; // the length when known beforehand (-1: unknown)
    // Fills up to `maxFrames` frames into `frames` (room for maxFrames *
    // channels floats) and returns how many it gave: 0 at the end, -1 when
    // the audio cannot be read.
    std::function<int64_t(float *frames, int64_t maxFrames)> read;

    // A source over frames already in memory (which must outlive it).
    static PcmSource fromBuffer(const float *interleaved, int64_t frames, int channels, int rate);
};

#pragma once
#include "base/result.h"

#include <QString>
#include <memory>
#include <vector>

struct soxr;

// Streaming sample-rate conversion of interleaved float frames (libsoxr,
// high quality). Feed the input block by block, then finish() once.
class Resampler {
public:
    // The failure says why libsoxr would not start.
    static Result<std::unique_ptr<Resampler>> make(double inRate, double outRate, unsigned channels);
    ~Resampler();
    Resampler(const Resampler &) = delete;
    Resampler &operator=(const Resampler &) = delete;

    // Converts `frames` frames and appends what comes out to `out`
    // (which is cleared first).
    Outcome process(const float *in, size_t frames, std::vector<float> &out);
    // Ends the input and appends the frames still held back to `out`.
    Outcome finish(std::vector<float> &out);

private:
    Resampler(soxr *soxr, double ratio, unsigned channels) : soxr_(soxr), ratio_(ratio), channels_(channels) {}
    Outcome run(const float *in, size_t frames, std::vector<float> &out);

    soxr *soxr_;
    double ratio_;
    unsigned channels_;
};

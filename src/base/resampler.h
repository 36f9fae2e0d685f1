#pragma once
#include <QString>
#include <vector>

struct soxr;

// Streaming sample-rate conversion of interleaved float frames (libsoxr,
// high quality). Feed the input block by block, then finish() once.
class Resampler {
public:
    Resampler(double inRate, double outRate, unsigned channels);
    ~Resampler();
    Resampler(const Resampler &) = delete;
    Resampler &operator=(const Resampler &) = delete;

    bool ok() const { return error_.isEmpty(); }
    QString error() const { return error_; }

    // Converts `frames` frames and appends what comes out to `out`
    // (which is cleared first).
    bool process(const float *in, size_t frames, std::vector<float> &out);
    // Ends the input and appends the frames still held back to `out`.
    bool finish(std::vector<float> &out);

private:
    bool run(const float *in, size_t frames, std::vector<float> &out);

    soxr *soxr_ = nullptr;
    double ratio_;
    unsigned channels_;
    QString error_;
};

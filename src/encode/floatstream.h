#pragma once
// The source as the interleaved float frames an encoder takes: mono doubled
// into stereo when stereo is asked for, the rate changed with libsoxr when
// another is asked for. Hands out blocks until the source ends.
#include "base/resampler.h"
#include "base/result.h"

#include <QString>
#include <memory>
#include <vector>

class WavSource;

class FloatStream {
public:
    // rate, channels: what the encoder takes; 0 keeps the source's. Only
    // mono and stereo sources can be made into float streams.
    static Result<std::unique_ptr<FloatStream>> make(WavSource &source, int rate = 0, int channels = 0);
    ~FloatStream();
    FloatStream(const FloatStream &) = delete;
    FloatStream &operator=(const FloatStream &) = delete;

    int rate() const { return rate_; }
    int channels() const { return channels_; }
    // The frames handed out in all: the source's, or at another rate the
    // same length to the nearest frame.
    qint64 frames() const { return frames_; }

    // The next block, valid until the next call: its frame count, 0 at the
    // end.
    Result<qint64> next(const float *&frames);
    double fraction() const; // of the source read so far

private:
    FloatStream(WavSource &source, int rate, int channels);
    Result<qint64> nextBlock(const float *&frames);

    WavSource &source_;
    std::unique_ptr<Resampler> resampler_; // when the rate changes
    int rate_, channels_;
    bool ended_ = false;
    qint64 frames_ = 0, given_ = 0;
    std::vector<float> read_, mapped_, resampled_;
};

// The reason a cancelled encoding gives.
QString cancelledReason();

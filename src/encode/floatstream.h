#pragma once
// The source as the interleaved float frames an encoder takes: mono doubled
// into stereo when stereo is asked for, the rate changed with libsoxr when
// another is asked for. Hands out blocks until the source ends.
#include "base/resampler.h"

#include <QString>
#include <memory>
#include <vector>

class WavSource;

class FloatStream {
public:
    // rate, channels: what the encoder takes; 0 keeps the source's. Only
    // mono and stereo sources can be made into float streams.
    FloatStream(WavSource &source, int rate = 0, int channels = 0);
    ~FloatStream();
    FloatStream(const FloatStream &) = delete;
    FloatStream &operator=(const FloatStream &) = delete;

    // Empty, or why the stream cannot be made (or read on).
    QString error() const { return error_; }
    int rate() const { return rate_; }
    int channels() const { return channels_; }
    // The frames handed out in all: the source's, or at another rate the
    // same length to the nearest frame.
    qint64 frames() const { return frames_; }

    // The next block, valid until the next call: false at the end or on a
    // failure (error() then says which).
    bool next(const float *&frames, qint64 &count);
    double fraction() const; // of the source read so far

private:
    bool fail(const QString &why);

    WavSource &source_;
    std::unique_ptr<Resampler> resampler_; // when the rate changes
    int rate_, channels_;
    bool ended_ = false;
    qint64 frames_ = 0, given_ = 0;
    QString error_;
    std::vector<float> read_, mapped_, resampled_;
};

// The reason a cancelled encoding gives.
QString cancelledReason();

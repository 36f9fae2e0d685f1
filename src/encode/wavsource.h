#pragma once
// The joined WAV read through libsndfile, frame by frame from the start:
// only its first keepSeconds when asked, its last fadeSeconds faded out to
// silence.
#include "base/result.h"

#include <QString>
#include <optional>

typedef struct sf_private_tag SNDFILE;

class WavSource {
public:
    WavSource() = default;
    ~WavSource();
    WavSource(const WavSource &) = delete;
    WavSource &operator=(const WavSource &) = delete;

    // The failure says why the file cannot be used, naming it.
    Outcome open(const QString &path, std::optional<double> keepSeconds, double fadeSeconds);

    int rate() const { return rate_; }
    int channels() const { return channels_; }
    qint64 frames() const { return frames_; } // the frames read() gives in all
    int subformat() const { return subformat_; } // libsndfile's SF_FORMAT_PCM_16, _FLOAT, ...
    bool isFloat() const;
    int significantBits() const; // 8, 16, 24 or 32 (float: 24)
    double fraction() const { return frames_ > 0 ? double(pos_) / double(frames_) : 1.0; }

    // Up to n interleaved frames (integers left-aligned in 32 bits, floats
    // in -1..1); the count, 0 at the end.
    Result<qint64> read(int *buf, qint64 n);
    Result<qint64> read(float *buf, qint64 n);

private:
    template <class Sample, class Reader>
    Result<qint64> readFaded(Sample *buf, qint64 n, Reader reader);

    SNDFILE *sf_ = nullptr;
    QString path_;
    int rate_ = 0, channels_ = 0, subformat_ = 0;
    qint64 frames_ = 0, pos_ = 0, fadeFrames_ = 0;
};

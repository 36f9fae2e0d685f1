#pragma once
// One encoder per format, each writing the source into the temporary file
// of the output (tags come after, from songtags). Each returns empty, or
// the reason it stopped.
#include "encode/encodejob.h"

class AtomicOutput;
class WavSource;

struct EncodeTarget {
    WavSource &source;
    const AtomicOutput &out;
    const EncodeProgress &progress;
    const EncodeJob &job;
};

// An encoder fed interleaved float frames.
class FloatEncoder {
public:
    virtual ~FloatEncoder() = default;
    // Before open: the frames write() will be given in all.
    virtual void expectFrames(qint64 frames) { (void)frames; }
    // Each returns empty, or the reason it failed.
    virtual QString open(const QString &path, int rate, int channels) = 0;
    virtual QString write(const float *frames, qint64 count) = 0;
    virtual QString finish() = 0;
};
// Streams the source at the rate and channel count given (0: the
// source's) through the encoder into the output's temporary file.
QString runFloatEncoder(const EncodeTarget &target, FloatEncoder &encoder, int rate = 0, int channels = 0);

// M4R: AAC at 44.1 kHz stereo in MP4, through the module that holds FFmpeg.
constexpr int kM4rRate = 44100;
constexpr int kM4rChannels = 2;
QString encodeAacMp4(const EncodeTarget &target);
QString encodeVorbis(const EncodeTarget &target);
QString encodeOpus(const EncodeTarget &target);
QString encodeMp3(const EncodeTarget &target);
// FLAC and WAV through libsndfile, sample for sample.
QString encodeLossless(const EncodeTarget &target);

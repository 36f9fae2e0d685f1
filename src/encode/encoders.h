#pragma once
// One encoder per format, each writing the source into the temporary file
// of the output (tags come after, from songtags). A failure's text is the
// reason it stopped.
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
    virtual Outcome open(const QString &path, int rate, int channels) = 0;
    virtual Outcome write(const float *frames, qint64 count) = 0;
    virtual Outcome finish() = 0;
};
// Streams the source at the rate and channel count given (0: the
// source's) through the encoder into the output's temporary file.
Outcome runFloatEncoder(const EncodeTarget &target, FloatEncoder &encoder, int rate = 0, int channels = 0);

// M4R: AAC at 44.1 kHz stereo in MP4, through the module that holds FFmpeg.
constexpr int kM4rRate = 44100;
constexpr int kM4rChannels = 2;
Outcome encodeAacMp4(const EncodeTarget &target);
Outcome encodeVorbis(const EncodeTarget &target);
Outcome encodeOpus(const EncodeTarget &target);
Outcome encodeMp3(const EncodeTarget &target);
// FLAC and WAV through libsndfile, sample for sample.
Outcome encodeLossless(const EncodeTarget &target);

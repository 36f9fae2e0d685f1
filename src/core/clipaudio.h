#pragma once
#include "base/result.h"
#include "base/wavformat.h"

#include <QString>
#include <QtGlobal>

// The sample layout of a stream of PCM frames.
struct PcmFormat {
    SampleFormat sample = SampleFormat::Invalid;
    quint16 channels = 0;
    quint32 rate = 0;

    int frameBytes() const { return bytesPerSample(sample) * channels; }
    bool operator==(const PcmFormat &) const = default;
};

PcmFormat pcmFormatOf(const WavInfo &info);

// How many bytes appendClipAudio() writes for the clip in the format `to`
// (for a change of sample rate an upper bound, a frame or two above).
qint64 clipAudioBytes(const WavInfo &info, const PcmFormat &to);

// Appends the whole frames of the clip's data chunk, in the format `to`, at
// the current position of `outFd`. A clip already in that format is copied
// as it is; any other is converted in blocks of a few thousand frames
// (sample width, channel count, then sample rate). Returns the bytes
// written.
Result<qint64> appendClipAudio(int inFd, const WavInfo &info, const PcmFormat &to, int outFd);

// Maps interleaved frames from `inChannels` to `outChannels`: to mono by
// averaging, from mono by copying to every channel, otherwise channel by
// channel (channels beyond the source's are silent, extra ones dropped).
void remapChannels(const float *in, int inChannels, float *out, int outChannels, qint64 frames);

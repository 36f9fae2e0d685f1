#pragma once
// The frames of a WAV clip file as float samples, a block at a time: read to
// be measured, or changed and written back in the clip's own layout.
#include "base/wavformat.h"
#include "base/result.h"

#include <QString>
#include <functional>
#include <vector>

class QIODevice;

// Receives `frames` interleaved frames (frames * channels floats, -1..1)
// starting at frame `first` of the clip. May change them in place when the
// block is being rewritten.
using FrameBlockFn = std::function<void(float *samples, qint64 first, qint64 frames)>;

// The clip's format, or a failure naming the file when it is not a WAV file
// whose samples can be read.
Result<WavInfo> readClipInfo(const QString &clipFile);

// Hands the frames [first, first + count) of an open clip to `visit`, in
// order, in blocks of at most a few thousand frames.
Outcome visitFrames(QIODevice &clip, const WavInfo &info, qint64 first, qint64 count, const FrameBlockFn &visit);

// A stretch of frames: [first, first + count).
struct FrameRange {
    qint64 first = 0;
    qint64 count = 0;
};

// Replaces the clip file by a copy in which the frames of `ranges` (in order,
// not overlapping; cut to the clip's frames) went through `change`; every other byte (header, other chunks, a trailing
// partial frame) is copied as it is, and the changed samples are stored in
// the clip's sample layout (integers rounded and clipped). The new file is
// written beside the clip and moved over it in one step: on any failure the
// clip is left exactly as it was.
Outcome rewriteFrames(const QString &clipFile, const std::vector<FrameRange> &ranges, const FrameBlockFn &change);

#pragma once
#include <QString>
#include <QtGlobal>
#include <vector>

// The loudest and softest sample of one stretch of a clip, all channels
// together, as 16-bit values.
struct PeakPair {
    qint16 min = 0;
    qint16 max = 0;
};

// A clip's peaks in short buckets of frames: enough to draw it at any
// width without reading the clip again.
struct ClipPeaks {
    bool ok = false;
    QString error;             // why not, when !ok
    qint64 frames = 0;         // whole frames of the clip
    quint32 sampleRate = 0;
    qint64 framesPerBucket = 1;
    std::vector<PeakPair> buckets;

    // The peaks of pixel column x of a drawing `width` columns wide, the
    // columns splitting the clip's frames evenly.
    PeakPair column(int x, int width) const;
    // The peaks of the frames [first, end) (at least the bucket holding `first`).
    PeakPair range(qint64 first, qint64 end) const;
    // Memory the peaks take.
    qint64 bytes() const { return qint64(sizeof(ClipPeaks) + buckets.capacity() * sizeof(PeakPair)); }
};

// Reads a WAV clip (any PCM or float layout) and computes its peaks.
// Buckets are 5 ms long, or shorter for a short clip, so that it still
// has some thousands of them.
ClipPeaks computeClipPeaks(const QString &path);

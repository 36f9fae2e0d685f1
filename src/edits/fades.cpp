#include "edits/fades.h"

#include "edits/clipframes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

bool isFadeLength(double seconds)
{
    const double steps = seconds / kFadeStepSeconds;
    return seconds >= 0 && seconds <= kFadeMaxSeconds && steps == std::round(steps);
}

qint64 fadeFrames(double seconds, quint32 sampleRate)
{
    return qint64(std::llround(seconds * sampleRate));
}

double fadeInGain(qint64 i, qint64 n)
{
    return std::sin(std::numbers::pi / 2 * double(i) / double(n));
}

double fadeGainAt(qint64 frame, qint64 frames, qint64 inFrames, qint64 outFrames)
{
    inFrames = std::min(inFrames, frames);
    outFrames = std::min(outFrames, frames);
    double gain = 1.0;
    if (frame < inFrames)
        gain *= fadeInGain(frame, inFrames);
    const qint64 intoOut = frame - (frames - outFrames);
    if (intoOut >= 0)
        gain *= fadeInGain(outFrames - 1 - intoOut, outFrames);
    return gain;
}

void applyFades(float *samples, int channels, qint64 first, qint64 count, qint64 totalFrames, qint64 inFrames,
                qint64 outFrames)
{
    for (qint64 k = 0; k < count; ++k) {
        const float gain = float(fadeGainAt(first + k, totalFrames, inFrames, outFrames));
        if (gain == 1.0f)
            continue;
        for (float *s = samples + k * channels, *end = s + channels; s < end; ++s)
            *s *= gain;
    }
}

Outcome fadeClip(const QString &clipFile, double inSeconds, double outSeconds)
{
    if (!isFadeLength(inSeconds) || !isFadeLength(outSeconds))
        return Outcome::failure(QStringLiteral("A fade lasts 0 to 5 seconds in half seconds."));
    const Result<WavInfo> read = readClipInfo(clipFile);
    if (!read)
        return read.failure();
    const WavInfo &info = read.value();
    const qint64 total = info.frames();
    const qint64 in = std::min(fadeFrames(inSeconds, info.sampleRate), total);
    const qint64 out = std::min(fadeFrames(outSeconds, info.sampleRate), total);
    if (in == 0 && out == 0)
        return Outcome::success();
    // Only the faded frames are rewritten; the rest are copied byte for byte.
    const qint64 outStart = total - out;
    std::vector<FrameRange> ranges;
    if (in >= outStart)
        ranges = {{0, total}};
    else
        ranges = {{0, in}, {outStart, out}};
    return rewriteFrames(clipFile, ranges, [&](float *samples, qint64 first, qint64 frames) {
        applyFades(samples, info.channels, first, frames, total, in, out);
    });
}

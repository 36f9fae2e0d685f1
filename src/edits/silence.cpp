#include "edits/silence.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <optional>

namespace {

// The lead-in is read forwards and the tail backwards, a stretch at a time.
constexpr qint64 kStepFrames = 65536;

bool loud(const float *frame, int channels, float level)
{
    for (int c = 0; c < channels; ++c)
        if (std::abs(frame[c]) > level)
            return true;
    return false;
}

// The first (or last) loud frame of [first, first + count).
Result<std::optional<qint64>> findLoud(QFile &clip, const WavInfo &info, qint64 first, qint64 count, float level,
                                       bool last)
{
    std::optional<qint64> found;
    const Outcome read = visitFrames(clip, info, first, count, [&](float *samples, qint64 at, qint64 frames) {
        if (found && !last)
            return;
        for (qint64 k = 0; k < frames; ++k)
            if (loud(samples + k * info.channels, info.channels, level)) {
                found = at + k;
                if (!last)
                    return;
            }
    });
    if (!read)
        return read.failure();
    return found;
}

} // namespace

Result<FrameRange> audibleFrames(const QString &clipFile, double dbfs)
{
    const Result<WavInfo> read = readClipInfo(clipFile);
    if (!read)
        return read.failure();
    const WavInfo &info = read.value();
    QFile clip(clipFile);
    if (!clip.open(QIODevice::ReadOnly))
        return Result<FrameRange>::failure(
            QStringLiteral("The clip %1 cannot be read: %2").arg(clipFile, clip.errorString()));
    const auto unreadable = [&](const Failure &why) {
        return Result<FrameRange>::failure(QStringLiteral("The clip %1 cannot be read: %2").arg(clipFile, why.text));
    };
    const float level = float(std::pow(10.0, dbfs / 20.0));
    const qint64 frames = info.frames();
    // The lead-in from the front, up to the first loud frame.
    std::optional<qint64> first;
    for (qint64 from = 0; !first && from < frames; from += kStepFrames) {
        const auto step = findLoud(clip, info, from, std::min(kStepFrames, frames - from), level, false);
        if (!step)
            return unreadable(step.failure());
        first = step.value();
    }
    if (!first)
        return Result<FrameRange>::failure(
            QStringLiteral("The clip is silent throughout (nothing louder than %1 dBFS); the marks stay where they are.")
                .arg(dbfs));
    // The tail from the back, a stretch at a time; the first loud frame ends the search at the latest.
    for (qint64 end = frames; end > *first;) {
        const qint64 from = std::max(*first, end - kStepFrames);
        const auto step = findLoud(clip, info, from, end - from, level, true);
        if (!step)
            return unreadable(step.failure());
        if (step.value())
            return FrameRange{*first, *step.value() + 1 - *first};
        end = from;
    }
    return FrameRange{*first, 1};
}

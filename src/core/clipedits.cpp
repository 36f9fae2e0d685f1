#include "core/clipedits.h"

#include "base/timetext.h"
#include "base/wavformat.h"
#include "core/trimsession.h"
#include "edits/fades.h"
#include "edits/loudness.h"

#include <limits>

namespace {

Outcome stopped(const QString &clipFile)
{
    return Outcome::failure(QStringLiteral("The edits of %1 were stopped.").arg(clipFile));
}

} // namespace

Result<qint64> clipLengthMs(const QString &clipFile)
{
    const WavInfo info = readWavInfo(clipFile);
    if (!info.ok)
        return Result<qint64>::failure(QStringLiteral("The clip %1 cannot be read: %2").arg(clipFile, info.error));
    if (info.sampleRate == 0)
        return Result<qint64>::failure(QStringLiteral("The clip %1 has no sample rate.").arg(clipFile));
    return (info.frames() * 1000 + info.sampleRate - 1) / info.sampleRate;
}

Outcome editClip(const QString &clipFile, const ClipEdits &edits, const JobProgress &progress)
{
    const Result<qint64> length = clipLengthMs(clipFile);
    if (!length)
        return length.failure();
    const qint64 end = std::min(edits.toMs.value_or(length.value()), length.value());
    if (edits.fromMs < 0 || edits.fromMs >= length.value())
        return Outcome::failure(QStringLiteral("The clip %1 is %2 long: a stretch from %3 starts past its end.")
                                    .arg(clipFile, formatTimeText(length.value()), formatTimeText(edits.fromMs)));
    if (end <= edits.fromMs)
        return Outcome::failure(QStringLiteral("The stretch from %1 to %2 of the clip %3 is empty.")
                                    .arg(formatTimeText(edits.fromMs), formatTimeText(end), clipFile));
    // The cut speaks in the player's whole milliseconds.
    if (length.value() > std::numeric_limits<int>::max())
        return Outcome::failure(QStringLiteral("The clip %1 is too long to be cut.").arg(clipFile));
    if (!reportProgress(progress, 0))
        return stopped(clipFile);
    const bool cuts = edits.fromMs > 0 || end < length.value();
    Outcome done = cuts ? cutClipFile(clipFile, int(edits.fromMs), int(end), int(length.value()), edits.fades)
                        : fadeClip(clipFile, edits.fades.inSeconds, edits.fades.outSeconds);
    if (!done)
        return done;
    if (!reportProgress(progress, 0.5))
        return stopped(clipFile);
    if (edits.normalize && !(done = normalizeLoudness(clipFile)))
        return done;
    reportProgress(progress, 1);
    return Outcome::success();
}

#include "core/ringtonesave.h"

#include "base/paths.h"
#include "base/wavformat.h"
#include "core/listjoin.h"

#include <QFile>
#include <QFileInfo>

namespace {

// The share of a whole save's progress that the join takes.
constexpr double kJoinShare = 0.1;

} // namespace

RingtoneSave::RingtoneSave(RingtoneRequest request) : request_(std::move(request))
{
    job_.wavPath = request_.joinedFile;
    job_.outPath = request_.outPath;
    job_.format = request_.format;
    job_.tags = request_.tags;
    job_.mp3BitRate = request_.mp3BitRate;
}

RingtoneSave::~RingtoneSave() { QFile::remove(request_.joinedFile); }

Outcome RingtoneSave::join(const JobProgress &wholeSave)
{
    const JobProgress progress = progressPart(wholeSave, 0, kJoinShare);
    AppPaths::ensurePrivateDir(QFileInfo(request_.joinedFile).absolutePath());
    const int count = int(request_.clipFiles.size());
    const Result<qint64> joined = joinWavFiles(request_.clipFiles, request_.joinedFile, [&](int done) {
        return reportProgress(progress, double(done) / count);
    });
    if (!joined)
        return joined.failure();
    const WavInfo info = readWavInfo(request_.joinedFile);
    seconds_ = info.ok && info.sampleRate ? double(info.frames()) / info.sampleRate : 0;
    return Outcome::success();
}

std::optional<double> RingtoneSave::limitPassed() const
{
    const std::optional<double> limit = ringtoneLimitSeconds(request_.format);
    return limit && seconds_ > *limit ? limit : std::nullopt;
}

void RingtoneSave::keepOnlyTheLimit()
{
    if (const std::optional<double> limit = limitPassed()) {
        job_.keepSeconds = *limit;
        job_.fadeOutSeconds = kRingtoneFadeSeconds;
    }
}

Outcome RingtoneSave::encode(const JobProgress &wholeSave) const
{
    const JobProgress progress = progressPart(wholeSave, kJoinShare, 1);
    const Outcome encoded = encodeRingtone(job_, [&](double fraction) { return reportProgress(progress, fraction); });
    QFile::remove(request_.joinedFile);
    return encoded;
}

Outcome saveRingtone(const RingtoneRequest &request, const LengthQuestion &tooLong, const JobProgress &progress)
{
    RingtoneSave save(request);
    if (Outcome joined = save.join(progress); !joined)
        return joined;
    if (const std::optional<double> limit = save.limitPassed(); limit && tooLong && tooLong(save.seconds(), *limit))
        save.keepOnlyTheLimit();
    return save.encode(progress);
}

#include "cli/songjob.h"

#include "base/timetext.h"
#include "cli/runcontext.h"
#include "core/clipedits.h"
#include "core/ringtonesave.h"
#include "core/songclip.h"

#include <QDir>
#include <QFileInfo>

namespace {

constexpr double kDecodeShare = 0.45, kChorusShare = 0.55, kEditShare = 0.65;

Failure stopped() { return Failure{QStringLiteral("stopped before it was done.")}; }

// The stretch to keep, from the options and (for --chorus) the song.
Result<ClipEdits> stretchOf(const QString &clip, const MakeOptions &m)
{
    ClipEdits edits;
    edits.fades = m.fades;
    edits.normalize = m.normalize;
    edits.fromMs = m.fromMs.value_or(0);
    edits.toMs = m.toMs;
    if (m.chorus) {
        const Result<ChorusCandidate> chorus = findClipChorus(clip);
        if (!chorus)
            return Result<ClipEdits>::failure(QStringLiteral("no chorus: %1").arg(chorus.error()));
        edits.fromMs = qint64(chorus.value().startSec * 1000 + 0.5);
        edits.toMs = qint64(chorus.value().endSec * 1000 + 0.5);
    }
    if (m.lengthMs)
        edits.toMs = edits.fromMs + *m.lengthMs;
    // Said here in the song's words; the clip is a scratch file the user never sees.
    const Result<qint64> length = clipLengthMs(clip);
    if (!length)
        return length.failure();
    if (edits.fromMs >= length.value())
        return Result<ClipEdits>::failure(QStringLiteral("the song is %1 long: --from %2 lies past its end.")
                                              .arg(formatTimeText(length.value()), formatTimeText(edits.fromMs)));
    return edits;
}

} // namespace

Result<QString> songClip(RunContext &run, const SongJob &job, const JobProgress &progress)
{
    const QFileInfo song(job.song);
    if (!song.exists())
        return Result<QString>::failure(QStringLiteral("no such file."));
    if (!song.isFile())
        return Result<QString>::failure(QStringLiteral("not a file."));
    if (!isWavSong(job.song))
        if (Outcome started = run.startAudio(); !started)
            return started.failure();
    const QString clip = run.jobPaths(job.number).scratchFile(QStringLiteral("song.wav"));
    if (Outcome made = songToClip(run.audio(), job.song, clip, progress); !made)
        return Result<QString>::failure(run.describe(made.failure()));
    if (RunContext::stopRequested())
        return stopped();
    return clip;
}

namespace {

Outcome makeSteps(RunContext &run, const SongJob &job, const CommandLine &options, const JobProgress &progress,
                  QStringList *notes)
{
    if (!options.make.force && QFileInfo::exists(job.out))
        return Outcome::failure(QStringLiteral("%1 exists already; --force replaces it.").arg(QDir::toNativeSeparators(job.out)));
    const Result<QString> clip = songClip(run, job, progressPart(progress, 0, kDecodeShare));
    if (!clip)
        return clip.failure();
    const Result<ClipEdits> edits = stretchOf(clip.value(), options.make);
    if (!edits)
        return edits.failure();
    if (!reportProgress(progress, kChorusShare))
        return stopped();
    const AppPaths paths = run.jobPaths(job.number);
    if (Outcome edited = editClip(clip.value(), edits.value(), progressPart(progress, kChorusShare, kEditShare));
        !edited)
        return edited;

    RingtoneRequest request;
    request.clipFiles = {clip.value()};
    request.joinedFile = paths.scratchFile(QStringLiteral("joined.wav"));
    request.outPath = job.out;
    request.format = options.kind.format;
    request.tags = readSongTags(job.song);
    request.mp3BitRate = options.make.bitRate.value_or(128);
    const bool cutToLimit = options.kind.phoneLimit && !options.make.whole;
    const LengthQuestion tooLong = [&](double seconds, double limit) {
        if (cutToLimit)
            *notes << QStringLiteral("%1 keeps only the first %2 s of its %3 (a phone plays no more); --whole keeps all.")
                          .arg(QDir::toNativeSeparators(job.out))
                          .arg(limit)
                          .arg(formatTimeText(qint64(seconds * 1000 + 0.5)));
        return cutToLimit;
    };
    return saveRingtone(request, tooLong, progressPart(progress, kEditShare, 1));
}

} // namespace

Outcome makeRingtone(RunContext &run, const SongJob &job, const CommandLine &options, const JobProgress &progress,
                     QStringList *notes)
{
    if (RunContext::stopRequested())
        return stopped();
    const Outcome made = makeSteps(run, job, options, progress, notes);
    // Whichever step noticed the stop, the user reads one reason.
    return made || !RunContext::stopRequested() ? made : stopped();
}

Result<SongInfo> inspectSong(RunContext &run, const SongJob &job)
{
    const Result<QString> clip = songClip(run, job, {});
    if (!clip)
        return clip.failure();
    const Result<ClipFacts> facts = measureClip(clip.value());
    if (!facts)
        return facts.failure();
    return SongInfo{job.song, readSongTags(job.song), facts.value()};
}

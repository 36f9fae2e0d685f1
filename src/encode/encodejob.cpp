#include "encode/encodejob.h"

#include "base/atomicsave.h"
#include "encode/encoders.h"
#include "encode/tagsave.h"
#include "encode/wavsource.h"

#include <QDir>

namespace {

// "Cannot save "PATH": REASON"
QString cannotSave(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot save \"%1\": %2").arg(QDir::toNativeSeparators(path), reason);
}

QString encode(RingtoneFormat format, const EncodeTarget &target)
{
    switch (format) {
    case RingtoneFormat::M4r: return encodeAacMp4(target);
    case RingtoneFormat::Ogg: return encodeVorbis(target);
    case RingtoneFormat::Opus: return encodeOpus(target);
    case RingtoneFormat::Mp3: return encodeMp3(target);
    case RingtoneFormat::Flac:
    case RingtoneFormat::Wav: return encodeLossless(target);
    }
    return QStringLiteral("unknown format");
}

} // namespace

std::optional<double> ringtoneLimitSeconds(RingtoneFormat format)
{
    if (format == RingtoneFormat::M4r)
        return 40.0;
    return std::nullopt;
}

namespace {

Outcome run(const EncodeJob &job, const EncodeProgress &progress, bool tagged)
{
    WavSource source;
    if (const QString why = source.open(job.wavPath, job.keepSeconds, job.fadeOutSeconds); !why.isEmpty())
        return Outcome::failure(cannotSave(job.outPath, why));
    AtomicOutput out(job.outPath);
    if (!out.error().isEmpty())
        return Outcome::failure(cannotSave(job.outPath, out.error()));
    const EncodeProgress goOn = progress ? progress : [](double) { return true; };
    QString why = encode(job.format, EncodeTarget{source, out, goOn, job});
    if (why.isEmpty() && tagged)
        why = saveTags(out.tempPath(), job.format, tagsForOutput(job.tags, job.outPath));
    if (why.isEmpty())
        why = out.commit().error();
    return why.isEmpty() ? Outcome::success() : Outcome::failure(cannotSave(job.outPath, why));
}

} // namespace

Outcome encodeRingtone(const EncodeJob &job, const EncodeProgress &progress) { return run(job, progress, true); }

Outcome encodeWavToMp3(const QString &wavPath, const QString &mp3Path, int kbps, const EncodeProgress &progress)
{
    EncodeJob job;
    job.wavPath = wavPath;
    job.outPath = mp3Path;
    job.format = RingtoneFormat::Mp3;
    job.mp3BitRate = kbps;
    return run(job, progress, false);
}

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

Outcome encode(RingtoneFormat format, const EncodeTarget &target)
{
    switch (format) {
    case RingtoneFormat::M4r: return encodeAacMp4(target);
    case RingtoneFormat::Ogg: return encodeVorbis(target);
    case RingtoneFormat::Opus: return encodeOpus(target);
    case RingtoneFormat::Mp3: return encodeMp3(target);
    case RingtoneFormat::Flac:
    case RingtoneFormat::Wav: return encodeLossless(target);
    }
    return Outcome::failure(QStringLiteral("unknown format"));
}

} // namespace

std::optional<double> ringtoneLimitSeconds(RingtoneFormat format)
{
    if (format == RingtoneFormat::M4r)
        return 40.0;
    return std::nullopt;
}

namespace {

// A failure's text is the reason alone.
Outcome save(const EncodeJob &job, const EncodeProgress &progress, bool tagged)
{
    WavSource source;
    if (Outcome opened = source.open(job.wavPath, job.keepSeconds, job.fadeOutSeconds); !opened)
        return opened;
    Result<AtomicOutput> opened = AtomicOutput::open(job.outPath);
    if (!opened)
        return opened.failure();
    AtomicOutput &out = opened.value();
    const EncodeProgress goOn = progress ? progress : [](double) { return true; };
    if (Outcome encoded = encode(job.format, EncodeTarget{source, out, goOn, job}); !encoded)
        return encoded;
    if (tagged)
        if (Outcome tags = saveTags(out.tempPath(), job.format, tagsForOutput(job.tags, job.outPath)); !tags)
            return tags;
    return out.commit();
}

Outcome run(const EncodeJob &job, const EncodeProgress &progress, bool tagged)
{
    const Outcome saved = save(job, progress, tagged);
    return saved ? saved : Outcome::failure(cannotSave(job.outPath, saved.error()));
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

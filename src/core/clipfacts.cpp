#include "core/clipfacts.h"

#include "analysis/beats.h"
#include "base/wavformat.h"

#include <QFile>
#include <algorithm>
#include <memory>

PcmSource clipSource(const QString &clipFile)
{
    auto file = std::make_shared<QFile>(clipFile);
    PcmSource source;
    if (!file->open(QIODevice::ReadOnly))
        return source;
    const WavInfo info = readWavInfo(*file);
    if (!info.ok || info.sampleFormat() == SampleFormat::Invalid)
        return source;
    source.channels = info.channels;
    source.rate = int(info.sampleRate);
    source.frames = info.frames();
    auto next = std::make_shared<qint64>(0);
    source.read = [file, info, next](float *frames, int64_t maxFrames) -> int64_t {
        const qint64 wanted = std::min<qint64>(maxFrames, info.frames() - *next);
        if (wanted <= 0)
            return 0;
        const QByteArray raw = readWavData(*file, info, *next * info.blockAlign, wanted * info.blockAlign);
        const qint64 got = raw.size() / info.blockAlign;
        if (got <= 0)
            return -1;
        samplesToFloat(raw.constData(), info.sampleFormat(), got * info.channels, frames);
        *next += got;
        return got;
    };
    return source;
}

std::optional<double> tempoOfBeats(const std::vector<double> &beats)
{
    if (beats.size() < 4)
        return std::nullopt;
    std::vector<double> gaps;
    for (size_t i = 1; i < beats.size(); ++i)
        gaps.push_back(beats[i] - beats[i - 1]);
    std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
    const double median = gaps[gaps.size() / 2];
    return median > 0 ? std::optional<double>(60.0 / median) : std::nullopt;
}

Result<ClipFacts> measureClip(const QString &clipFile, const JobProgress &progress)
{
    const WavInfo info = readWavInfo(clipFile);
    if (!info.ok || info.sampleRate == 0)
        return Result<ClipFacts>::failure(QStringLiteral("The clip %1 cannot be read: %2").arg(clipFile, info.error));
    ClipFacts facts;
    facts.rate = info.sampleRate;
    facts.channels = info.channels;
    facts.lengthMs = (info.frames() * 1000 + info.sampleRate / 2) / info.sampleRate;
    const Failure stopped{QStringLiteral("The analysis of %1 was stopped.").arg(clipFile)};
    if (!reportProgress(progress, 0))
        return stopped;
    facts.loudness = measureLoudness(clipFile);
    if (!reportProgress(progress, 0.2))
        return stopped;
    const Result<std::vector<double>> beats = findBeats(clipSource(clipFile));
    if (beats)
        facts.tempoBpm = tempoOfBeats(beats.value());
    if (!reportProgress(progress, 0.5))
        return stopped;
    const Result<ChorusCandidates> chorus = findChorus(clipSource(clipFile));
    if (chorus)
        facts.chorus = chorus.value();
    else
        facts.chorusError = chorus.error();
    reportProgress(progress, 1);
    return facts;
}

Result<ChorusCandidate> findClipChorus(const QString &clipFile)
{
    const Result<ChorusCandidates> found = findChorus(clipSource(clipFile));
    if (!found)
        return found.failure();
    return found.value().front();
}

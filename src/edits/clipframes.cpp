#include "edits/clipframes.h"

#include "base/atomicsave.h"

#include <QFile>
#include <algorithm>
#include <vector>

namespace {

constexpr qint64 kBlockFrames = 16384;
constexpr qint64 kCopyBytes = 1 << 20;

// Copies `length` bytes from the current position of `in` to `out`.
bool copyBytes(QIODevice &in, QIODevice &out, qint64 length)
{
    QByteArray buffer;
    while (length > 0) {
        buffer = in.read(std::min(length, kCopyBytes));
        if (buffer.isEmpty() || out.write(buffer) != buffer.size())
            return false;
        length -= buffer.size();
    }
    return true;
}

QString unchanged(const QString &clipFile, const QString &why)
{
    return QStringLiteral("The clip %1 could not be changed (%2); it is unchanged.").arg(clipFile, why);
}

} // namespace

Result<WavInfo> readClipInfo(const QString &clipFile)
{
    WavInfo info = readWavInfo(clipFile);
    if (!info.ok)
        return Result<WavInfo>::failure(QStringLiteral("The clip %1 cannot be read: %2").arg(clipFile, info.error));
    if (info.sampleFormat() == SampleFormat::Invalid)
        return Result<WavInfo>::failure(QStringLiteral("The clip %1 has samples of a kind that cannot be edited.").arg(clipFile));
    return info;
}

Outcome visitFrames(QIODevice &clip, const WavInfo &info, qint64 first, qint64 count, const FrameBlockFn &visit)
{
    const SampleFormat format = info.sampleFormat();
    if (!clip.seek(info.dataOffset + first * info.blockAlign))
        return Outcome::failure(clip.errorString());
    std::vector<float> samples(size_t(kBlockFrames * info.channels));
    QByteArray raw;
    for (qint64 done = 0; done < count;) {
        const qint64 frames = std::min(kBlockFrames, count - done);
        const qint64 bytes = frames * info.blockAlign;
        raw = clip.read(bytes);
        if (raw.size() != bytes)
            return Outcome::failure(QStringLiteral("the samples end early"));
        samplesToFloat(raw.constData(), format, frames * info.channels, samples.data());
        visit(samples.data(), first + done, frames);
        done += frames;
    }
    return Outcome::success();
}

Outcome rewriteFrames(const QString &clipFile, const std::vector<FrameRange> &ranges, const FrameBlockFn &change)
{
    const Result<WavInfo> read = readClipInfo(clipFile);
    if (!read)
        return read.failure();
    const WavInfo &info = read.value();
    QFile in(clipFile);
    if (!in.open(QIODevice::ReadOnly))
        return Outcome::failure(unchanged(clipFile, in.errorString()));
    Result<AtomicOutput> opened = AtomicOutput::open(clipFile);
    if (!opened)
        return Outcome::failure(unchanged(clipFile, opened.error()));
    AtomicOutput &atomic = opened.value();
    QFile &out = atomic.device();

    const SampleFormat format = info.sampleFormat();
    std::vector<char> raw;
    bool written = true;
    const auto changeAndWrite = [&](float *samples, qint64 at, qint64 frames) {
        change(samples, at, frames);
        raw.resize(size_t(frames * info.blockAlign));
        samplesFromFloat(samples, frames * info.channels, format, raw.data());
        written = written && out.write(raw.data(), qint64(raw.size())) == qint64(raw.size());
    };
    qint64 next = 0; // the first frame not yet written
    for (const FrameRange &range : ranges) {
        const qint64 first = std::clamp(range.first, next, info.frames());
        const qint64 count = std::clamp<qint64>(range.count, 0, info.frames() - first);
        written = written && copyBytes(in, out, info.dataOffset + first * info.blockAlign - in.pos());
        if (!written || count == 0)
            continue;
        if (Outcome walked = visitFrames(in, info, first, count, changeAndWrite); !walked.ok())
            return Outcome::failure(unchanged(clipFile, walked.error()));
        next = first + count;
    }
    written = written && copyBytes(in, out, in.size() - in.pos());
    if (!written)
        return Outcome::failure(unchanged(clipFile, out.error() != QFileDevice::NoError ? out.errorString() : in.errorString()));
    if (const Outcome committed = atomic.commit(); !committed)
        return Outcome::failure(unchanged(clipFile, committed.error()));
    return Outcome::success();
}

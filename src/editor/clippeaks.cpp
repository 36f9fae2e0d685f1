#include "editor/clippeaks.h"

#include "base/wavformat.h"

#include <QFile>
#include <QSysInfo>
#include <algorithm>

namespace {

constexpr qint64 kWantedBuckets = 4096;
constexpr qint64 kReadBytes = 1 << 20;

// Folds samples of whole buckets into the peaks; `count` ends on a bucket
// boundary except at the end of the clip.
void addBuckets(ClipPeaks &peaks, const qint16 *samples, qint64 count, int channels)
{
    const qint64 perBucket = peaks.framesPerBucket * channels;
    for (qint64 start = 0; start < count; start += perBucket) {
        const qint64 end = std::min(start + perBucket, count);
        qint16 lo = samples[start], hi = samples[start];
        for (qint64 i = start + 1; i < end; ++i) { // plain values: the compiler vectorises this
            lo = std::min(lo, samples[i]);
            hi = std::max(hi, samples[i]);
        }
        peaks.buckets.push_back({lo, hi});
    }
}

} // namespace

ClipPeaks computeClipPeaks(const QString &path)
{
    ClipPeaks peaks;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        peaks.error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return peaks;
    }
    const WavInfo info = readWavInfo(file);
    if (!info.ok) {
        peaks.error = info.error;
        return peaks;
    }
    peaks.frames = info.frames();
    peaks.sampleRate = info.sampleRate;
    const qint64 fiveMs = std::max<qint64>(1, info.sampleRate / 200);
    peaks.framesPerBucket = std::clamp<qint64>((peaks.frames + kWantedBuckets - 1) / kWantedBuckets, 1, fiveMs);
    peaks.buckets.reserve(size_t(peaks.frames / peaks.framesPerBucket + 1));

    const qint64 bucketBytes = peaks.framesPerBucket * info.blockAlign;
    const qint64 chunk = std::max<qint64>(1, kReadBytes / bucketBytes) * bucketBytes;
    const qint64 total = peaks.frames * info.blockAlign;
    const SampleFormat format = info.sampleFormat();
    const int sampleBytes = bytesPerSample(format);
    std::vector<qint16> samples;
    for (qint64 at = 0; at < total; at += chunk) {
        const qint64 wanted = std::min(chunk, total - at);
        const QByteArray data = readWavData(file, info, at, wanted);
        if (data.size() != wanted) {
            peaks.error = QStringLiteral("cannot read %1").arg(path);
            return peaks;
        }
        const qint64 count = data.size() / sampleBytes;
        const qint16 *values = reinterpret_cast<const qint16 *>(data.constData());
        if (format != SampleFormat::S16 || QSysInfo::ByteOrder != QSysInfo::LittleEndian) {
            samples.resize(size_t(count));
            samplesToInt16(data.constData(), format, count, samples.data());
            values = samples.data();
        }
        addBuckets(peaks, values, count, info.channels);
    }
    peaks.ok = true;
    return peaks;
}

PeakPair ClipPeaks::column(int x, int width) const
{
    if (width <= 0 || x < 0 || x >= width)
        return {};
    const qint64 first = qint64(x) * frames / width;
    return range(first, std::max(first + 1, qint64(x + 1) * frames / width));
}

PeakPair ClipPeaks::range(qint64 first, qint64 end) const
{
    if (!ok || frames <= 0 || buckets.empty() || first < 0 || first >= frames)
        return {};
    const size_t b0 = std::min(size_t(first / framesPerBucket), buckets.size() - 1);
    const size_t b1 = std::clamp(size_t((end + framesPerBucket - 1) / framesPerBucket), b0 + 1, buckets.size());
    PeakPair out = buckets[b0];
    for (size_t b = b0 + 1; b < b1; ++b) {
        out.min = std::min(out.min, buckets[b].min);
        out.max = std::max(out.max, buckets[b].max);
    }
    return out;
}

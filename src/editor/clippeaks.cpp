#include "editor/clippeaks.h"

#include "base/wavformat.h"

#include <QFile>
#include <QSysInfo>
#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

namespace {

constexpr qint64 kWantedBuckets = 4096;
constexpr qint64 kReadBytes = 1 << 20;
constexpr int kParts = 4;                      // stretches of a long clip read side by side
constexpr qint64 kLongClipFrames = 1 << 20;    // about 24 s at 44.1 kHz

// Folds samples of whole buckets into the peaks from `out` on; `count` ends
// on a bucket boundary except at the end of the clip.
void addBuckets(PeakPair *out, qint64 framesPerBucket, const qint16 *samples, qint64 count, int channels)
{
    const qint64 perBucket = framesPerBucket * channels;
    for (qint64 start = 0; start < count; start += perBucket) {
        const qint64 end = std::min(start + perBucket, count);
        qint16 lo = samples[start], hi = samples[start];
        for (qint64 i = start + 1; i < end; ++i) { // plain values: the compiler vectorises this
            lo = std::min(lo, samples[i]);
            hi = std::max(hi, samples[i]);
        }
        *out++ = {lo, hi};
    }
}

// The buckets [first, end) of the clip, read through a handle of their own.
bool readBuckets(const QString &path, const WavInfo &info, ClipPeaks &peaks, qint64 first, qint64 end)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 bucketBytes = peaks.framesPerBucket * info.blockAlign;
    const qint64 chunkBuckets = std::max<qint64>(1, kReadBytes / bucketBytes);
    const qint64 total = peaks.frames * info.blockAlign;
    const SampleFormat format = info.sampleFormat();
    const int sampleBytes = bytesPerSample(format);
    std::vector<qint16> samples;
    for (qint64 b = first; b < end; b += chunkBuckets) {
        const qint64 at = b * bucketBytes;
        const qint64 wanted = std::min(std::min(chunkBuckets, end - b) * bucketBytes, total - at);
        const QByteArray data = readWavData(file, info, at, wanted);
        if (data.size() != wanted)
            return false;
        const qint64 count = data.size() / sampleBytes;
        const qint16 *values = reinterpret_cast<const qint16 *>(data.constData());
        if (format != SampleFormat::S16 || QSysInfo::ByteOrder != QSysInfo::LittleEndian) {
            samples.resize(size_t(count));
            samplesToInt16(data.constData(), format, count, samples.data());
            values = samples.data();
        }
        addBuckets(peaks.buckets.data() + b, peaks.framesPerBucket, values, count, info.channels);
    }
    return true;
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
    const qint64 count = (peaks.frames + peaks.framesPerBucket - 1) / peaks.framesPerBucket;
    peaks.buckets.resize(size_t(count));

    // A long clip is read in a few stretches at once, each into its own
    // buckets, on threads of its own (the caller is itself a worker of the
    // shared pool, which must not wait on that pool).
    const int parts = peaks.frames >= kLongClipFrames ? kParts : 1;
    std::atomic<bool> failed = false;
    const auto readPart = [&](int k) {
        if (!readBuckets(path, info, peaks, count * k / parts, count * (k + 1) / parts))
            failed = true;
    };
    std::vector<std::thread> helpers;
    for (int k = 1; k < parts; ++k) {
        try {
            helpers.emplace_back(readPart, k);
        } catch (const std::system_error &) { // no thread to be had: read it here
            readPart(k);
        }
    }
    readPart(0);
    for (std::thread &helper : helpers)
        helper.join();
    if (failed) {
        peaks.buckets.clear();
        peaks.error = QStringLiteral("cannot read %1").arg(path);
        return peaks;
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

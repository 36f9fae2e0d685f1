#include "encode/wavsource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <sndfile.h>

namespace {

QString quoted(const QString &path) { return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"'); }

template <class Sample>
Sample scaled(Sample v, double gain)
{
    if constexpr (std::is_floating_point_v<Sample>)
        return Sample(v * gain);
    else
        return Sample(std::lround(double(v) * gain));
}

} // namespace

WavSource::~WavSource()
{
    if (sf_)
        sf_close(sf_);
}

bool WavSource::isFloat() const { return subformat_ == SF_FORMAT_FLOAT || subformat_ == SF_FORMAT_DOUBLE; }

int WavSource::significantBits() const
{
    switch (subformat_) {
    case SF_FORMAT_PCM_U8: case SF_FORMAT_PCM_S8: return 8;
    case SF_FORMAT_PCM_16: return 16;
    case SF_FORMAT_PCM_32: return 32;
    default: return 24;
    }
}

Outcome WavSource::open(const QString &path, std::optional<double> keepSeconds, double fadeSeconds)
{
    path_ = path;
    const QFileInfo info(path);
    if (!info.isFile())
        return Outcome::failure(QStringLiteral("the audio %1 is missing").arg(quoted(path)));
    SF_INFO si{};
    sf_ = sf_open(QFile::encodeName(path).constData(), SFM_READ, &si);
    if (!sf_)
        return Outcome::failure(QStringLiteral("the audio %1 cannot be read (%2)").arg(quoted(path), QString::fromLocal8Bit(sf_strerror(nullptr))));
    const int major = si.format & SF_FORMAT_TYPEMASK;
    if (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX && major != SF_FORMAT_RF64)
        return Outcome::failure(QStringLiteral("the audio %1 is not a WAV file").arg(quoted(path)));
    if (si.channels < 1 || si.samplerate < 1)
        return Outcome::failure(QStringLiteral("the audio %1 has no channels or no sample rate").arg(quoted(path)));
    rate_ = si.samplerate;
    channels_ = si.channels;
    subformat_ = si.format & SF_FORMAT_SUBMASK;
    frames_ = si.frames;
    if (keepSeconds)
        frames_ = std::clamp(qint64(std::llround(*keepSeconds * rate_)), qint64(0), frames_);
    if (frames_ <= 0)
        return Outcome::failure(QStringLiteral("the audio %1 holds no sound").arg(quoted(path)));
    fadeFrames_ = std::min(frames_, qint64(std::llround(std::max(0.0, fadeSeconds) * rate_)));
    // Float samples are written out as they are; integers keep their bits.
    sf_command(sf_, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    return Outcome::success();
}

template <class Sample, class Reader>
Result<qint64> WavSource::readFaded(Sample *buf, qint64 n, Reader reader)
{
    n = std::min(n, frames_ - pos_);
    if (n <= 0)
        return qint64(0);
    const qint64 got = reader(sf_, buf, n);
    if (got < n) {
        // A file shorter than its header says ends the audio short: an error,
        // so that no part of it passes for the whole.
        return Result<qint64>::failure(QStringLiteral("the audio %1 could not be read to its end (%2)")
                                           .arg(quoted(path_), QString::fromLocal8Bit(sf_strerror(sf_))));
    }
    const qint64 fadeStart = frames_ - fadeFrames_;
    for (qint64 f = std::max<qint64>(0, fadeStart - pos_); f < got; ++f) {
        const double gain = double(frames_ - (pos_ + f)) / double(fadeFrames_);
        for (int c = 0; c < channels_; ++c)
            buf[f * channels_ + c] = scaled(buf[f * channels_ + c], gain);
    }
    pos_ += got;
    return got;
}

Result<qint64> WavSource::read(int *buf, qint64 n) { return readFaded(buf, n, sf_readf_int); }
Result<qint64> WavSource::read(float *buf, qint64 n) { return readFaded(buf, n, sf_readf_float); }

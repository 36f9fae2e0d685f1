#include "encode/floatstream.h"

#include "encode/atomicoutput.h"
#include "encode/encoders.h"
#include "encode/wavsource.h"

#include <cmath>
#include <soxr.h>

namespace {
constexpr qint64 kBlockFrames = 4096;
}

QString cancelledReason() { return QStringLiteral("the save was cancelled"); }

FloatStream::FloatStream(WavSource &source, const EncodeProgress &progress, int rate, int channels)
    : source_(source), progress_(progress), rate_(rate ? rate : source.rate()),
      channels_(channels ? channels : source.channels())
{
    if (source.channels() > 2 || channels_ > 2 || channels_ < source.channels()) {
        fail(QStringLiteral("%1 channels cannot be saved in this format (only mono or stereo)").arg(source.channels()));
        return;
    }
    read_.resize(size_t(kBlockFrames * source.channels()));
    if (rate_ == source.rate())
        return;
    soxr_error_t err = nullptr;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_ = soxr_create(source.rate(), rate_, unsigned(channels_), &err, &io, &quality, nullptr);
    if (err)
        fail(QStringLiteral("the sample rate cannot be changed (%1)").arg(QString::fromUtf8(err)));
}

FloatStream::~FloatStream()
{
    if (soxr_)
        soxr_delete(soxr_);
}

bool FloatStream::fail(const QString &why)
{
    if (error_.isEmpty())
        error_ = why;
    return false;
}

bool FloatStream::resample(const float *in, size_t frames, bool last)
{
    const double ratio = double(rate_) / double(source_.rate());
    resampled_.resize(size_t(std::ceil(double(frames) * ratio) + 256) * size_t(channels_));
    size_t taken = 0, made = 0;
    // The input is taken whole; the end flushes until soxr has no more.
    while (true) {
        size_t inDone = 0, outDone = 0;
        if (made == resampled_.size() / size_t(channels_))
            resampled_.resize(resampled_.size() * 2);
        const soxr_error_t err = soxr_process(soxr_, last ? nullptr : in + taken * size_t(channels_), last ? 0 : frames - taken,
                                              &inDone, resampled_.data() + made * size_t(channels_),
                                              resampled_.size() / size_t(channels_) - made, &outDone);
        if (err)
            return fail(QStringLiteral("the sample rate cannot be changed (%1)").arg(QString::fromUtf8(err)));
        taken += inDone;
        made += outDone;
        if (last ? outDone == 0 : taken == frames)
            break;
    }
    resampled_.resize(made * size_t(channels_));
    return true;
}

bool FloatStream::next(const float *&frames, qint64 &count)
{
    if (!error_.isEmpty() || ended_)
        return false;
    if (!progress_(source_.fraction()))
        return fail(cancelledReason());
    const qint64 got = source_.read(read_.data(), kBlockFrames);
    if (got < 0)
        return fail(source_.error());
    const float *block = read_.data();
    if (channels_ == 2 && source_.channels() == 1) {
        mapped_.resize(size_t(got) * 2);
        for (qint64 i = 0; i < got; ++i)
            mapped_[size_t(2 * i)] = mapped_[size_t(2 * i + 1)] = read_[size_t(i)];
        block = mapped_.data();
    }
    ended_ = got == 0;
    if (!soxr_) {
        frames = block;
        count = got;
        return !ended_;
    }
    if (!resample(block, size_t(got), ended_))
        return false;
    frames = resampled_.data();
    count = qint64(resampled_.size()) / channels_;
    // The flush at the end may still hand out a block.
    return count > 0 || !ended_;
}

QString runFloatEncoder(const EncodeTarget &target, FloatEncoder &encoder, int rate, int channels)
{
    FloatStream stream(target.source, target.progress, rate, channels);
    if (!stream.error().isEmpty())
        return stream.error();
    if (const QString why = encoder.open(target.out.tempPath(), stream.rate(), stream.channels()); !why.isEmpty())
        return why;
    const float *frames = nullptr;
    qint64 count = 0;
    while (stream.next(frames, count))
        if (const QString why = encoder.write(frames, count); !why.isEmpty())
            return why;
    if (!stream.error().isEmpty())
        return stream.error();
    return encoder.finish();
}

#include "base/resampler.h"

#include <algorithm>
#include <soxr.h>

namespace {
Failure soxrFailure(soxr_error_t err) { return Failure(QStringLiteral("resampler: %1").arg(QLatin1String(err))); }
} // namespace

Result<std::unique_ptr<Resampler>> Resampler::make(double inRate, double outRate, unsigned channels)
{
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t err = nullptr;
    soxr_t soxr = soxr_create(inRate, outRate, channels, &err, &io, &quality, nullptr);
    if (err) {
        if (soxr)
            soxr_delete(soxr);
        return soxrFailure(err);
    }
    return std::unique_ptr<Resampler>(new Resampler(soxr, outRate / inRate, channels));
}

Resampler::~Resampler()
{
    if (soxr_)
        soxr_delete(soxr_);
}

Outcome Resampler::process(const float *in, size_t frames, std::vector<float> &out)
{
    out.clear();
    return run(in, frames, out);
}

Outcome Resampler::finish(std::vector<float> &out)
{
    out.clear();
    return run(nullptr, 0, out);
}

// One call of soxr_process per chunk of output room, until the input is
// consumed (or, at the end, until nothing more comes out).
Outcome Resampler::run(const float *in, size_t frames, std::vector<float> &out)
{
    // Room for what the input makes, and a margin of about 64 KiB for what
    // the filter held back (the loop asks again while more comes).
    const size_t room = size_t(double(frames) * ratio_) + std::max<size_t>(16, 16384 / channels_);
    size_t consumed = 0;
    for (;;) {
        const size_t start = out.size() / channels_;
        out.resize((start + room) * channels_);
        size_t used = 0, made = 0;
        const float *from = in ? in + consumed * channels_ : nullptr;
        const soxr_error_t err = soxr_process(soxr_, from, in ? frames - consumed : 0, &used, out.data() + start * channels_,
                                              room, &made);
        out.resize((start + made) * channels_);
        if (err)
            return soxrFailure(err);
        consumed += used;
        if (in ? consumed >= frames && made < room : made == 0)
            return Outcome::success();
    }
}

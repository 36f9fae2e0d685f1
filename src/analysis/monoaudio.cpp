#include "analysis/monoaudio.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <soxr.h>

namespace {

constexpr int64_t blockFrames = 16384;

Failure unreadable() { return Failure(QStringLiteral("The clip's audio cannot be analysed.")); }

// Appends what the resampler makes of `in` (nullptr: the end of the input).
bool resampleInto(soxr_t soxr, const float *in, size_t frames, double ratio, std::vector<float> &out)
{
    size_t consumed = 0;
    for (;;) {
        const size_t room = size_t(double(frames - consumed) * ratio) + 4096;
        const size_t start = out.size();
        out.resize(start + room);
        size_t used = 0, made = 0;
        const soxr_error_t err =
            soxr_process(soxr, in ? in + consumed : nullptr, in ? frames - consumed : 0, &used, out.data() + start, room, &made);
        out.resize(start + made);
        if (err)
            return false;
        consumed += used;
        if (in ? consumed >= frames && made < room : made == 0)
            return true;
    }
}

} // namespace

bool isCancelled(const std::atomic<bool> *cancel) { return cancel && cancel->load(std::memory_order_relaxed); }

Failure analysisStopped() { return Failure(QStringLiteral("The analysis was stopped.")); }

Result<MonoAudio> readMono(const PcmSource &source, int rate, const std::atomic<bool> *cancel, double maxSeconds)
{
    if (source.channels < 1 || source.channels > 64 || source.rate < 1000 || source.rate > 1'000'000 || !source.read)
        return unreadable();
    MonoAudio mono;
    mono.rate = rate;
    const double ratio = double(rate) / source.rate;
    std::unique_ptr<soxr, decltype(&soxr_delete)> soxr(nullptr, soxr_delete);
    if (source.rate != rate) {
        const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_MQ, 0);
        soxr_error_t err = nullptr;
        soxr.reset(soxr_create(source.rate, rate, 1, &err, &io, &quality, nullptr));
        if (err || !soxr)
            return unreadable();
    }
    const size_t most = maxSeconds > 0 ? size_t(maxSeconds * rate) : SIZE_MAX;
    if (source.frames > 0)
        mono.samples.reserve(std::min(most, size_t(double(source.frames) * ratio) + 4096));
    std::vector<float> block(size_t(blockFrames) * size_t(source.channels));
    std::vector<float> mixed(blockFrames);
    const float scale = 1.0f / float(source.channels);
    for (;;) {
        if (isCancelled(cancel))
            return analysisStopped();
        const int64_t got = source.read(block.data(), blockFrames);
        if (got < 0 || got > blockFrames)
            return Failure(QStringLiteral("The clip could not be read."));
        if (got == 0 || mono.samples.size() >= most)
            break;
        for (int64_t f = 0; f < got; ++f) {
            const float *frame = block.data() + f * source.channels;
            float sum = 0;
            for (int c = 0; c < source.channels; ++c)
                sum += frame[c];
            // Damaged samples (NaN, infinities) count as silence.
            mixed[size_t(f)] = std::isfinite(sum) ? std::clamp(sum * scale, -4.0f, 4.0f) : 0.0f;
        }
        if (!soxr)
            mono.samples.insert(mono.samples.end(), mixed.begin(), mixed.begin() + got);
        else if (!resampleInto(soxr.get(), mixed.data(), size_t(got), ratio, mono.samples))
            return unreadable();
    }
    if (soxr && !resampleInto(soxr.get(), nullptr, 0, ratio, mono.samples))
        return unreadable();
    if (mono.samples.size() > most)
        mono.samples.resize(most);
    return mono;
}

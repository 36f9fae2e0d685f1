#include "core/clipaudio.h"

#include "base/filecopy.h"
#include "base/resampler.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

constexpr qint64 kBlockFrames = 16384;
constexpr qint64 kBlockBytes = 1 << 20;
// Far more frames than any WAV result holds, small enough that frames times
// any frame size stays inside 64 bits.
constexpr qint64 kFramesCap = qint64(1) << 40;

// Frames per block: kBlockFrames, fewer for frames so wide (thousands of
// channels, or a large rise of the rate) that a block's buffers would pass
// about kBlockBytes.
qint64 blockFrames(const WavInfo &info, const PcmFormat &to)
{
    const double rise = std::max(1.0, double(to.rate) / double(info.sampleRate));
    const double widest = std::max({double(info.blockAlign), double(info.channels) * sizeof(float),
                                    double(to.channels) * sizeof(float) * rise});
    return std::clamp<qint64>(qint64(double(kBlockBytes) / widest), 1, kBlockFrames);
}

// The conversion of one clip, block by block.
class ClipConverter {
public:
    // The failure says why the rate cannot be changed.
    static Result<ClipConverter> make(const WavInfo &info, const PcmFormat &to)
    {
        ClipConverter converter(pcmFormatOf(info), to);
        if (converter.from_.rate != to.rate) {
            Result<std::unique_ptr<Resampler>> resampler = Resampler::make(converter.from_.rate, to.rate, to.channels);
            if (!resampler)
                return resampler.failure();
            converter.resampler_ = resampler.take();
        }
        return converter;
    }

    // Converts `frames` frames of raw input; the result is in bytes().
    Outcome convert(const char *raw, qint64 frames)
    {
        decoded_.resize(size_t(frames * from_.channels));
        samplesToFloat(raw, from_.sample, frames * from_.channels, decoded_.data());
        mapped_.resize(size_t(frames * to_.channels));
        remapChannels(decoded_.data(), from_.channels, mapped_.data(), to_.channels, frames);
        if (!resampler_)
            return encode(mapped_);
        if (Outcome resampled = resampler_->process(mapped_.data(), size_t(frames), resampled_); !resampled)
            return resampled;
        return encode(resampled_);
    }
    // The frames a resampler still holds after the last block.
    Outcome finish()
    {
        bytes_.clear();
        if (!resampler_)
            return Outcome::success();
        if (Outcome resampled = resampler_->finish(resampled_); !resampled)
            return resampled;
        return encode(resampled_);
    }

    const std::vector<char> &bytes() const { return bytes_; }

private:
    ClipConverter(const PcmFormat &from, const PcmFormat &to) : from_(from), to_(to) {}

    Outcome encode(const std::vector<float> &samples)
    {
        bytes_.resize(samples.size() * size_t(bytesPerSample(to_.sample)));
        samplesFromFloat(samples.data(), qint64(samples.size()), to_.sample, bytes_.data());
        return Outcome::success();
    }

    PcmFormat from_, to_;
    std::unique_ptr<Resampler> resampler_;
    std::vector<float> decoded_, mapped_, resampled_;
    std::vector<char> bytes_;
};

Outcome readAt(int fd, qint64 offset, char *buffer, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::pread(fd, buffer, size_t(size), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Outcome::failure(n < 0 ? lastSystemError() : QStringLiteral("the file ended early"));
        buffer += n;
        offset += n;
        size -= n;
    }
    return Outcome::success();
}

Result<qint64> appendConverted(int inFd, const WavInfo &info, const PcmFormat &to, int outFd)
{
    Result<ClipConverter> made = ClipConverter::make(info, to);
    if (!made)
        return made.failure();
    ClipConverter &converter = made.value();
    const qint64 block = blockFrames(info, to);
    std::vector<char> raw(size_t(block * info.blockAlign));
    qint64 written = 0;
    // Writes the converted block.
    const auto put = [&](const Outcome &converted) {
        if (!converted)
            return converted;
        const std::vector<char> &out = converter.bytes();
        written += qint64(out.size());
        return writeAll(outFd, out.data(), qint64(out.size()));
    };
    for (qint64 frame = 0; frame < info.frames(); frame += block) {
        const qint64 frames = std::min(block, info.frames() - frame);
        Outcome step = readAt(inFd, info.dataOffset + frame * info.blockAlign, raw.data(), frames * info.blockAlign);
        if (step)
            step = put(converter.convert(raw.data(), frames));
        if (!step)
            return step.failure();
    }
    if (Outcome last = put(converter.finish()); !last)
        return last.failure();
    return written;
}

} // namespace

PcmFormat pcmFormatOf(const WavInfo &info)
{
    return {info.sampleFormat(), info.channels, info.sampleRate};
}

qint64 clipAudioBytes(const WavInfo &info, const PcmFormat &to)
{
    const PcmFormat from = pcmFormatOf(info);
    qint64 frames = info.frames();
    if (from.rate != to.rate)
        frames = qint64(std::min<__int128>(__int128(frames) * to.rate / from.rate, kFramesCap)) + 2;
    return frames * to.frameBytes();
}

Result<qint64> appendClipAudio(int inFd, const WavInfo &info, const PcmFormat &to, int outFd)
{
    if (pcmFormatOf(info) != to)
        return appendConverted(inFd, info, to, outFd);
    const qint64 bytes = info.frames() * info.blockAlign;
    if (Outcome copied = copyFileBytes(inFd, info.dataOffset, outFd, bytes); !copied)
        return copied.failure();
    return bytes;
}

void remapChannels(const float *in, int inChannels, float *out, int outChannels, qint64 frames)
{
    for (qint64 f = 0; f < frames; ++f, in += inChannels, out += outChannels) {
        if (outChannels == 1 && inChannels > 1) {
            float sum = 0;
            for (int c = 0; c < inChannels; ++c)
                sum += in[c];
            out[0] = sum / float(inChannels);
        } else {
            for (int c = 0; c < outChannels; ++c)
                out[c] = inChannels == 1 ? in[0] : c < inChannels ? in[c] : 0.0f;
        }
    }
}

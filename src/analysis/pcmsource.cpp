#include "analysis/pcmsource.h"

#include <algorithm>
#include <cstring>

PcmSource PcmSource::fromBuffer(const float *interleaved, int64_t frames, int channels, int rate)
{
    PcmSource source;
    source.channels = channels;
    source.rate = rate;
    source.frames = frames;
    int64_t position = 0;
    source.read = [=](float *out, int64_t maxFrames) mutable -> int64_t {
        const int64_t n = std::min(maxFrames, std::max<int64_t>(frames - position, 0));
        if (n > 0)
            std::memcpy(out, interleaved + position * channels, size_t(n) * size_t(channels) * sizeof(float));
        position += n;
        return n;
    };
    return source;
}

// libFuzzer target: the FFmpeg reader over a memory image: opened, read to
// an end in the decoder's blocks, rewound and read again, moved to the middle.
#include "reader.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace orvane;

namespace {

// Reads up to `limit` bytes; the bytes read. A read of more than asked,
// or of part of a frame, stops the run as a crash.
int64_t drain(Reader &reader, int64_t limit)
{
    static std::vector<unsigned char> block(20000);
    const size_t frame = size_t(reader.format().frameBytes());
    const size_t ask = block.size() - block.size() % frame;
    int64_t total = 0;
    while (total < limit) {
        const long got = reader.read(block.data(), ask);
        if (got < 0)
            break;
        if (size_t(got) > ask || size_t(got) % frame != 0)
            __builtin_trap();
        total += got;
        if (size_t(got) < ask)
            break;
    }
    return total;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Source source;
    source.bytes.assign(data, data + size);
    Opening opened = openMedia(source, 0);
    if (!opened.reader) {
        if (opened.error == BASS_OK || opened.why.empty())
            __builtin_trap(); // a refusal always says why
        return 0;
    }
    Reader &reader = *opened.reader;
    const Format &f = reader.format();
    if (f.rate <= 0 || f.channels <= 0 || f.eightBit)
        __builtin_trap();
    // At most 8 MB of PCM per input, so that each run stays short.
    const int64_t total = drain(reader, 8 << 20);
    if (reader.seek(0) && drain(reader, total) != total)
        __builtin_trap(); // the same again from the start
    const int64_t middle = total / 2 / f.frameBytes();
    if (reader.seek(middle))
        drain(reader, 1 << 16);
    return 0;
}

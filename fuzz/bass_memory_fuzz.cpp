// libFuzzer target: BASS_StreamCreateFile from a memory image, as the
// recorder uses it, then everything a caller does with the stream.
#include "bass.h"
#include "bassdrain.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool started = BASS_Init(0, 44100, 0, nullptr, nullptr) != 0;
    if (!started)
        __builtin_trap();
    if (size == 0)
        return 0;
    // The library must keep its own copy: the caller's buffer is gone after the call.
    std::vector<uint8_t> image(data, data + size);
    const DWORD h = BASS_StreamCreateFile(1, image.data(), 0, image.size(), BASS_STREAM_DECODE);
    image.assign(image.size(), 0xAA);
    if (h == 0) {
        if (BASS_ErrorGetCode() == 0)
            __builtin_trap(); // a failure always has a code
        return 0;
    }
    BASS_CHANNELINFO info{};
    if (!BASS_ChannelGetInfo(h, &info) || info.chans == 0 || info.freq == 0)
        __builtin_trap();
    DWORD rate = 0;
    BASS_ChannelGetAttributes(h, &rate, nullptr, nullptr);
    const QWORD length = BASS_ChannelGetLength(h);
    (void)length;
    // At most 8 MB of PCM per input, so that each run stays short.
    const QWORD total = drainChannel(h, 8u << 20);
    static std::vector<unsigned char> buf(4000);
    if (BASS_ChannelGetPosition(h) != total)
        __builtin_trap();
    BASS_ChannelSetPosition(h, 0);
    BASS_ChannelGetData(h, buf.data(), 4000);
    BASS_ChannelSetPosition(h, total / 2 - (total / 2) % 4);
    BASS_ChannelGetData(h, buf.data(), 4000);
    if (!BASS_StreamFree(h))
        __builtin_trap();
    return 0;
}

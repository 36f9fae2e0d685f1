// libFuzzer target: BASS_MusicLoad from a memory image (tracker music
// through libopenmpt), then the calls a caller makes on it.
#include "bass.h"
#include "bassdrain.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool started = BASS_Init(0, 44100, 0, nullptr, nullptr) != 0;
    if (!started)
        __builtin_trap();
    if (size == 0 || size > (1u << 20))
        return 0;
    const DWORD h = BASS_MusicLoad(1, data, 0, DWORD(size), BASS_STREAM_DECODE | BASS_MUSIC_MEASURE | BASS_MUSIC_RAMP, 0);
    if (h == 0) {
        if (BASS_ErrorGetCode() == 0)
            __builtin_trap();
        return 0;
    }
    BASS_CHANNELINFO info{};
    if (!BASS_ChannelGetInfo(h, &info) || info.chans != 2 || info.freq != 44100)
        __builtin_trap();
    drainChannel(h, 2u << 20);
    BASS_ChannelSetPosition(h, 0);
    BASS_StreamFree(h);
    return 0;
}

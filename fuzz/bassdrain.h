#pragma once
// What the audio library's fuzz targets share: reading a channel's data.
#include "bass.h"

#include <vector>

// Reads the channel block by block until it ends or `limit` bytes came; the
// bytes read. A block larger than asked for stops the run as a crash.
inline QWORD drainChannel(DWORD handle, QWORD limit)
{
    static std::vector<unsigned char> block(20000);
    QWORD total = 0;
    while (BASS_ChannelIsActive(handle) && total < limit) {
        const DWORD got = BASS_ChannelGetData(handle, block.data(), DWORD(block.size()));
        if (got == 0xFFFFFFFFu)
            break;
        if (got > block.size())
            __builtin_trap();
        total += got;
    }
    return total;
}

#pragma once
// A channel behind a handle: a decoding stream, a playing stream or a
// recording. Each BASS_Channel* call is one call on the channel; what a kind
// of channel cannot do fails with BASS_ERROR_NOTAVAIL.
#include "bass.h"

namespace orvane {

// A value, or the error code of bass.h that says why there is none.
template <typename T>
struct Answer {
    T value{};
    int error = BASS_OK;
    static Answer failed(int code) { return Answer{T{}, code}; }
};

class Channel {
public:
    virtual ~Channel() = default;
    // Only streams are freed with BASS_StreamFree (a recording ends with
    // BASS_ChannelStop).
    virtual bool isStream() const { return true; }
    virtual BASS_CHANNELINFO info() = 0;
    virtual DWORD active() = 0;
    virtual QWORD position() = 0;
    virtual int stop() = 0;
    virtual Answer<DWORD> data(void *, DWORD) { return Answer<DWORD>::failed(BASS_ERROR_NOTAVAIL); }
    virtual Answer<QWORD> length() { return Answer<QWORD>::failed(BASS_ERROR_NOTAVAIL); }
    virtual int setPosition(QWORD) { return BASS_ERROR_NOTAVAIL; }
    virtual int play(bool) { return BASS_ERROR_NOTAVAIL; }
};

} // namespace orvane

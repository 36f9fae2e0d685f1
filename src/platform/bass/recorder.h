#pragma once
// One recording: a record stream of the sound server whose samples a thread
// of the library's own hands to the caller's RECORDPROC in blocks.
#include "bass.h"
#include "channel.h"
#include "platform/pulse/connection.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace orvane {

struct RecordCore; // what the stream's callbacks and the delivering thread share

class Recording : public Channel {
public:
    struct Format {
        DWORD freq = 0;
        DWORD chans = 0;
        bool eightBit = false; // 8-bit unsigned, else 16-bit signed
    };
    // Starts recording from the source of that name (empty: the server's
    // default). A BASS error code; on BASS_OK *out holds the recording.
    static int start(std::shared_ptr<pulse::Connection> connection, const std::string &source, const Format &format,
                     RECORDPROC *proc, void *user, DWORD handle, std::unique_ptr<Recording> &out);
    ~Recording() override; // stops
    Recording(const Recording &) = delete;
    Recording &operator=(const Recording &) = delete;

    // Ends the recording: no call of the procedure after this returns (from
    // inside the procedure: none after the running call returns).
    int stop() override;
    bool recording() const;
    // The channel calls on the recording.
    bool isStream() const override { return false; }
    BASS_CHANNELINFO info() override;
    DWORD active() override { return recording() ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED; }
    QWORD position() override; // bytes handed to the procedure
    // Moves the recording to another source (the server's index).
    bool moveTo(uint32_t sourceIndex);

    const DWORD handle;
    const Format format;

private:
    Recording(DWORD handle, const Format &format) : handle(handle), format(format) {}
    std::shared_ptr<RecordCore> core_;
    std::thread thread_;
    std::mutex stopping_; // one stop at a time from outside the procedure
};

} // namespace orvane

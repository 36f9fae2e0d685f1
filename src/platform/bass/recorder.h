#pragma once
// One recording: a record stream of the sound server whose samples a thread
// of the library's own hands to the caller's RECORDPROC in blocks.
#include "bass.h"
#include "pulseconnection.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace orvane {

struct RecordCore; // what the stream's callbacks and the delivering thread share

class Recording {
public:
    struct Format {
        DWORD freq = 0;
        DWORD chans = 0;
        bool eightBit = false; // 8-bit unsigned, else 16-bit signed
    };
    // Starts recording from the source of that name (empty: the server's
    // default). A BASS error code; on BASS_OK *out holds the recording.
    static int start(std::shared_ptr<PulseConnection> connection, const std::string &source, const Format &format,
                     RECORDPROC *proc, void *user, DWORD handle, std::unique_ptr<Recording> &out);
    ~Recording(); // stops
    Recording(const Recording &) = delete;
    Recording &operator=(const Recording &) = delete;

    // Ends the recording: no call of the procedure after this returns (from
    // inside the procedure: none after the running call returns).
    void stop();
    bool active() const;
    uint64_t delivered() const; // bytes handed to the procedure
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

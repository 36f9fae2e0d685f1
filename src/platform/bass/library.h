#pragma once
// What BASS_Init starts and BASS_Free ends, as the stream calls see it.
#include <cstdint>
#include <memory>

namespace pulse {
class Connection;
}

namespace orvane {

struct Started {
    uint64_t generation = 0; // counts BASS_Init calls; 0: not started
    std::shared_ptr<pulse::Connection> output; // the default output; null with device 0
};
// The running library; generation 0 when it is not started.
Started startedLibrary();
// BASS_OK while the library of that generation runs, else BASS_ERROR_INIT
// (freed, perhaps started again, while a stream was being opened).
int stillRunning(uint64_t generation);

} // namespace orvane

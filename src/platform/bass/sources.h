#pragma once
// The sound server's sources as the library's recording inputs.
#include "bass.h"
#include "platform/pulse/connection.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvane {

struct SourceInfo {
    uint32_t index = PA_INVALID_INDEX; // the server's index
    std::string name;                  // the server's name, e.g. "clipforge_sink.monitor"
    std::string description;           // the text shown to the user
    bool monitor = false;              // the monitor of a sink
    uint8_t channels = 0;
    unsigned percent = 0; // volume, 0-100
    DWORD type = BASS_INPUT_TYPE_UNDEF;
};

// Each takes the connection's lock, and is false when the server did not
// answer in time.
// Every source in input order: hardware sources in the server's order, then
// the monitors of the sinks.
bool listSources(pulse::Connection &connection, std::vector<SourceInfo> &out);
// One source by its name.
bool querySource(pulse::Connection &connection, const std::string &name, SourceInfo &out);
// Sets a source's volume to percent (0-100), keeping the balance of its channels.
bool setSourceVolume(pulse::Connection &connection, const std::string &name, unsigned percent);
// The name of the server's default source.
bool defaultSourceName(pulse::Connection &connection, std::string &out);

} // namespace orvane

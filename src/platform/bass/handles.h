#pragma once
// The table of handles: every channel of the library, whatever its kind.
// Handles are never 0 and not given out again while the process lasts
// (short of 4 billion channels).
#include "channel.h"

#include <functional>
#include <memory>
#include <vector>

namespace orvane {

// Keeps the channel under a new handle; 0 with the code `admit` returns
// when that is not BASS_OK. `admit` runs with the table locked, so that the
// library's release and a stream being added do not cross.
DWORD addChannel(std::shared_ptr<Channel> channel, const std::function<int()> &admit = {});
// A handle for a channel that needs its handle before it is kept (a
// recording hands it to its procedure), and the keeping of it.
DWORD newHandle();
void putChannel(DWORD handle, std::shared_ptr<Channel> channel);
// The channel behind a handle, or null.
std::shared_ptr<Channel> findChannel(DWORD handle);
// Takes a channel out of the table: any channel, or only a stream; null when
// the handle is not one (of a stream).
std::shared_ptr<Channel> removeChannel(DWORD handle);
std::shared_ptr<Channel> removeStream(DWORD handle);
// Takes every stream out.
std::vector<std::shared_ptr<Channel>> removeStreams();

} // namespace orvane

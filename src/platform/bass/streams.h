#pragma once
// The two kinds of stream over a reader: one the caller decodes
// (BASS_ChannelGetData; its reader is read ahead), one the library plays
// through the output.
#include "channel.h"
#include "reader.h"

#include <memory>

namespace pulse {
class Connection;
}

namespace orvane {

std::shared_ptr<Channel> makeDecodingStream(std::unique_ptr<Source> source, ReaderPtr reader, DWORD flags);
std::shared_ptr<Channel> makePlayingStream(std::unique_ptr<Source> source, ReaderPtr reader, DWORD flags,
                                           std::shared_ptr<pulse::Connection> output);

} // namespace orvane

#pragma once
// A reader read ahead on a thread of its own, a few chunks at most, so that
// what the caller does between two reads (writing a file, drawing a window)
// runs while the next chunks decode.
#include "reader.h"

namespace orvane {

ReaderPtr readAhead(ReaderPtr reader);

} // namespace orvane

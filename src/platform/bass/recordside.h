#pragma once
// The recording side of the library: the connection BASS_RecordInit makes,
// the inputs, which of them is recorded, and the recording, whose channel
// the handle table keeps until the next recording starts or the side is
// freed. Each call sets the calling thread's error code.
#include "bass.h"

namespace orvane {

BOOL recordInit(int device);
BOOL recordFree();
const char *recordInputName(int input);
DWORD recordInput(int input);
BOOL recordSetInput(int input, DWORD setting);
DWORD recordStart(DWORD freq, DWORD chans, DWORD flags, RECORDPROC *proc, void *user);

} // namespace orvane

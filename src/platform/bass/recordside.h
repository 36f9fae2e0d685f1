#pragma once
// The recording side of the library: the connection BASS_RecordInit makes,
// the inputs, which of them is recorded, and the recording. Each call sets
// the calling thread's error code.
#include "bass.h"

namespace orvane {

BOOL recordInit(int device);
BOOL recordFree();
const char *recordInputName(int input);
DWORD recordInput(int input);
BOOL recordSetInput(int input, DWORD setting);
DWORD recordStart(DWORD freq, DWORD chans, DWORD flags, RECORDPROC *proc, void *user);

// Recording channels have handles of their own, with the top bit set
// (stream handles never have it).
constexpr DWORD kRecordHandleBit = 0x80000000u;
inline bool isRecordHandle(DWORD handle) { return (handle & kRecordHandleBit) != 0; }
// The channel calls on a recording's handle: the latest recording answers
// them until the next one starts or the recording side is freed.
BOOL recordChannelStop(DWORD handle);
DWORD recordChannelActive(DWORD handle);
QWORD recordChannelPosition(DWORD handle);
BOOL recordChannelInfo(DWORD handle, BASS_CHANNELINFO *info);

} // namespace orvane

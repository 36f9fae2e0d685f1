// The recording calls of the library (recordside.cpp does the work).
#include "bass.h"
#include "recordside.h"

extern "C" {

BOOL BASS_RecordInit(int device) { return orvane::recordInit(device); }
BOOL BASS_RecordFree(void) { return orvane::recordFree(); }
const char *BASS_RecordGetInputName(int input) { return orvane::recordInputName(input); }
DWORD BASS_RecordGetInput(int input) { return orvane::recordInput(input); }
BOOL BASS_RecordSetInput(int input, DWORD setting) { return orvane::recordSetInput(input, setting); }
DWORD BASS_RecordStart(DWORD freq, DWORD chans, DWORD flags, RECORDPROC *proc, void *user)
{
    return orvane::recordStart(freq, chans, flags, proc, user);
}

} // extern "C"

// The recording side of the library. Until it records from the sound
// server, every call reports that no recording device answers.
#include "bass.h"
#include "reader.h"

extern "C" {

BOOL BASS_RecordInit(int) { return orvane::setLastError(BASS_ERROR_DEVICE); }
BOOL BASS_RecordFree(void) { return orvane::setLastError(BASS_OK); }
const char *BASS_RecordGetInputName(int) { orvane::setLastError(BASS_ERROR_INIT); return nullptr; }
DWORD BASS_RecordGetInput(int) { orvane::setLastError(BASS_ERROR_INIT); return 0xFFFFFFFFu; }
BOOL BASS_RecordSetInput(int, DWORD) { return orvane::setLastError(BASS_ERROR_INIT); }
DWORD BASS_RecordStart(DWORD, DWORD, DWORD, RECORDPROC *, void *) { return orvane::setLastError(BASS_ERROR_INIT); }

} // extern "C"

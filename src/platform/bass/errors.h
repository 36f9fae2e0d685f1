#pragma once
// The error code each thread's last call left (BASS_ErrorGetCode), and the
// words for every code (BASS_ErrorText).
namespace orvane {

// Sets the calling thread's code; 1 for BASS_OK, else 0 (the BOOL result of
// the call that sets it).
int setLastError(int code);
int lastError();
const char *errorText(int code);

} // namespace orvane

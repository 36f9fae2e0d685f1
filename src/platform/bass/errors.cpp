// The per-thread error code and the words for the codes of bass.h.
#include "errors.h"

#include "bass.h"

namespace orvane {

namespace {
thread_local int threadError = BASS_OK;
} // namespace

int setLastError(int code)
{
    threadError = code;
    return code == BASS_OK ? 1 : 0;
}

int lastError() { return threadError; }

const char *errorText(int code)
{
    switch (code) {
    case BASS_OK: return "no error";
    case BASS_ERROR_MEM: return "out of memory";
    case BASS_ERROR_FILEOPEN: return "the file could not be opened or read";
    case BASS_ERROR_FORMAT: return "not audio in a format the library reads";
    case BASS_ERROR_HANDLE: return "not a handle, or one already freed";
    case BASS_ERROR_ENDED: return "no more data";
    case BASS_ERROR_DEVICE: return "no sound server or device answers";
    case BASS_ERROR_NOTAVAIL: return "not available on this channel";
    case BASS_ERROR_INIT: return "the library has not been started (BASS_Init)";
    case BASS_ERROR_ILLPARAM: return "a parameter is not valid";
    case BASS_ERROR_NETWORK: return "the address could not be fetched";
    case BASS_ERROR_POSITION: return "the position is not valid";
    case BASS_ERROR_PROTOCOL: return "not an http, https or ftp address";
    case BASS_ERROR_ALREADY: return "the library has already been started";
    case BASS_ERROR_NOAUDIO: return "the file holds no audio stream";
    case BASS_ERROR_PROTECTED: return "the audio is encrypted (DRM) and cannot be read";
    case BASS_ERROR_DAMAGED: return "the file is damaged (cut short or corrupt)";
    default: return "unknown error";
    }
}

} // namespace orvane

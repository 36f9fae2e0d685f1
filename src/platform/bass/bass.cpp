// The start and release of the library, its configuration and its error
// words. The streams are streamcalls.cpp's, the channel calls
// channelcalls.cpp's, recording record.cpp's.
#include "bass.h"

#include "errors.h"
#include "handles.h"
#include "library.h"
#include "platform/pulse/connection.h"
#include "recordside.h"

#include <mutex>

namespace orvane {

namespace {

struct Library {
    std::mutex lock; // guards everything below
    bool started = false;
    uint64_t generation = 0;
    DWORD updatePeriod = 100;
    std::shared_ptr<pulse::Connection> output; // the default output, when device is not 0
};

Library &library()
{
    static Library *lib = new Library; // never destroyed: calls during exit stay safe
    return *lib;
}

} // namespace

Started startedLibrary()
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    return lib.started ? Started{lib.generation, lib.output} : Started{};
}

int stillRunning(uint64_t generation)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    return lib.started && lib.generation == generation ? BASS_OK : BASS_ERROR_INIT;
}

} // namespace orvane

using namespace orvane;

extern "C" {

DWORD BASS_GetVersion(void) { return BASSVERSION; }

BOOL BASS_SetConfig(DWORD option, DWORD value)
{
    if (option != BASS_CONFIG_UPDATEPERIOD || value > 100)
        return setLastError(BASS_ERROR_ILLPARAM);
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    lib.updatePeriod = value;
    return setLastError(BASS_OK);
}

BOOL BASS_Init(int device, DWORD, DWORD, void *, void *)
{
    if (device != 0 && device != -1 && device != 1)
        return setLastError(BASS_ERROR_DEVICE);
    Library &lib = library();
    {
        std::lock_guard<std::mutex> guard(lib.lock);
        if (lib.started)
            return setLastError(BASS_ERROR_ALREADY);
    }
    // -1 (and 1, the first device): the sound server's default output.
    std::shared_ptr<pulse::Connection> output;
    if (device != 0 && !(output = pulse::Connection::open("Orvane audio library", "orvane-bass-pulse")))
        return setLastError(BASS_ERROR_DEVICE);
    std::lock_guard<std::mutex> guard(lib.lock);
    if (lib.started)
        return setLastError(BASS_ERROR_ALREADY);
    lib.started = true;
    lib.output = std::move(output);
    ++lib.generation;
    return setLastError(BASS_OK);
}

BOOL BASS_Free(void)
{
    Library &lib = library();
    std::shared_ptr<pulse::Connection> output;
    bool started;
    {
        std::lock_guard<std::mutex> guard(lib.lock);
        started = lib.started;
        output.swap(lib.output);
        lib.started = false;
    }
    removeStreams().clear(); // outside every lock: a stream may still finish a call
    output.reset();
    const bool recorded = recordFree() != 0; // a recording ends too
    return setLastError(started || recorded ? BASS_OK : BASS_ERROR_INIT);
}

int BASS_ErrorGetCode(void) { return lastError(); }

const char *BASS_ErrorText(int code) { return errorText(code); }

} // extern "C"

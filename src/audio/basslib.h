#pragma once
// The program's side of the audio library: libbass.so is loaded
// at run time from a full path (the application folder, never the loader's
// search path) and every BASS_* call is resolved by name into one table.

#include "base/result.h"
#include "platform/bass/bass.h"

#include <QString>
#include <memory>

// One function pointer per call of platform/bass/bass.h, named as the call.
struct BassApi {
    DWORD (*BASS_GetVersion)(void) = nullptr;
    BOOL (*BASS_SetConfig)(DWORD option, DWORD value) = nullptr;
    BOOL (*BASS_Init)(int device, DWORD freq, DWORD flags, void *window, void *clsid) = nullptr;
    BOOL (*BASS_Free)(void) = nullptr;
    int (*BASS_ErrorGetCode)(void) = nullptr;
    const char *(*BASS_ErrorText)(int code) = nullptr;
    DWORD (*BASS_StreamCreateFile)(BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags) = nullptr;
    DWORD (*BASS_StreamCreateURL)(const char *url, DWORD offset, DWORD flags, void *proc, void *user) = nullptr;
    DWORD (*BASS_MusicLoad)(BOOL mem, const void *file, QWORD offset, DWORD length, DWORD flags, DWORD freq) = nullptr;
    BOOL (*BASS_StreamFree)(DWORD handle) = nullptr;
    BOOL (*BASS_ChannelGetInfo)(DWORD handle, BASS_CHANNELINFO *info) = nullptr;
    BOOL (*BASS_ChannelGetAttributes)(DWORD handle, DWORD *freq, DWORD *volume, int *pan) = nullptr;
    DWORD (*BASS_ChannelGetData)(DWORD handle, void *buffer, DWORD length) = nullptr;
    DWORD (*BASS_ChannelIsActive)(DWORD handle) = nullptr;
    QWORD (*BASS_ChannelGetPosition)(DWORD handle) = nullptr;
    QWORD (*BASS_ChannelGetLength)(DWORD handle) = nullptr;
    BOOL (*BASS_ChannelSetPosition)(DWORD handle, QWORD position) = nullptr;
    BOOL (*BASS_ChannelPlay)(DWORD handle, BOOL restart) = nullptr;
    BOOL (*BASS_ChannelStop)(DWORD handle) = nullptr;
    BOOL (*BASS_RecordInit)(int device) = nullptr;
    BOOL (*BASS_RecordFree)(void) = nullptr;
    const char *(*BASS_RecordGetInputName)(int input) = nullptr;
    DWORD (*BASS_RecordGetInput)(int input) = nullptr;
    BOOL (*BASS_RecordSetInput)(int input, DWORD setting) = nullptr;
    DWORD (*BASS_RecordStart)(DWORD freq, DWORD chans, DWORD flags, RECORDPROC *proc, void *user) = nullptr;
};

// A loaded libbass.so; unloaded when destroyed. Every pointer of api() is
// set: a library lacking one of the calls does not load.
class BassLibrary {
public:
    enum class LoadFailure {
        None,
        NotAbsolute,     // the path is not a full path
        CannotLoad,      // missing file, or not a loadable library
        MissingFunction, // loaded, but one of the calls is not in it (the wrong version)
    };

    // Loads the library at `path`, a full path such as
    // RPP(application folder) + "libbass.so". A failure's words name the
    // cause (for a missing call: "missing function BASS_..."); *kind, when
    // given, is set to its kind.
    static Result<std::unique_ptr<BassLibrary>> load(const QString &path, LoadFailure *kind = nullptr);
    ~BassLibrary();
    BassLibrary(const BassLibrary &) = delete;
    BassLibrary &operator=(const BassLibrary &) = delete;

    const BassApi &api() const { return api_; }
    const QString &path() const { return path_; }

private:
    BassLibrary() = default;
    void *handle_ = nullptr;
    BassApi api_;
    QString path_;
};

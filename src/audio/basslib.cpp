#include "audio/basslib.h"

#include <QDir>
#include <QFile>
#include <dlfcn.h>

namespace {

// Resolves one call by name into its pointer; false when it is missing.
template <typename F>
bool resolve(void *handle, const char *name, F &slot, QString *missing)
{
    dlerror();
    void *symbol = dlsym(handle, name);
    if (!symbol) {
        if (missing->isEmpty())
            *missing = QString::fromLatin1(name);
        return false;
    }
    slot = reinterpret_cast<F>(symbol);
    return true;
}

Failure report(BassLibrary::LoadFailure *kind, BassLibrary::LoadFailure what, const QString &text)
{
    if (kind)
        *kind = what;
    return Failure{text, {}, {}, false};
}

// In a sanitizer build the library stays mapped after dlclose: its
// never-destroyed objects stay reachable from its own data, and the leak
// checker can name its functions at exit.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kKeepMapped = RTLD_NODELETE;
#else
constexpr int kKeepMapped = 0;
#endif

} // namespace

Result<std::unique_ptr<BassLibrary>> BassLibrary::load(const QString &path, LoadFailure *kind)
{
    if (kind)
        *kind = LoadFailure::None;
    // A full path, so that dlopen never searches the loader's path.
    if (path.isEmpty() || !QDir::isAbsolutePath(path)) {
        return report(kind, LoadFailure::NotAbsolute, QStringLiteral("not a full path: %1").arg(path));
    }
    const QByteArray native = QFile::encodeName(path);
    void *handle = dlopen(native.constData(), RTLD_NOW | RTLD_LOCAL | kKeepMapped);
    if (!handle) {
        const char *why = dlerror();
        return report(kind, LoadFailure::CannotLoad,
                      QStringLiteral("cannot load %1: %2").arg(path, QString::fromLocal8Bit(why ? why : "unknown")));
    }
    std::unique_ptr<BassLibrary> lib(new BassLibrary);
    lib->handle_ = handle;
    lib->path_ = path;
    BassApi &a = lib->api_;
    QString missing;
    bool ok = true;
#define BASS_RESOLVE(name) ok = resolve(handle, #name, a.name, &missing) && ok
    BASS_RESOLVE(BASS_GetVersion);
    BASS_RESOLVE(BASS_SetConfig);
    BASS_RESOLVE(BASS_Init);
    BASS_RESOLVE(BASS_Free);
    BASS_RESOLVE(BASS_ErrorGetCode);
    BASS_RESOLVE(BASS_ErrorText);
    BASS_RESOLVE(BASS_StreamCreateFile);
    BASS_RESOLVE(BASS_StreamCreateURL);
    BASS_RESOLVE(BASS_MusicLoad);
    BASS_RESOLVE(BASS_StreamFree);
    BASS_RESOLVE(BASS_ChannelGetInfo);
    BASS_RESOLVE(BASS_ChannelGetAttributes);
    BASS_RESOLVE(BASS_ChannelGetData);
    BASS_RESOLVE(BASS_ChannelIsActive);
    BASS_RESOLVE(BASS_ChannelGetPosition);
    BASS_RESOLVE(BASS_ChannelGetLength);
    BASS_RESOLVE(BASS_ChannelSetPosition);
    BASS_RESOLVE(BASS_ChannelPlay);
    BASS_RESOLVE(BASS_ChannelStop);
    BASS_RESOLVE(BASS_RecordInit);
    BASS_RESOLVE(BASS_RecordFree);
    BASS_RESOLVE(BASS_RecordGetInputName);
    BASS_RESOLVE(BASS_RecordGetInput);
    BASS_RESOLVE(BASS_RecordSetInput);
    BASS_RESOLVE(BASS_RecordStart);
#undef BASS_RESOLVE
    if (!ok) {
        return report(kind, LoadFailure::MissingFunction,
                      QStringLiteral("missing function %1 in %2").arg(missing, path)); // lib's destructor unloads it
    }
    return lib;
}

BassLibrary::~BassLibrary()
{
    if (handle_)
        dlclose(handle_);
}

// Loads the AAC/MP4 writer from libclipforge_aac.so beside the program the
// first time an M4R is saved, and keeps it loaded.
#include "encode/encoders.h"

#include <QFile>
#include <QFileInfo>
#include <dlfcn.h>
#include <memory>
#include <mutex>

namespace {

using MakeWriter = FloatEncoder *(*)();

// The module's factory, or why it cannot be loaded.
Result<MakeWriter> writerFactory()
{
    static std::once_flag once;
    static MakeWriter make = nullptr;
    static QString loadError;
    std::call_once(once, [] {
        // The program's own folder, named in full, so that dlopen never
        // searches the loader's path.
        const QString path = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath() + QStringLiteral("/libclipforge_aac.so");
        void *handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (handle)
            make = reinterpret_cast<MakeWriter>(dlsym(handle, "clipforge_new_aac_mp4_writer"));
        if (!make) {
            const char *why = dlerror();
            loadError = QStringLiteral("the AAC encoder %1 cannot be loaded (%2)").arg(path, QString::fromLocal8Bit(why ? why : "no entry"));
        }
    });
    if (!make)
        return Result<MakeWriter>::failure(loadError);
    return make;
}

} // namespace

Outcome encodeAacMp4(const EncodeTarget &target)
{
    const Result<MakeWriter> make = writerFactory();
    if (!make)
        return make.failure();
    const std::unique_ptr<FloatEncoder> writer(make.value()());
    return runFloatEncoder(target, *writer, kM4rRate, kM4rChannels);
}

// The FFmpeg reader's entry: loaded from libbass_media.so beside the code
// that asks, the first time a source needs it, and kept loaded.
#include "mediareader.h"

#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <mutex>
#include <string>

namespace orvane {

namespace {

#ifdef BASS_MEDIA_LINKED
OpenMediaEntry mediaEntry(std::string *) { return orvane_open_media; }
#else
// The module's entry, or null with *error set.
OpenMediaEntry mediaEntry(std::string *error)
{
    static std::once_flag once;
    static OpenMediaEntry entry = nullptr;
    static std::string loadError;
    std::call_once(once, [] {
        // The folder of the file this code is in (libbass.so, or a test
        // linking the readers), links resolved, named in full so that dlopen
        // never searches.
        Dl_info self{};
        std::string folder = ".";
        if (dladdr(reinterpret_cast<void *>(&mediaEntry), &self) && self.dli_fname) {
            char *real = ::realpath(self.dli_fname, nullptr);
            const std::string path = real ? real : self.dli_fname;
            std::free(real);
            const size_t slash = path.rfind('/');
            if (slash != std::string::npos)
                folder = path.substr(0, slash);
        }
        const std::string module = folder + "/libbass_media.so";
        if (void *handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL))
            entry = reinterpret_cast<OpenMediaEntry>(dlsym(handle, "orvane_open_media"));
        if (!entry) {
            const char *why = dlerror();
            loadError = "the FFmpeg module " + module + " cannot be loaded (" + (why ? why : "no entry") + ")";
        }
    });
    *error = loadError;
    return entry;
}
#endif

} // namespace

Opening openMedia(const Source &source, DWORD)
{
    std::string error;
    const OpenMediaEntry entry = mediaEntry(&error);
    if (!entry)
        return Opening::failed(BASS_ERROR_FORMAT, error);
    Opening opening;
    entry(&source, &opening);
    return opening;
}

} // namespace orvane

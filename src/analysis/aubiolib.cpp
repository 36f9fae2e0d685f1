#include "analysis/aubiolib.h"

#include <dlfcn.h>
#include <optional>
#include <string>

namespace {

// The run-time name of aubio 0.4, the series whose calls are used here.
constexpr const char *kLibrary = "libaubio.so.5";

std::string loadError;

template <typename F>
bool resolve(void *library, const char *name, F &slot)
{
    slot = reinterpret_cast<F>(dlsym(library, name));
    return slot != nullptr;
}

std::optional<AubioTempo> load()
{
    void *library = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
    AubioTempo a{};
    if (library && resolve(library, "new_aubio_tempo", a.newTempo) && resolve(library, "aubio_tempo_do", a.tempoDo)
        && resolve(library, "aubio_tempo_get_last_s", a.lastSeconds) && resolve(library, "del_aubio_tempo", a.deleteTempo)
        && resolve(library, "new_fvec", a.newVector) && resolve(library, "del_fvec", a.deleteVector))
        return a;
    const char *why = dlerror();
    loadError = std::string("the beat tracker ") + kLibrary + " cannot be loaded (" + (why ? why : "no entry") + ")";
    return std::nullopt;
}

} // namespace

const AubioTempo *aubioTempo()
{
    static const std::optional<AubioTempo> loaded = load();
    return loaded ? &*loaded : nullptr;
}

const char *aubioLoadError()
{
    aubioTempo();
    return loadError.c_str();
}

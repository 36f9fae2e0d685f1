// Downloads an address with libcurl into memory.
#include "bass.h"
#include "reader.h"

#include <curl/curl.h>
#include <dlfcn.h>
#include <new>
#include <optional>

namespace orvane {
namespace {

constexpr size_t kMaxBytes = size_t(1) << 30; // 1 GiB: anything more is not a song

size_t collect(char *data, size_t size, size_t count, void *user)
{
    auto *out = static_cast<std::vector<unsigned char> *>(user);
    const size_t n = size * count;
    if (out->size() + n > kMaxBytes)
        return 0;
    try {
        out->insert(out->end(), data, data + n);
    } catch (const std::bad_alloc &) {
        return 0;
    }
    return n;
}

// libcurl, loaded when the first address is fetched rather than with the
// library: it brings TLS, Kerberos and LDAP along, a third of the time that
// loading the library takes, which every decode of a file would pay.
struct Curl {
    CURLcode (*globalInit)(long flags);
    CURL *(*easyInit)();
    CURLcode (*easySetopt)(CURL *, CURLoption, ...);
    CURLcode (*easyPerform)(CURL *);
    void (*easyCleanup)(CURL *);
};

template <typename F>
bool resolve(void *library, const char *name, F &slot)
{
    slot = reinterpret_cast<F>(dlsym(library, name));
    return slot != nullptr;
}

// Null when libcurl cannot be loaded.
const Curl *curl()
{
    static const std::optional<Curl> loaded = []() -> std::optional<Curl> {
        void *library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
        Curl c{};
        if (!library || !resolve(library, "curl_global_init", c.globalInit)
            || !resolve(library, "curl_easy_init", c.easyInit) || !resolve(library, "curl_easy_setopt", c.easySetopt)
            || !resolve(library, "curl_easy_perform", c.easyPerform)
            || !resolve(library, "curl_easy_cleanup", c.easyCleanup) || c.globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            return std::nullopt;
        return c;
    }();
    return loaded ? &*loaded : nullptr;
}

} // namespace

int fetchUrl(const std::string &url, std::vector<unsigned char> &out)
{
    const Curl *lib = curl();
    if (!lib)
        return BASS_ERROR_NETWORK;
    CURL *curl = lib->easyInit();
    if (!curl)
        return BASS_ERROR_MEM;
    lib->easySetopt(curl, CURLOPT_URL, url.c_str());
    lib->easySetopt(curl, CURLOPT_PROTOCOLS_STR, "http,https,ftp");
    lib->easySetopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp");
    lib->easySetopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    lib->easySetopt(curl, CURLOPT_MAXREDIRS, 5L);
    lib->easySetopt(curl, CURLOPT_FAILONERROR, 1L);
    lib->easySetopt(curl, CURLOPT_NOSIGNAL, 1L);
    lib->easySetopt(curl, CURLOPT_CONNECTTIMEOUT, 15L);
    // Give up on a transfer slower than 1 byte/s for 30 s.
    lib->easySetopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    lib->easySetopt(curl, CURLOPT_LOW_SPEED_TIME, 30L);
    lib->easySetopt(curl, CURLOPT_WRITEFUNCTION, collect);
    lib->easySetopt(curl, CURLOPT_WRITEDATA, &out);
    const CURLcode rc = lib->easyPerform(curl);
    lib->easyCleanup(curl);
    if (rc == CURLE_OUT_OF_MEMORY)
        return BASS_ERROR_MEM;
    if (rc == CURLE_UNSUPPORTED_PROTOCOL)
        return BASS_ERROR_PROTOCOL;
    if (rc != CURLE_OK)
        return BASS_ERROR_NETWORK;
    return BASS_OK;
}

} // namespace orvane

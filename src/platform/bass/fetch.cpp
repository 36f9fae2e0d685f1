// Downloads an address with libcurl into memory.
#include "bass.h"
#include "reader.h"

#include <curl/curl.h>
#include <mutex>
#include <new>

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

} // namespace

int fetchUrl(const std::string &url, std::vector<unsigned char> &out)
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    CURL *curl = curl_easy_init();
    if (!curl)
        return BASS_ERROR_MEM;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https,ftp");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 15L);
    // Give up on a transfer slower than 1 byte/s for 30 s.
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, 30L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &out);
    const CURLcode rc = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    if (rc == CURLE_OUT_OF_MEMORY)
        return BASS_ERROR_MEM;
    if (rc == CURLE_UNSUPPORTED_PROTOCOL)
        return BASS_ERROR_PROTOCOL;
    if (rc != CURLE_OK)
        return BASS_ERROR_NETWORK;
    return BASS_OK;
}

} // namespace orvane

// The calls that make and free streams: from a file or a memory image of
// one, from an address, and tracker music.
#include "bass.h"

#include "errors.h"
#include "handles.h"
#include "library.h"
#include "reader.h"
#include "streams.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <new>
#include <string>
#include <sys/stat.h>

namespace orvane {

namespace {

// The bytes or the path a stream reads, from the caller's arguments; a code
// of bass.h.
int makeSource(BOOL mem, const void *file, QWORD offset, QWORD length, Source &out)
{
    if (!file)
        return BASS_ERROR_ILLPARAM;
    if (mem) {
        if (length == 0)
            return BASS_ERROR_ILLPARAM;
        if (length > QWORD(SIZE_MAX) / 2)
            return BASS_ERROR_MEM;
        const auto *start = static_cast<const unsigned char *>(file) + offset;
        out.bytes.assign(start, start + length);
        return BASS_OK;
    }
    const std::string path = static_cast<const char *>(file);
    struct stat st{};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return BASS_ERROR_FILEOPEN;
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return BASS_ERROR_FILEOPEN;
    if (offset == 0 && length == 0) {
        std::fclose(f);
        out.path = path;
        return BASS_OK;
    }
    // A part of a file: just that part, read into memory.
    const QWORD size = QWORD(st.st_size);
    if (offset > size) {
        std::fclose(f);
        return BASS_ERROR_POSITION;
    }
    const QWORD take = length == 0 ? size - offset : std::min<QWORD>(length, size - offset);
    out.bytes.resize(size_t(take));
    const bool read = ::fseeko(f, off_t(offset), SEEK_SET) == 0
                   && std::fread(out.bytes.data(), 1, out.bytes.size(), f) == out.bytes.size();
    std::fclose(f);
    return read ? BASS_OK : BASS_ERROR_FILEOPEN;
}

// A stream over the source, whose format its content tells: decoding when
// asked (or when there is no output), else playing.
DWORD openStream(Source &&source, bool music, DWORD flags, const Started &library)
{
    try {
        auto kept = std::make_unique<Source>(std::move(source)); // outlives the reader, which may point into it
        Opening opened = openSource(*kept, music, flags);
        if (!opened.reader)
            return setLastError(opened.error);
        std::shared_ptr<Channel> stream =
            (flags & BASS_STREAM_DECODE) || !library.output
                ? makeDecodingStream(std::move(kept), std::move(opened.reader), flags)
                : makePlayingStream(std::move(kept), std::move(opened.reader), flags, library.output);
        return addChannel(std::move(stream), [&] { return stillRunning(library.generation); });
    } catch (const std::bad_alloc &) {
        return setLastError(BASS_ERROR_MEM);
    } catch (...) {
        return setLastError(BASS_ERROR_UNKNOWN);
    }
}

// A stream over a file or a memory image of one; music: tracker music.
DWORD openFileStream(BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags, DWORD allowed, bool music)
{
    const Started library = startedLibrary();
    if (!library.generation)
        return setLastError(BASS_ERROR_INIT);
    if (flags & ~allowed)
        return setLastError(BASS_ERROR_ILLPARAM);
    Source source;
    try {
        if (const int rc = makeSource(mem, file, offset, length, source); rc != BASS_OK)
            return setLastError(rc);
    } catch (const std::bad_alloc &) {
        return setLastError(BASS_ERROR_MEM);
    }
    return openStream(std::move(source), music, flags, library);
}

bool startsWithNoCase(const std::string &s, const char *prefix)
{
    for (size_t i = 0; prefix[i]; ++i)
        if (i >= s.size() || std::tolower(static_cast<unsigned char>(s[i])) != prefix[i])
            return false;
    return true;
}

} // namespace

} // namespace orvane

using namespace orvane;

extern "C" {

DWORD BASS_StreamCreateFile(BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags)
{
    return openFileStream(mem, file, offset, length, flags, BASS_STREAM_DECODE, false);
}

DWORD BASS_StreamCreateURL(const char *url, DWORD offset, DWORD flags, void *, void *)
{
    const Started library = startedLibrary();
    if (!library.generation)
        return setLastError(BASS_ERROR_INIT);
    if (!url || (flags & ~DWORD(BASS_STREAM_DECODE | BASS_STREAM_FETCHALL)))
        return setLastError(BASS_ERROR_ILLPARAM);
    const std::string address = url;
    if (!startsWithNoCase(address, "http://") && !startsWithNoCase(address, "https://")
        && !startsWithNoCase(address, "ftp://"))
        return setLastError(BASS_ERROR_PROTOCOL);
    Source source;
    if (const int rc = fetchUrl(address, source.bytes); rc != BASS_OK)
        return setLastError(rc);
    if (offset > 0) {
        if (offset >= source.bytes.size())
            return setLastError(BASS_ERROR_POSITION);
        source.bytes.erase(source.bytes.begin(), source.bytes.begin() + offset);
    }
    if (source.bytes.empty())
        return setLastError(BASS_ERROR_FORMAT);
    return openStream(std::move(source), false, flags, library);
}

DWORD BASS_MusicLoad(BOOL mem, const void *file, QWORD offset, DWORD length, DWORD flags, DWORD)
{
    return openFileStream(mem, file, offset, length, flags, BASS_STREAM_DECODE | BASS_MUSIC_MEASURE | BASS_MUSIC_RAMP,
                          true);
}

BOOL BASS_StreamFree(DWORD handle)
{
    // A recording is not a stream: it ends with BASS_ChannelStop.
    std::shared_ptr<Channel> released = removeStream(handle);
    if (!released)
        return setLastError(BASS_ERROR_HANDLE);
    released.reset(); // outside the table's lock
    return setLastError(BASS_OK);
}

} // extern "C"

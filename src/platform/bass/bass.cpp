// The library's public calls: a table of channels behind handles, the
// per-thread error code, and the start and release of the library. Playback
// is player.cpp's, recording recordside.cpp's.
#include "bass.h"
#include "player.h"
#include "pulseconnection.h"
#include "reader.h"
#include "recordside.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <sys/stat.h>

namespace {

constexpr DWORD kFailed = 0xFFFFFFFFu;
constexpr size_t kChunk = 1 << 16; // bytes asked of a reader at once

struct Channel {
    std::unique_ptr<orvane::Source> source; // outlives the reader, which may point into it
    orvane::ReaderPtr reader;
    DWORD flags = 0;           // creation flags
    uint64_t position = 0;     // bytes delivered since the start
    int64_t length = 0;        // bytes in all
    bool ended = false;
    std::mutex lock;           // one call at a time on a channel
    // Streams made without BASS_STREAM_DECODE while an output is open; it
    // alone reads the reader then. Declared last: it goes first.
    std::unique_ptr<orvane::Player> player;
};

struct Library {
    std::mutex lock; // guards everything below
    std::map<DWORD, std::shared_ptr<Channel>> channels;
    DWORD nextHandle = 0x00010001;
    bool started = false;
    int device = 0;
    uint64_t generation = 0; // counts BASS_Init calls, so a slow open can tell the library was restarted
    DWORD updatePeriod = 100;
    std::shared_ptr<orvane::PulseConnection> output; // the default output, when device is not 0
};

Library &library()
{
    static Library *lib = new Library; // never destroyed: calls during exit stay safe
    return *lib;
}

thread_local int lastError = BASS_OK;

BOOL fail(int code)
{
    lastError = code;
    return 0;
}

BOOL succeed()
{
    lastError = BASS_OK;
    return 1;
}

// The channel behind a handle, or null with BASS_ERROR_HANDLE.
std::shared_ptr<Channel> find(DWORD handle)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    auto it = lib.channels.find(handle);
    if (it == lib.channels.end()) {
        lastError = BASS_ERROR_HANDLE;
        return nullptr;
    }
    return it->second;
}

// The generation of the running library, or 0 with BASS_ERROR_INIT.
uint64_t startedGeneration()
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    if (!lib.started) {
        lastError = BASS_ERROR_INIT;
        return 0;
    }
    return lib.generation;
}

DWORD add(std::shared_ptr<Channel> channel, uint64_t generation)
{
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    if (!lib.started || lib.generation != generation)
        return fail(BASS_ERROR_INIT); // freed while the stream was being opened
    if (!(channel->flags & BASS_STREAM_DECODE) && lib.output)
        channel->player = std::make_unique<orvane::Player>(lib.output, *channel->reader, channel->length);
    DWORD handle;
    do {
        handle = lib.nextHandle++;
        if (lib.nextHandle >= orvane::kRecordHandleBit) // recordings' handles have the top bit
            lib.nextHandle = 0x00010001;
    } while (handle == 0 || lib.channels.count(handle));
    lib.channels[handle] = std::move(channel);
    lastError = BASS_OK;
    return handle;
}

// The bytes or the path a stream reads, from the caller's arguments.
bool makeSource(BOOL mem, const void *file, QWORD offset, QWORD length, orvane::Source &out)
{
    if (!file)
        return fail(BASS_ERROR_ILLPARAM);
    try {
        if (mem) {
            if (length == 0)
                return fail(BASS_ERROR_ILLPARAM);
            if (length > QWORD(SIZE_MAX) / 2)
                return fail(BASS_ERROR_MEM);
            const auto *start = static_cast<const unsigned char *>(file) + offset;
            out.bytes.assign(start, start + length);
            return true;
        }
        const std::string path = static_cast<const char *>(file);
        struct stat st{};
        if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return fail(BASS_ERROR_FILEOPEN);
        std::FILE *probe = std::fopen(path.c_str(), "rb");
        if (!probe)
            return fail(BASS_ERROR_FILEOPEN);
        if (offset == 0 && length == 0) {
            std::fclose(probe);
            out.path = path;
            return true;
        }
        // A part of a file: read just that part into memory.
        const QWORD size = QWORD(st.st_size);
        if (offset > size) {
            std::fclose(probe);
            return fail(BASS_ERROR_POSITION);
        }
        const QWORD take = length == 0 ? size - offset : std::min<QWORD>(length, size - offset);
        out.bytes.resize(size_t(take));
        const bool ok = ::fseeko(probe, off_t(offset), SEEK_SET) == 0
                     && std::fread(out.bytes.data(), 1, out.bytes.size(), probe) == out.bytes.size();
        std::fclose(probe);
        if (!ok)
            return fail(BASS_ERROR_FILEOPEN);
        return true;
    } catch (const std::bad_alloc &) {
        return fail(BASS_ERROR_MEM);
    }
}

// The first bytes of a file, up to 4.
size_t head(const orvane::Source &source, unsigned char (&out)[4])
{
    size_t n = 0;
    if (!source.path.empty()) {
        if (std::FILE *f = std::fopen(source.path.c_str(), "rb")) {
            n = std::fread(out, 1, sizeof out, f);
            std::fclose(f);
        }
    } else {
        n = std::min(source.bytes.size(), sizeof out);
        std::copy(source.bytes.begin(), source.bytes.begin() + std::ptrdiff_t(n), out);
    }
    return n;
}

// Starts like a container that libsndfile reads (WAV, AIFF, FLAC, Ogg, AU,
// W64, CAF, ...). Only those go to libsndfile first: on anything else it
// would try its own MPEG decoder, which talks on stderr.
bool looksLikeSndfile(const orvane::Source &source)
{
    unsigned char h[4] = {0, 0, 0, 0};
    if (head(source, h) < 4)
        return false;
    static const char *const magics[] = {"RIFF", "RIFX", "RF64", "FORM", "fLaC", "OggS", ".snd", "dns.",
                                         "caff", "riff", "NIST", "Crea", "wvpk", "MATL", "2BIT", "fap ",
                                         " paf", "\x64\xA3\x01\x00"};
    for (const char *m : magics)
        if (std::memcmp(h, m, 4) == 0)
            return true;
    return false;
}

// Opens a stream over the source: the type comes from the content, each
// reader trying in turn.
DWORD openChannel(orvane::Source &&source, bool music, DWORD flags, uint64_t generation)
{
    try {
        auto channel = std::make_shared<Channel>();
        channel->source = std::make_unique<orvane::Source>(std::move(source));
        if (music) {
            channel->reader = orvane::openTracker(*channel->source);
        } else if (looksLikeSndfile(*channel->source)) {
            channel->reader = orvane::openSndfile(*channel->source);
            if (!channel->reader)
                channel->reader = orvane::openMpeg(*channel->source);
        } else {
            channel->reader = orvane::openMpeg(*channel->source);
        }
        if (!channel->reader)
            return fail(BASS_ERROR_FORMAT);
        channel->flags = flags;
        channel->length = channel->reader->lengthBytes();
        channel->ended = channel->reader->lengthExact && channel->length == 0; // nothing to deliver
        return add(std::move(channel), generation);
    } catch (const std::bad_alloc &) {
        return fail(BASS_ERROR_MEM);
    } catch (...) {
        return fail(BASS_ERROR_UNKNOWN);
    }
}

bool startsWithNoCase(const std::string &s, const char *prefix)
{
    for (size_t i = 0; prefix[i]; ++i)
        if (i >= s.size() || std::tolower(static_cast<unsigned char>(s[i])) != prefix[i])
            return false;
    return true;
}

// A channel over a file or a memory image of one; music = tracker music.
DWORD openFileChannel(BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags, bool music)
{
    const uint64_t generation = startedGeneration();
    if (!generation)
        return 0;
    orvane::Source source;
    if (!makeSource(mem, file, offset, length, source))
        return 0;
    return openChannel(std::move(source), music, flags, generation);
}

} // namespace

namespace orvane {

// The per-thread error code, for the calls in the library's other files.
int setLastError(int code)
{
    lastError = code;
    return code == BASS_OK ? 1 : 0;
}

bool readWholeFile(const std::string &path, std::vector<unsigned char> &out)
{
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    unsigned char buf[65536];
    bool ok = true;
    try {
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            out.insert(out.end(), buf, buf + n);
        ok = !std::ferror(f);
    } catch (const std::bad_alloc &) {
        ok = false;
    }
    std::fclose(f);
    return ok;
}

} // namespace orvane

extern "C" {

DWORD BASS_GetVersion(void) { return BASSVERSION; }

BOOL BASS_SetConfig(DWORD option, DWORD value)
{
    if (option != BASS_CONFIG_UPDATEPERIOD || value > 100)
        return fail(BASS_ERROR_ILLPARAM);
    Library &lib = library();
    std::lock_guard<std::mutex> guard(lib.lock);
    lib.updatePeriod = value;
    return succeed();
}

BOOL BASS_Init(int device, DWORD, DWORD, void *, void *)
{
    if (device != 0 && device != -1 && device != 1)
        return fail(BASS_ERROR_DEVICE);
    Library &lib = library();
    {
        std::lock_guard<std::mutex> guard(lib.lock);
        if (lib.started)
            return fail(BASS_ERROR_ALREADY);
    }
    // -1 (and 1, the first device): the sound server's default output.
    std::shared_ptr<orvane::PulseConnection> output;
    if (device != 0 && !(output = orvane::PulseConnection::open("Orvane audio library")))
        return fail(BASS_ERROR_DEVICE);
    std::lock_guard<std::mutex> guard(lib.lock);
    if (lib.started)
        return fail(BASS_ERROR_ALREADY);
    lib.started = true;
    lib.device = device;
    lib.output = std::move(output);
    ++lib.generation;
    return succeed();
}

BOOL BASS_Free(void)
{
    Library &lib = library();
    std::map<DWORD, std::shared_ptr<Channel>> released;
    std::shared_ptr<orvane::PulseConnection> output;
    bool started;
    {
        std::lock_guard<std::mutex> guard(lib.lock);
        started = lib.started;
        released.swap(lib.channels);
        output.swap(lib.output);
        lib.started = false;
        lib.device = 0;
    }
    released.clear(); // outside the table lock: a reader may still finish a call
    output.reset();
    const bool recorded = orvane::recordFree(); // a recording ends too
    return started || recorded ? succeed() : fail(BASS_ERROR_INIT);
}

int BASS_ErrorGetCode(void) { return lastError; }

const char *BASS_ErrorText(int code) { return orvane::errorText(code); }

DWORD BASS_StreamCreateFile(BOOL mem, const void *file, QWORD offset, QWORD length, DWORD flags)
{
    return openFileChannel(mem, file, offset, length, flags, false);
}

DWORD BASS_StreamCreateURL(const char *url, DWORD offset, DWORD flags, void *, void *)
{
    const uint64_t generation = startedGeneration();
    if (!generation)
        return 0;
    if (!url)
        return fail(BASS_ERROR_ILLPARAM);
    const std::string address = url;
    if (!startsWithNoCase(address, "http://") && !startsWithNoCase(address, "https://")
        && !startsWithNoCase(address, "ftp://"))
        return fail(BASS_ERROR_PROTOCOL);
    orvane::Source source;
    const int rc = orvane::fetchUrl(address, source.bytes);
    if (rc != BASS_OK)
        return fail(rc);
    if (offset > 0) {
        if (offset >= source.bytes.size())
            return fail(BASS_ERROR_POSITION);
        source.bytes.erase(source.bytes.begin(), source.bytes.begin() + offset);
    }
    if (source.bytes.empty())
        return fail(BASS_ERROR_FORMAT);
    return openChannel(std::move(source), false, flags, generation);
}

DWORD BASS_MusicLoad(BOOL mem, const void *file, QWORD offset, DWORD length, DWORD flags, DWORD)
{
    return openFileChannel(mem, file, offset, length, flags, true);
}

BOOL BASS_StreamFree(DWORD handle)
{
    if (orvane::isRecordHandle(handle))
        return fail(BASS_ERROR_HANDLE); // a recording ends with BASS_ChannelStop
    std::shared_ptr<Channel> released;
    Library &lib = library();
    {
        std::lock_guard<std::mutex> guard(lib.lock);
        auto it = lib.channels.find(handle);
        if (it == lib.channels.end())
            return fail(BASS_ERROR_HANDLE);
        released = std::move(it->second);
        lib.channels.erase(it);
    }
    released.reset();
    return succeed();
}

BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO *info)
{
    if (orvane::isRecordHandle(handle))
        return orvane::recordChannelInfo(handle, info);
    auto c = find(handle);
    if (!c)
        return 0;
    if (!info)
        return fail(BASS_ERROR_ILLPARAM);
    const orvane::Reader &r = *c->reader;
    info->freq = DWORD(r.rate);
    info->chans = DWORD(r.channels);
    info->flags = (c->flags & ~DWORD(BASS_SAMPLE_8BITS)) | (r.eightBit ? DWORD(BASS_SAMPLE_8BITS) : 0u);
    info->ctype = r.kind;
    info->origres = r.bits;
    return succeed();
}

BOOL BASS_ChannelGetAttributes(DWORD handle, DWORD *freq, DWORD *volume, int *pan)
{
    DWORD rate = 0;
    if (orvane::isRecordHandle(handle)) {
        BASS_CHANNELINFO info;
        if (!orvane::recordChannelInfo(handle, &info))
            return 0;
        rate = info.freq;
    } else {
        auto c = find(handle);
        if (!c)
            return 0;
        rate = DWORD(c->reader->rate);
    }
    if (freq)
        *freq = rate;
    if (volume)
        *volume = 100;
    if (pan)
        *pan = 0;
    return succeed();
}

DWORD BASS_ChannelGetData(DWORD handle, void *buffer, DWORD length)
{
    if (orvane::isRecordHandle(handle)) {
        BASS_CHANNELINFO info; // a recording hands its data to its procedure
        return fail(orvane::recordChannelInfo(handle, &info) ? BASS_ERROR_NOTAVAIL : BASS_ERROR_HANDLE), kFailed;
    }
    auto c = find(handle);
    if (!c)
        return kFailed;
    if (c->player)
        return fail(BASS_ERROR_NOTAVAIL), kFailed; // a playing stream's data goes to the output
    if (!buffer)
        return fail(BASS_ERROR_ILLPARAM), kFailed;
    std::lock_guard<std::mutex> guard(c->lock);
    if (c->ended)
        return fail(BASS_ERROR_ENDED), kFailed;
    orvane::Reader &r = *c->reader;
    const size_t frame = size_t(r.frameBytes());
    const size_t wanted = size_t(length) - size_t(length) % frame;
    auto *out = static_cast<unsigned char *>(buffer);
    size_t done = 0;
    bool error = false;
    try {
        while (done < wanted) {
            const size_t ask = std::min(kChunk - kChunk % frame, wanted - done);
            const long got = r.read(out + done, ask);
            if (got < 0) {
                error = true;
                break;
            }
            done += size_t(got);
            if (size_t(got) < ask) {
                c->ended = true; // a reader fills what it is asked for unless it is at the end
                break;
            }
        }
    } catch (...) {
        error = true;
    }
    c->position += done;
    if (error)
        c->ended = true;
    if (r.lengthExact && c->length >= 0 && int64_t(c->position) >= c->length)
        c->ended = true;
    if (c->ended)
        c->length = int64_t(c->position); // the length is exact once the end is reached
    if (done == 0 && wanted > 0)
        return fail(error ? BASS_ERROR_FILEOPEN : BASS_ERROR_ENDED), kFailed;
    lastError = BASS_OK;
    return DWORD(done);
}

DWORD BASS_ChannelIsActive(DWORD handle)
{
    if (orvane::isRecordHandle(handle))
        return orvane::recordChannelActive(handle);
    auto c = find(handle);
    if (!c)
        return BASS_ACTIVE_STOPPED;
    lastError = BASS_OK;
    if (c->player)
        return c->player->playing() ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
    std::lock_guard<std::mutex> guard(c->lock);
    // A decoding channel is active while data remains.
    return c->ended ? BASS_ACTIVE_STOPPED : BASS_ACTIVE_PLAYING;
}

QWORD BASS_ChannelGetPosition(DWORD handle)
{
    if (orvane::isRecordHandle(handle))
        return orvane::recordChannelPosition(handle);
    auto c = find(handle);
    if (!c)
        return QWORD(-1);
    if (c->player) {
        lastError = BASS_OK;
        return c->player->position();
    }
    std::lock_guard<std::mutex> guard(c->lock);
    lastError = BASS_OK;
    return c->position;
}

QWORD BASS_ChannelGetLength(DWORD handle)
{
    if (orvane::isRecordHandle(handle))
        return fail(BASS_ERROR_NOTAVAIL), QWORD(-1);
    auto c = find(handle);
    if (!c)
        return QWORD(-1);
    std::lock_guard<std::mutex> guard(c->lock);
    lastError = BASS_OK;
    return QWORD(std::max<int64_t>(c->length, 0));
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD position)
{
    if (orvane::isRecordHandle(handle))
        return fail(BASS_ERROR_NOTAVAIL);
    auto c = find(handle);
    if (!c)
        return 0;
    if (c->player)
        return orvane::setLastError(c->player->setPosition(position));
    std::lock_guard<std::mutex> guard(c->lock);
    const QWORD frame = QWORD(c->reader->frameBytes());
    if (position % frame != 0 || (c->reader->lengthExact && position > QWORD(c->length)))
        return fail(BASS_ERROR_POSITION);
    if (!c->reader->seek(int64_t(position / frame)))
        return fail(BASS_ERROR_POSITION);
    c->position = position;
    c->ended = c->reader->lengthExact && position == QWORD(c->length);
    return succeed();
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart)
{
    if (orvane::isRecordHandle(handle))
        return fail(BASS_ERROR_NOTAVAIL);
    auto c = find(handle);
    if (!c)
        return 0;
    if (!c->player)
        return fail(BASS_ERROR_NOTAVAIL); // decode-only, or no output (device 0)
    return orvane::setLastError(c->player->play(restart != 0));
}

BOOL BASS_ChannelStop(DWORD handle)
{
    if (orvane::isRecordHandle(handle))
        return orvane::recordChannelStop(handle);
    auto c = find(handle);
    if (!c)
        return 0;
    if (c->player)
        c->player->stop();
    return succeed();
}

} // extern "C"

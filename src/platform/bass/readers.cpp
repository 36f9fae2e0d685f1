// The reader table: which reader is asked about a source, in which order.
#include "reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

namespace orvane {

namespace {

// Starts like a container that libsndfile reads (WAV, AIFF, FLAC, Ogg, AU,
// W64, CAF, ...). Only those go to libsndfile: on anything else it would
// try its own MPEG decoder, which talks on stderr.
bool sniffSndfile(const Head &head)
{
    static const char *const magics[] = {"RIFF", "RIFX", "RF64", "FORM", "fLaC", "OggS", ".snd", "dns.",
                                         "caff", "riff", "NIST", "Crea", "wvpk", "MATL", "2BIT", "fap ",
                                         " paf", "\x64\xA3\x01\x00"};
    return std::any_of(std::begin(magics), std::end(magics), [&](const char *m) { return head.startsWith(m, 4); });
}

// MPEG audio has no magic of its own: mpg123 looks for frames anywhere
// (behind tags and junk too), and so does libopenmpt for music.
bool anything(const Head &) { return true; }

// libsndfile first: a container's header is never taken for MPEG frames.
constexpr ReaderEntry kReaders[] = {
    {"sndfile", false, sniffSndfile, openSndfile},
    {"mpeg", false, anything, openMpeg},
    {"tracker", true, anything, openTracker},
};

} // namespace

bool Head::startsWith(const char *magic, size_t n) const { return size >= n && std::memcmp(bytes, magic, n) == 0; }

Head headOf(const Source &source)
{
    Head head;
    if (!source.path.empty()) {
        if (std::FILE *f = std::fopen(source.path.c_str(), "rb")) {
            head.size = std::fread(head.bytes, 1, sizeof head.bytes, f);
            std::fclose(f);
        }
    } else {
        head.size = std::min(source.bytes.size(), sizeof head.bytes);
        std::copy_n(source.bytes.begin(), head.size, head.bytes);
    }
    return head;
}

std::span<const ReaderEntry> readerTable() { return kReaders; }

Opening openSource(const Source &source, bool music, DWORD flags)
{
    const Head head = headOf(source);
    Opening opening = Opening::failed(BASS_ERROR_FORMAT, "no reader knows this format");
    for (const ReaderEntry &entry : kReaders) {
        if (entry.music != music || !entry.sniff(head))
            continue;
        try {
            opening = entry.open(source, flags);
        } catch (const std::bad_alloc &) {
            opening = Opening::failed(BASS_ERROR_MEM, std::string(entry.name) + ": out of memory");
        }
        if (opening.reader)
            break;
    }
    return opening;
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

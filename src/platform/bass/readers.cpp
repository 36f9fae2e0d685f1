// The reader table: which reader is asked about a source, in which order.
#include "reader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <sys/types.h>

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

bool hasAt(const unsigned char *bytes, size_t size, size_t at, const char *magic, size_t n)
{
    return size >= at + n && std::memcmp(bytes + at, magic, n) == 0;
}

// Containers that hold no MPEG audio stream of their own: MP4 and
// QuickTime (a box at the start), Matroska and WebM, ASF (WMA, WMV), AVI,
// AAC in ADTS or ADIF frames.
bool isMediaContainer(const unsigned char *b, size_t size)
{
    static const char *const boxes[] = {"ftyp", "moov", "mdat", "free", "skip", "wide", "pnot"};
    const bool box = std::any_of(std::begin(boxes), std::end(boxes), [&](const char *m) { return hasAt(b, size, 4, m, 4); });
    const bool adts = size >= 2 && b[0] == 0xFF && (b[1] & 0xF6) == 0xF0; // sync, MPEG-2/4, layer 0
    return box || adts || hasAt(b, size, 0, "\x1A\x45\xDF\xA3", 4)
        || hasAt(b, size, 0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8)
        || (hasAt(b, size, 0, "RIFF", 4) && hasAt(b, size, 8, "AVI ", 4)) || hasAt(b, size, 0, "ADIF", 4);
}

// FFmpeg's: the containers above, also behind an ID3v2 tag, and the ones
// libsndfile was asked about first but may not read (Ogg with a video or
// another codec, AIFF-C codecs, FLAC of more bits, ALAC in CAF).
bool sniffMedia(const Head &head)
{
    static const char *const fallbacks[] = {"OggS", "FORM", "fLaC", "caff"};
    return isMediaContainer(head.bytes, head.size) || isMediaContainer(head.afterTag, head.afterTagSize)
        || hasAt(head.afterTag, head.afterTagSize, 0, "fLaC", 4)
        || std::any_of(std::begin(fallbacks), std::end(fallbacks), [&](const char *m) { return head.startsWith(m, 4); });
}

// MPEG audio has no magic of its own: mpg123 looks for frames anywhere
// (behind tags and junk too), but never inside a container that holds none,
// where it would take stray bytes for frames.
bool sniffMpeg(const Head &head)
{
    return !isMediaContainer(head.bytes, head.size) && !isMediaContainer(head.afterTag, head.afterTagSize);
}

// libopenmpt too looks at anything for music.
bool anything(const Head &) { return true; }

// libsndfile first: a container's header is never taken for MPEG frames.
constexpr ReaderEntry kReaders[] = {
    {"sndfile", false, sniffSndfile, openSndfile},
    {"media", false, sniffMedia, openMedia},
    {"mpeg", false, sniffMpeg, openMpeg},
    {"tracker", true, anything, openTracker},
};

// Reads up to `n` bytes at `at`; how many came.
size_t readAt(const Source &source, uint64_t at, unsigned char *out, size_t n)
{
    if (source.path.empty()) {
        if (at >= source.bytes.size())
            return 0;
        n = std::min<size_t>(n, size_t(source.bytes.size() - at));
        std::copy_n(source.bytes.begin() + ptrdiff_t(at), n, out);
        return n;
    }
    std::FILE *f = std::fopen(source.path.c_str(), "rb");
    if (!f)
        return 0;
    size_t got = 0;
    if (::fseeko(f, off_t(at), SEEK_SET) == 0)
        got = std::fread(out, 1, n, f);
    std::fclose(f);
    return got;
}

} // namespace

bool Head::startsWith(const char *magic, size_t n) const { return size >= n && std::memcmp(bytes, magic, n) == 0; }

Head headOf(const Source &source)
{
    Head head;
    head.size = readAt(source, 0, head.bytes, sizeof head.bytes);
    // ID3v2: "ID3", version, flags, then the size in four 7-bit bytes.
    const unsigned char *b = head.bytes;
    if (head.startsWith("ID3", 3) && head.size >= 10 && ((b[6] | b[7] | b[8] | b[9]) & 0x80) == 0) {
        const uint64_t tag = 10 + (uint64_t(b[6]) << 21 | uint64_t(b[7]) << 14 | uint64_t(b[8]) << 7 | b[9])
                           + ((b[5] & 0x10) ? 10 : 0); // a footer
        head.afterTagSize = readAt(source, tag, head.afterTag, sizeof head.afterTag);
    }
    return head;
}

std::span<const ReaderEntry> readerTable() { return kReaders; }

Opening openSource(const Source &source, bool music, DWORD flags)
{
    const Head head = headOf(source);
    Opening opening = Opening::failed(BASS_ERROR_FORMAT, "no reader knows this format");
    Opening failure = Opening::failed(BASS_ERROR_FORMAT, {});
    for (const ReaderEntry &entry : kReaders) {
        if (entry.music != music || !entry.sniff(head))
            continue;
        try {
            opening = entry.open(source, flags);
        } catch (const std::bad_alloc &) {
            opening = Opening::failed(BASS_ERROR_MEM, std::string(entry.name) + ": out of memory");
        }
        if (opening.reader)
            return opening;
        // A reader that knew the format and found it damaged, silent or
        // locked says more than a later one that does not know it.
        if (opening.error != BASS_ERROR_FORMAT && failure.error == BASS_ERROR_FORMAT)
            failure = std::move(opening);
    }
    return failure.error != BASS_ERROR_FORMAT ? std::move(failure) : std::move(opening);
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

#pragma once
// The readers: one decoder per source format behind one interface, and the
// table the library opens sources through.
#include "bass.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace orvane {

// Where a reader takes its bytes from: a path or a memory image.
struct Source {
    std::string path;                 // when not empty
    std::vector<unsigned char> bytes; // otherwise
};

// What a reader delivers.
struct Format {
    int rate = 0;
    int channels = 0;
    bool eightBit = false;  // 8-bit unsigned samples, else 16-bit signed
    DWORD kind = 0;         // BASS_CTYPE_*
    unsigned bits = 0;      // bits per sample of the source, 0 when not known
    int64_t lengthBytes = 0;
    bool lengthExact = true; // false when lengthBytes is an estimate (tracker music)
    int frameBytes() const { return channels * (eightBit ? 1 : 2); }
};

class Reader {
public:
    virtual ~Reader() = default;
    const Format &format() const { return format_; }
    // Fills up to `bytes` bytes of interleaved PCM, whole frames; fewer only
    // at the end; -1 on an error.
    virtual long read(unsigned char *out, size_t bytes) = 0;
    // Moves to a frame (one sample of every channel) from the start.
    virtual bool seek(int64_t frame) = 0;

protected:
    Format format_;
};
using ReaderPtr = std::unique_ptr<Reader>;

// What opening a source gave: a reader, or the error code of bass.h and
// words that say why not.
struct Opening {
    ReaderPtr reader;
    int error = BASS_OK;
    std::string why;
    static Opening failed(int error, std::string why) { return Opening{nullptr, error, std::move(why)}; }
};

// Opens the source with a reader of type R, whose open(source, flags) gives
// null when it opened, else why not (BASS_ERROR_FORMAT, in the words of the
// library named `by`).
template <typename R>
Opening openAs(const char *by, const Source &source, DWORD flags)
{
    auto reader = std::make_unique<R>();
    if (const char *why = reader->open(source, flags))
        return Opening::failed(BASS_ERROR_FORMAT, std::string(by) + ": " + why);
    return Opening{std::move(reader), BASS_OK, {}};
}

// The first bytes of a source, for the readers to judge it by; behind an
// ID3v2 tag at the start, also the first bytes after the tag.
struct Head {
    unsigned char bytes[16] = {};
    size_t size = 0;
    unsigned char afterTag[16] = {};
    size_t afterTagSize = 0;
    bool startsWith(const char *magic, size_t n) const;
};
Head headOf(const Source &source);

// One entry of the reader table.
struct ReaderEntry {
    const char *name;
    // Tracker music, which only BASS_MusicLoad opens; the others are streams.
    bool music;
    // Whether the source may be this reader's format, by its first bytes.
    bool (*sniff)(const Head &head);
    // flags: the caller's creation flags (BASS_MUSIC_* for tracker music).
    Opening (*open)(const Source &source, DWORD flags);
};

// Every reader, in the order they are tried.
std::span<const ReaderEntry> readerTable();
// Opens a source with the first reader of its kind (music or stream) that
// takes it; when none does, the error of the first reader that said more
// than BASS_ERROR_FORMAT, else BASS_ERROR_FORMAT.
Opening openSource(const Source &source, bool music, DWORD flags);

// The readers of the table.
Opening openSndfile(const Source &source, DWORD flags);
Opening openMpeg(const Source &source, DWORD flags);
// FFmpeg's, in the module libbass_media.so, loaded at its first use.
Opening openMedia(const Source &source, DWORD flags);
Opening openTracker(const Source &source, DWORD flags);

// Reads a whole file; false when it cannot be opened or read.
bool readWholeFile(const std::string &path, std::vector<unsigned char> &out);
// Downloads an http, https or ftp address; 0 on success, else a BASS error code.
int fetchUrl(const std::string &url, std::vector<unsigned char> &out);

} // namespace orvane

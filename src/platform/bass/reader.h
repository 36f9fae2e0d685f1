#pragma once
// One decoder per source format, behind one interface.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvane {

// Where a reader takes its bytes from: a path or a memory image.
struct Source {
    std::string path;                 // when not empty
    std::vector<unsigned char> bytes; // otherwise
};

class Reader {
public:
    virtual ~Reader() = default;
    int rate = 0;
    int channels = 0;
    bool eightBit = false; // deliver 8-bit unsigned samples, else 16-bit signed
    unsigned kind = 0;
    unsigned bits = 0;
    // Fills up to `bytes` bytes of interleaved PCM; 0 at the end, -1 on error.
    virtual long read(unsigned char *out, size_t bytes) = 0;
    // Moves to a frame (one sample of every channel) from the start.
    virtual bool seek(int64_t frame) = 0;
    // Total decoded bytes.
    virtual int64_t lengthBytes() = 0;
    // False when lengthBytes() is an estimate (tracker music).
    bool lengthExact = true;
    int frameBytes() const { return channels * (eightBit ? 1 : 2); }
};

// Reads a whole file; false when it cannot be opened or read.
bool readWholeFile(const std::string &path, std::vector<unsigned char> &out);
// Words for an error code of bass.h.
const char *errorText(int code);

using ReaderPtr = std::unique_ptr<Reader>;
// Each returns null when the source is not its format.
ReaderPtr openSndfile(const Source &source);
ReaderPtr openMpeg(const Source &source);
ReaderPtr openTracker(const Source &source);

// Downloads an http, https or ftp address; 0 on success, else a BASS error code.
int fetchUrl(const std::string &url, std::vector<unsigned char> &out);

// Sets the code BASS_ErrorGetCode reports on this thread; 1 for BASS_OK, else 0.
int setLastError(int code);

} // namespace orvane

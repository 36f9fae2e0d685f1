// MPEG audio layers 1 to 3 through libmpg123: gapless, tags skipped.
#include "reader.h"

#include <cstdio>
#include <cstring>
#include <mpg123.h>
#include <mutex>
#include <new>
#include <sys/types.h>

namespace orvane {
namespace {

struct Memory {
    const std::vector<unsigned char> *bytes = nullptr;
    off_t pos = 0;
};

ssize_t memRead(void *handle, void *buf, size_t count)
{
    auto *m = static_cast<Memory *>(handle);
    const off_t left = off_t(m->bytes->size()) - m->pos;
    const size_t n = count < size_t(left) ? count : size_t(left);
    if (n > 0)
        std::memcpy(buf, m->bytes->data() + m->pos, n);
    m->pos += off_t(n);
    return ssize_t(n);
}

off_t memSeek(void *handle, off_t offset, int whence)
{
    auto *m = static_cast<Memory *>(handle);
    const off_t size = off_t(m->bytes->size());
    const off_t to = whence == SEEK_SET ? offset : whence == SEEK_CUR ? m->pos + offset : size + offset;
    if (to < 0 || to > size)
        return -1;
    m->pos = to;
    return to;
}

// A file read through stdio's buffer: a few large reads, where mpg123's own
// reader makes two small ones for every frame.
ssize_t fileRead(void *file, void *buf, size_t count)
{
    const size_t n = std::fread(buf, 1, count, static_cast<std::FILE *>(file));
    return n == 0 && std::ferror(static_cast<std::FILE *>(file)) ? -1 : ssize_t(n);
}

off_t fileSeek(void *file, off_t offset, int whence)
{
    auto *f = static_cast<std::FILE *>(file);
    return ::fseeko(f, offset, whence) == 0 ? ::ftello(f) : -1;
}

constexpr size_t kFileBuffer = 1 << 16;

class MpegReader : public Reader {
public:
    ~MpegReader() override
    {
        if (handle_) {
            mpg123_close(handle_);
            mpg123_delete(handle_);
        }
        if (file_)
            std::fclose(file_);
    }

    // Null when the source opened; else why not.
    const char *open(const Source &source, DWORD)
    {
        static std::once_flag once;
        std::call_once(once, [] { mpg123_init(); });
        handle_ = mpg123_new(nullptr, nullptr);
        if (!handle_)
            throw std::bad_alloc();
        mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0);
        mpg123_param(handle_, MPG123_VERBOSE, 0, 0);
        mpg123_format_none(handle_);
        for (long r : {8000L, 11025L, 12000L, 16000L, 22050L, 24000L, 32000L, 44100L, 48000L})
            mpg123_format(handle_, r, MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
        int rc;
        if (!source.path.empty()) {
            file_ = std::fopen(source.path.c_str(), "rb");
            if (!file_)
                return "the file cannot be opened";
            std::setvbuf(file_, nullptr, _IOFBF, kFileBuffer);
            mpg123_replace_reader_handle(handle_, fileRead, fileSeek, nullptr);
            rc = mpg123_open_handle(handle_, file_);
        } else {
            memory_.bytes = &source.bytes;
            mpg123_replace_reader_handle(handle_, memRead, memSeek, nullptr);
            rc = mpg123_open_handle(handle_, &memory_);
        }
        if (rc != MPG123_OK)
            return mpg123_strerror(handle_);
        long r = 0;
        int ch = 0, enc = 0;
        if (mpg123_getformat(handle_, &r, &ch, &enc) != MPG123_OK || r <= 0 || ch <= 0)
            return "no MPEG audio frame";
        mpg123_format_none(handle_);
        mpg123_format(handle_, r, ch, MPG123_ENC_SIGNED_16); // keep one format for the whole song
        // Counts frames exactly (also for VBR and free-format files).
        mpg123_scan(handle_);
        const off_t samples = mpg123_length(handle_);
        if (samples <= 0)
            return "no MPEG audio frame";
        format_.rate = int(r);
        format_.channels = ch;
        format_.kind = BASS_CTYPE_MPEG;
        format_.bits = 16;
        format_.lengthBytes = int64_t(samples) * format_.frameBytes();
        return nullptr;
    }

    long read(unsigned char *out, size_t bytes) override
    {
        size_t done = 0;
        bytes -= bytes % size_t(format_.frameBytes());
        while (done < bytes) {
            size_t got = 0;
            const int rc = mpg123_read(handle_, out + done, bytes - done, &got);
            done += got;
            if (rc == MPG123_DONE)
                break;
            if (rc == MPG123_NEW_FORMAT)
                continue;
            if (rc != MPG123_OK)
                break; // a damaged or cut-off stream ends where it stops decoding
        }
        return long(done);
    }
    bool seek(int64_t frame) override { return mpg123_seek(handle_, off_t(frame), SEEK_SET) >= 0; }

private:
    Memory memory_;
    std::FILE *file_ = nullptr;
    mpg123_handle *handle_ = nullptr;
};

} // namespace

Opening openMpeg(const Source &source, DWORD flags) { return openAs<MpegReader>("MPEG", source, flags); }

} // namespace orvane

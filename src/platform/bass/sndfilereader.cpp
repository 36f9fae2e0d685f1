// WAV, AIFF, FLAC and Ogg Vorbis through libsndfile.
#include "reader.h"

#include <cmath>
#include <cstring>
#include <sndfile.h>

namespace orvane {
namespace {

struct Memory {
    const std::vector<unsigned char> *bytes = nullptr;
    sf_count_t pos = 0;
};

sf_count_t memLength(void *user) { return sf_count_t(static_cast<Memory *>(user)->bytes->size()); }
sf_count_t memSeek(sf_count_t offset, int whence, void *user)
{
    auto *m = static_cast<Memory *>(user);
    const sf_count_t size = sf_count_t(m->bytes->size());
    sf_count_t to = whence == SEEK_SET ? offset : whence == SEEK_CUR ? m->pos + offset : size + offset;
    m->pos = to < 0 ? 0 : (to > size ? size : to);
    return m->pos;
}
sf_count_t memRead(void *ptr, sf_count_t count, void *user)
{
    auto *m = static_cast<Memory *>(user);
    const sf_count_t left = sf_count_t(m->bytes->size()) - m->pos;
    const sf_count_t n = count < left ? count : left;
    if (n > 0)
        std::memcpy(ptr, m->bytes->data() + m->pos, size_t(n));
    m->pos += n;
    return n;
}
sf_count_t memWrite(const void *, sf_count_t, void *) { return 0; }
sf_count_t memTell(void *user) { return static_cast<Memory *>(user)->pos; }

constexpr sf_count_t kMaxFrames = sf_count_t(1) << 40; // more is no length at all

class SndfileReader : public Reader {
public:
    // Null when the source opened; else why not.
    const char *open(const Source &source, DWORD)
    {
        SF_INFO info{};
        if (!source.path.empty()) {
            file_ = sf_open(source.path.c_str(), SFM_READ, &info);
        } else {
            memory_.bytes = &source.bytes;
            SF_VIRTUAL_IO io{memLength, memSeek, memRead, memWrite, memTell};
            file_ = sf_open_virtual(&io, SFM_READ, &info, &memory_);
        }
        if (!file_)
            return sf_strerror(nullptr);
        // MPEG is read by our own mpg123 reader (gapless, tags skipped).
        if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_MPEG)
            return "MPEG is the MPEG reader's";
        if (info.channels <= 0 || info.channels > 1024 || info.samplerate <= 0)
            return "no channels or no sample rate";
        format_.rate = info.samplerate;
        format_.channels = info.channels;
        frames_ = info.frames;
        if (frames_ <= 0 || frames_ >= kMaxFrames)
            frames_ = countFrames(); // not in the header (a streamed FLAC, say): counted once
        // No frames at all is a stream too (a WAV of its header alone): it
        // has ended before the first read.
        if (frames_ < 0 || frames_ >= kMaxFrames)
            return "the frames cannot be counted";
        format_.kind = BASS_CTYPE_SNDFILE;
        const int sub = info.format & SF_FORMAT_SUBMASK;
        format_.eightBit = sub == SF_FORMAT_PCM_U8 || sub == SF_FORMAT_PCM_S8;
        // Integer PCM is read as 16-bit directly (exact, or the top 16 bits);
        // everything else (float, Vorbis, ...) as float and converted here.
        integer_ = sub == SF_FORMAT_PCM_S8 || sub == SF_FORMAT_PCM_U8 || sub == SF_FORMAT_PCM_16
                || sub == SF_FORMAT_PCM_24 || sub == SF_FORMAT_PCM_32;
        if (!integer_)
            sf_command(file_, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
        format_.bits = sub == SF_FORMAT_PCM_16 ? 16 : sub == SF_FORMAT_PCM_24 ? 24 : sub == SF_FORMAT_PCM_32 ? 32
                     : format_.eightBit ? 8 : sub == SF_FORMAT_FLOAT ? 32 : 0;
        format_.lengthBytes = int64_t(frames_) * format_.frameBytes();
        return nullptr;
    }
    ~SndfileReader() override
    {
        if (file_)
            sf_close(file_);
    }
    // Reads to the end and back to the start; the frames there are, or -1.
    sf_count_t countFrames()
    {
        std::vector<short> scratch(4096 * size_t(format_.channels));
        sf_count_t total = 0, got;
        while ((got = sf_readf_short(file_, scratch.data(), 4096)) > 0 && total < kMaxFrames)
            total += got;
        return sf_seek(file_, 0, SEEK_SET) == 0 ? total : -1;
    }

    long read(unsigned char *out, size_t bytes) override
    {
        const int channels = format_.channels;
        const size_t frames = bytes / size_t(format_.frameBytes());
        if (frames == 0)
            return 0;
        scratch_.resize(frames * size_t(channels));
        sf_count_t got;
        if (integer_) {
            got = sf_readf_short(file_, scratch_.data(), sf_count_t(frames));
        } else {
            floats_.resize(frames * size_t(channels));
            got = sf_readf_float(file_, floats_.data(), sf_count_t(frames));
            for (sf_count_t i = 0; i < got * channels; ++i) {
                const float v = floats_[size_t(i)] * 32768.0f; // as ffmpeg and libvorbisfile do
                scratch_[size_t(i)] = v >= 32767.0f ? short(32767) : v <= -32768.0f ? short(-32768)
                                    : v != v ? short(0) : short(std::lrint(v));
            }
        }
        if (got < 0)
            return -1;
        const size_t samples = size_t(got) * size_t(channels);
        if (format_.eightBit) {
            for (size_t i = 0; i < samples; ++i)
                out[i] = static_cast<unsigned char>((scratch_[i] >> 8) + 128);
            return long(samples);
        }
        std::memcpy(out, scratch_.data(), samples * 2);
        return long(samples * 2);
    }
    bool seek(int64_t frame) override { return sf_seek(file_, sf_count_t(frame), SEEK_SET) == sf_count_t(frame); }

private:
    Memory memory_;
    SNDFILE *file_ = nullptr;
    sf_count_t frames_ = 0;
    std::vector<short> scratch_;
    std::vector<float> floats_;
    bool integer_ = true;
};

} // namespace

Opening openSndfile(const Source &source, DWORD flags) { return openAs<SndfileReader>("libsndfile", source, flags); }

} // namespace orvane

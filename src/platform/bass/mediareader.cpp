// AAC and ALAC in MP4, WMA, and the first audio stream of videos (MP4, MOV,
// Matroska, WebM, AVI), through FFmpeg's libavformat and libavcodec. Built
// into the module libbass_media.so, which the library loads the first time a
// source needs it, so that a program without FFmpeg still starts.
#include "mediareader.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/encryption_info.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

namespace orvane {
namespace {

constexpr int kIoBufferBytes = 1 << 16;
// The demuxers a source may be read by. MP3 is left to the MPEG reader,
// WAV to libsndfile: their probes are the weakest and take nonsense too.
constexpr const char *kDemuxers = "mov,matroska,avi,asf,aac,ogg,flac,aiff,caf";
// Bad packets in a row after which a stream is taken to end there.
constexpr int kMaxBadPackets = 64;
// Packets read before the first frame after which a source is given up.
constexpr int kMaxPacketsToFirstFrame = 4096;
constexpr int kMaxChannels = 64;

// The bytes a source reads, for FFmpeg's own reads and seeks: a file, or
// the memory image the stream keeps.
class Bytes {
public:
    Bytes(const std::string &path, const std::vector<unsigned char> *memory) : path_(path), memory_(memory) {}
    ~Bytes()
    {
        if (file_)
            std::fclose(file_);
    }
    bool open()
    {
        if (path_.empty())
            return true;
        file_ = std::fopen(path_.c_str(), "rb");
        return file_ != nullptr;
    }
    static int read(void *opaque, uint8_t *buf, int size)
    {
        auto *self = static_cast<Bytes *>(opaque);
        size_t n;
        if (self->file_) {
            n = std::fread(buf, 1, size_t(size), self->file_);
            if (n == 0 && std::ferror(self->file_))
                return AVERROR(EIO);
        } else {
            const auto &bytes = *self->memory_;
            const int64_t left = int64_t(bytes.size()) - self->pos_;
            n = size_t(std::clamp<int64_t>(left, 0, size));
            if (n > 0)
                std::memcpy(buf, bytes.data() + self->pos_, n);
            self->pos_ += int64_t(n);
        }
        return n == 0 ? AVERROR_EOF : int(n);
    }
    static int64_t seek(void *opaque, int64_t offset, int whence)
    {
        auto *self = static_cast<Bytes *>(opaque);
        const int64_t size = self->size();
        if (whence & AVSEEK_SIZE)
            return size;
        whence &= ~AVSEEK_FORCE;
        const int64_t base = whence == SEEK_CUR ? self->tell() : whence == SEEK_END ? size : 0;
        if (whence != SEEK_SET && whence != SEEK_CUR && whence != SEEK_END)
            return AVERROR(EINVAL);
        const int64_t to = base + offset;
        if (to < 0)
            return AVERROR(EINVAL);
        if (self->file_)
            return ::fseeko(self->file_, off_t(to), SEEK_SET) == 0 ? to : AVERROR(EIO);
        self->pos_ = to;
        return to;
    }

private:
    int64_t size() const
    {
        if (!file_)
            return int64_t(memory_->size());
        const off_t here = ::ftello(file_);
        ::fseeko(file_, 0, SEEK_END);
        const off_t end = ::ftello(file_);
        ::fseeko(file_, here, SEEK_SET);
        return int64_t(end);
    }
    int64_t tell() const { return file_ ? int64_t(::ftello(file_)) : pos_; }

    const std::string path_;
    const std::vector<unsigned char> *memory_;
    std::FILE *file_ = nullptr;
    int64_t pos_ = 0;
};

// Nested inputs (playlists, external data references) are never opened:
// a song names no other file or address that we would read.
int refuseNestedInput(AVFormatContext *, AVIOContext **, const char *, int, AVDictionary **)
{
    return AVERROR(EPERM);
}

bool encryptedTag(uint32_t tag)
{
    for (const char *t : {"drms", "drmi", "enca"})
        if (tag == MKTAG(t[0], t[1], t[2], t[3]))
            return true;
    return false;
}

// Why a source cannot be opened: a code of bass.h and words.
struct Refusal {
    int code = BASS_OK;
    const char *why = nullptr;
};
const Refusal kDamaged{BASS_ERROR_DAMAGED, "the file is damaged (cut short or corrupt)"};

class MediaReader : public Reader {
public:
    // A memory source must outlive the reader, as the stream keeps it.
    explicit MediaReader(const Source &source) : path_(source.path), memory_(&source.bytes) {}
    ~MediaReader() override { close(); }

    Refusal open()
    {
        const Refusal refused = openFromStart();
        if (refused.code != BASS_OK)
            return refused;
        format_.kind = BASS_CTYPE_MEDIA;
        format_.rate = rate_;
        format_.channels = channels_;
        format_.lengthExact = false; // what the container says; exact once the end is reached
        const AVStream *st = demuxer_->streams[stream_];
        int64_t frames = 0;
        if (st->duration > 0 && st->duration != AV_NOPTS_VALUE)
            frames = av_rescale_q(st->duration, st->time_base, AVRational{1, rate_});
        else if (demuxer_->duration > 0)
            frames = av_rescale(demuxer_->duration, rate_, AV_TIME_BASE);
        format_.lengthBytes = std::max<int64_t>(frames, 0) * format_.frameBytes();
        const int bits = st->codecpar->bits_per_raw_sample;
        format_.bits = bits > 0 && bits <= 32 ? unsigned(bits) : 0;
        return {};
    }

    long read(unsigned char *out, size_t bytes) override
    {
        bytes -= bytes % size_t(format_.frameBytes());
        size_t done = 0;
        while (done < bytes) {
            if (taken_ == pending_.size() && !decodeNext())
                break;
            const size_t n = std::min(bytes - done, pending_.size() - taken_);
            std::memcpy(out + done, pending_.data() + taken_, n);
            done += n;
            taken_ += n;
        }
        return long(done);
    }

    // Starts again from the top (the one way every container rewinds
    // exactly) and skips to the frame.
    bool seek(int64_t frame) override
    {
        close();
        if (openFromStart().code != BASS_OK)
            return false;
        uint64_t skip = uint64_t(frame) * uint64_t(format_.frameBytes());
        while (skip > 0) {
            if (taken_ == pending_.size() && !decodeNext())
                return false;
            const size_t n = size_t(std::min<uint64_t>(skip, pending_.size() - taken_));
            taken_ += n;
            skip -= n;
        }
        return true;
    }

private:
    Refusal openFromStart()
    {
        bytes_ = std::make_unique<Bytes>(path_, memory_);
        if (!bytes_->open())
            return {BASS_ERROR_FILEOPEN, "the file cannot be opened"};
        auto *buffer = static_cast<unsigned char *>(av_malloc(kIoBufferBytes));
        if (!buffer)
            throw std::bad_alloc();
        io_ = avio_alloc_context(buffer, kIoBufferBytes, 0, bytes_.get(), Bytes::read, nullptr, Bytes::seek);
        if (!io_) {
            av_free(buffer);
            throw std::bad_alloc();
        }
        demuxer_ = avformat_alloc_context();
        if (!demuxer_)
            throw std::bad_alloc();
        demuxer_->pb = io_;
        demuxer_->io_open = refuseNestedInput;
        demuxer_->format_whitelist = av_strdup(kDemuxers);
        // Damaged sources stay quiet: the caller is told in words.
        av_log_set_level(AV_LOG_QUIET);
        if (avformat_open_input(&demuxer_, nullptr, nullptr, nullptr) < 0) {
            demuxer_ = nullptr; // freed by the failed call
            return kDamaged;
        }
        if (avformat_find_stream_info(demuxer_, nullptr) < 0)
            return kDamaged;
        if (demuxer_->nb_streams == 0) // even a silent video has its picture
            return kDamaged;
        stream_ = audioStream();
        if (stream_ < 0)
            return {BASS_ERROR_NOAUDIO, "the file holds no audio stream"};
        AVStream *st = demuxer_->streams[stream_];
        if (encryptedTag(st->codecpar->codec_tag)
            || av_stream_get_side_data(st, AV_PKT_DATA_ENCRYPTION_INIT_INFO, nullptr))
            return {BASS_ERROR_PROTECTED, "the audio is encrypted (DRM)"};
        const AVCodec *codec = avcodec_find_decoder(st->codecpar->codec_id);
        if (!codec)
            return {BASS_ERROR_FORMAT, "no decoder for the file's audio"};
        decoder_ = avcodec_alloc_context3(codec);
        if (!decoder_)
            throw std::bad_alloc();
        if (avcodec_parameters_to_context(decoder_, st->codecpar) < 0 || avcodec_open2(decoder_, codec, nullptr) < 0)
            return kDamaged;
        packet_ = av_packet_alloc();
        frame_ = av_frame_alloc();
        if (!packet_ || !frame_)
            throw std::bad_alloc();
        // The first frame tells the rate and channels the whole song is delivered in.
        rate_ = 0;
        channels_ = 0;
        if (!decodeNext()) {
            if (encrypted_)
                return {BASS_ERROR_PROTECTED, "the audio is encrypted (DRM)"};
            if (sawBad_ || readError_)
                return kDamaged;
        }
        if (rate_ <= 0) { // a stream without a single frame: its parameters, and nothing to read
            rate_ = st->codecpar->sample_rate;
            channels_ = st->codecpar->ch_layout.nb_channels;
        }
        if (rate_ <= 0 || channels_ <= 0 || channels_ > kMaxChannels)
            return {BASS_ERROR_FORMAT, "no channels or no sample rate"};
        return {};
    }

    // The first audio stream marked as the default one, else the first.
    int audioStream() const
    {
        int first = -1;
        for (unsigned i = 0; i < demuxer_->nb_streams; ++i) {
            const AVStream *st = demuxer_->streams[i];
            if (st->codecpar->codec_type != AVMEDIA_TYPE_AUDIO)
                continue;
            if (st->disposition & AV_DISPOSITION_DEFAULT)
                return int(i);
            if (first < 0)
                first = int(i);
        }
        return first;
    }

    // Decodes the next frame into pending_; false at the end of the stream.
    bool decodeNext()
    {
        pending_.clear();
        taken_ = 0;
        while (pending_.empty()) {
            const int rc = avcodec_receive_frame(decoder_, frame_);
            if (rc == 0) {
                const bool ok = deliver();
                av_frame_unref(frame_);
                if (!ok)
                    return false;
                continue;
            }
            if (rc == AVERROR_EOF)
                return drainResampler();
            if (rc == AVERROR(EAGAIN)) {
                if (!feedDecoder())
                    return false;
            } else {
                sawBad_ = true; // a frame that did not decode is skipped, as a bad packet is
                if (++badPackets_ > kMaxBadPackets)
                    return false;
            }
        }
        return true;
    }

    // Gives the decoder the stream's next packet, or the end; false when
    // nothing more can be decoded.
    bool feedDecoder()
    {
        for (;;) {
            if (flushed_)
                return false;
            const int rc = av_read_frame(demuxer_, packet_);
            if (rc < 0) {
                // The end, or a read that failed: what was decoded stays.
                readError_ = rc != AVERROR_EOF;
                flushed_ = true;
                avcodec_send_packet(decoder_, nullptr);
                return true;
            }
            if (packet_->stream_index != stream_) {
                av_packet_unref(packet_);
                continue;
            }
            if (av_packet_get_side_data(packet_, AV_PKT_DATA_ENCRYPTION_INFO, nullptr)) {
                encrypted_ = true;
                av_packet_unref(packet_);
                return false;
            }
            if (rate_ == 0 && ++packetsBeforeFirstFrame_ > kMaxPacketsToFirstFrame) {
                av_packet_unref(packet_);
                return false;
            }
            const int sent = avcodec_send_packet(decoder_, packet_);
            av_packet_unref(packet_);
            if (sent == 0 || sent == AVERROR(EAGAIN)) {
                badPackets_ = 0;
                return true;
            }
            // A damaged packet is skipped, as players do; many in a row end the stream.
            sawBad_ = true;
            if (sent != AVERROR_INVALIDDATA || ++badPackets_ > kMaxBadPackets)
                return false;
        }
    }

    // The frame as 16-bit interleaved samples in the first frame's rate and
    // channels; the resampler only where its layout differs from that.
    bool deliver()
    {
        if (frame_->nb_samples <= 0 || frame_->sample_rate <= 0 || frame_->ch_layout.nb_channels <= 0)
            return true;
        if (rate_ == 0) {
            rate_ = frame_->sample_rate;
            channels_ = frame_->ch_layout.nb_channels;
            if (channels_ > kMaxChannels)
                return false;
            if (av_channel_layout_copy(&layout_, &frame_->ch_layout) < 0)
                throw std::bad_alloc();
        }
        const bool plain = frame_->format == AV_SAMPLE_FMT_S16 && frame_->sample_rate == rate_
                        && frame_->ch_layout.nb_channels == channels_ && !resampler_;
        if (plain) {
            const auto *data = frame_->extended_data[0];
            pending_.assign(data, data + size_t(frame_->nb_samples) * size_t(channels_) * 2);
            return true;
        }
        if (!resamplerFits() && !makeResampler())
            return false;
        const int room = swr_get_out_samples(resampler_, frame_->nb_samples);
        if (room < 0)
            return false;
        return convert(const_cast<const uint8_t **>(frame_->extended_data), frame_->nb_samples, room);
    }

    bool resamplerFits() const
    {
        return resampler_ && inFormat_ == frame_->format && inRate_ == frame_->sample_rate
            && av_channel_layout_compare(&inLayout_, &frame_->ch_layout) == 0;
    }

    bool makeResampler()
    {
        drainResampler(); // samples held for the old input go out first
        std::vector<unsigned char> held = std::move(pending_);
        swr_free(&resampler_);
        av_channel_layout_uninit(&inLayout_);
        if (swr_alloc_set_opts2(&resampler_, &layout_, AV_SAMPLE_FMT_S16, rate_, &frame_->ch_layout,
                                AVSampleFormat(frame_->format), frame_->sample_rate, 0, nullptr) < 0
            || swr_init(resampler_) < 0 || av_channel_layout_copy(&inLayout_, &frame_->ch_layout) < 0) {
            swr_free(&resampler_);
            return false;
        }
        inFormat_ = frame_->format;
        inRate_ = frame_->sample_rate;
        pending_ = std::move(held);
        return true;
    }

    // Converts `count` input samples (none: flushes) after what is pending.
    bool convert(const uint8_t **in, int count, int room)
    {
        if (room <= 0)
            return true;
        const size_t frameBytes = size_t(channels_) * 2;
        const size_t before = pending_.size();
        pending_.resize(before + size_t(room) * frameBytes);
        uint8_t *out = pending_.data() + before;
        const int made = swr_convert(resampler_, &out, room, in, count);
        pending_.resize(before + size_t(std::max(made, 0)) * frameBytes);
        return made >= 0;
    }

    // What the resampler still holds, at the end; false when nothing came.
    bool drainResampler()
    {
        if (resampler_) {
            const int room = swr_get_out_samples(resampler_, 0);
            if (room > 0)
                convert(nullptr, 0, room);
        }
        return !pending_.empty();
    }

    void close()
    {
        swr_free(&resampler_);
        av_channel_layout_uninit(&inLayout_);
        av_channel_layout_uninit(&layout_);
        av_frame_free(&frame_);
        av_packet_free(&packet_);
        avcodec_free_context(&decoder_);
        avformat_close_input(&demuxer_);
        if (io_) {
            av_freep(&io_->buffer);
            avio_context_free(&io_);
        }
        bytes_.reset();
        pending_.clear();
        taken_ = 0;
        flushed_ = readError_ = encrypted_ = sawBad_ = false;
        badPackets_ = packetsBeforeFirstFrame_ = 0;
        inFormat_ = -1;
        inRate_ = 0;
    }

    const std::string path_;
    const std::vector<unsigned char> *memory_;
    std::unique_ptr<Bytes> bytes_;
    AVIOContext *io_ = nullptr;
    AVFormatContext *demuxer_ = nullptr;
    AVCodecContext *decoder_ = nullptr;
    AVPacket *packet_ = nullptr;
    AVFrame *frame_ = nullptr;
    SwrContext *resampler_ = nullptr;
    int stream_ = -1;
    int rate_ = 0, channels_ = 0;
    AVChannelLayout layout_{};   // the delivered one: the first frame's
    AVChannelLayout inLayout_{}; // the resampler's input
    int inFormat_ = -1, inRate_ = 0;
    std::vector<unsigned char> pending_; // decoded and not yet read
    size_t taken_ = 0;
    bool flushed_ = false, readError_ = false, encrypted_ = false;
    bool sawBad_ = false; // a packet or frame did not decode
    int badPackets_ = 0, packetsBeforeFirstFrame_ = 0;
};

} // namespace
} // namespace orvane

extern "C" BASS_MEDIA_ENTRY void orvane_open_media(const orvane::Source *source, orvane::Opening *out)
{
    using namespace orvane;
    try {
        auto reader = std::make_unique<MediaReader>(*source);
        const Refusal refused = reader->open();
        if (refused.code != BASS_OK)
            *out = Opening::failed(refused.code, std::string("FFmpeg: ") + refused.why);
        else
            *out = Opening{std::move(reader), BASS_OK, {}};
    } catch (const std::bad_alloc &) {
        *out = Opening::failed(BASS_ERROR_MEM, "FFmpeg: out of memory");
    }
}

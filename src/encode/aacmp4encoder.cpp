// M4R: AAC from FFmpeg's own encoder in an MP4 box whose major brand is
// "M4A " (the ipod muxer), 44.1 kHz stereo at 256 kbit/s.
//
// Without a gap: a phone repeats the ringtone, so the file declares which
// of the decoded frames are the ringtone's, as players expect, in an edit
// list (with the movie's time scale at the sample rate, so that its length
// is exact) and in the iTunSMPB tag. The encoder's priming comes first; the
// silence that fills the last AAC frame is moved in front of the sound too,
// so the sound ends exactly with the last frame: decoders that honour only
// the start of the edit (FFmpeg among them) still get exactly the frames.
//
// Built as the module libclipforge_aac.so, which aacmodule.cpp loads when
// the first M4R is saved: FFmpeg brings some hundred libraries with it,
// whose loading would otherwise slow every start of the program.
#include "encode/encoders.h"

#include <QFile>
#include <memory>
#include <vector>

#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
}

namespace {

constexpr int kBitRate = 256000;

QString avError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

struct CodecFree { void operator()(AVCodecContext *c) const { avcodec_free_context(&c); } };
struct FrameFree { void operator()(AVFrame *f) const { av_frame_free(&f); } };
struct PacketFree { void operator()(AVPacket *p) const { av_packet_free(&p); } };
struct MuxerFree {
    void operator()(AVFormatContext *f) const
    {
        if (f->pb)
            avio_closep(&f->pb);
        avformat_free_context(f);
    }
};

class AacMp4Writer : public FloatEncoder {
public:
    void expectFrames(qint64 frames) override { expected_ = frames; }
    Outcome open(const QString &path, int rate, int channels) override;
    // Appends interleaved stereo frames, encoding every full AAC frame.
    Outcome write(const float *frames, qint64 count) override;
    // Encodes the frames still held, drains the encoder, closes the file.
    Outcome finish() override;

private:
    Outcome sendFrame(AVFrame *frame);
    Outcome encode(const float *frames, qint64 count);
    Outcome writeGaplessTag();
    Outcome fail(const QString &what, int code) { return Outcome::failure(QStringLiteral("%1 (%2)").arg(what, avError(code))); }

    QString path_;
    std::unique_ptr<AVFormatContext, MuxerFree> muxer_;
    std::unique_ptr<AVCodecContext, CodecFree> codec_;
    std::unique_ptr<AVFrame, FrameFree> frame_;
    std::unique_ptr<AVPacket, PacketFree> packet_;
    AVStream *stream_ = nullptr;
    int filled_ = 0;   // frames in frame_ so far
    qint64 pts_ = 0;   // frames sent to the encoder, from -lead_
    qint64 expected_ = -1; // the ringtone's frames, when told
    qint64 lead_ = 0;      // silent frames in front of them
    qint64 written_ = 0;   // the ringtone's frames written
    qint64 packets_ = 0;   // AAC frames in the file
};

Outcome AacMp4Writer::open(const QString &path, int rate, int channels)
{
    if (rate != kM4rRate || channels != kM4rChannels)
        return Outcome::failure(QStringLiteral("AAC is written only at 44.1 kHz stereo"));
    // FFmpeg's notes on its work (quantiser averages, the file extension)
    // mean nothing to the user; its errors still show.
    av_log_set_level(AV_LOG_ERROR);
    const AVCodec *codec = avcodec_find_encoder_by_name("aac");
    if (!codec)
        return Outcome::failure(QStringLiteral("this FFmpeg has no AAC encoder"));
    AVFormatContext *muxer = nullptr;
    const QByteArray file = QFile::encodeName(path);
    int rc = avformat_alloc_output_context2(&muxer, nullptr, "ipod", file.constData());
    if (rc < 0)
        return fail(QStringLiteral("the MP4 writer did not start"), rc);
    muxer_.reset(muxer);
    codec_.reset(avcodec_alloc_context3(codec));
    frame_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    stream_ = avformat_new_stream(muxer, nullptr);
    if (!codec_ || !frame_ || !packet_ || !stream_)
        return Outcome::failure(QStringLiteral("out of memory"));

    AVCodecContext *c = codec_.get();
    c->sample_fmt = AV_SAMPLE_FMT_FLTP;
    c->sample_rate = kM4rRate;
    av_channel_layout_default(&c->ch_layout, kM4rChannels);
    c->bit_rate = kBitRate;
    c->time_base = AVRational{1, kM4rRate};
    if (muxer->oformat->flags & AVFMT_GLOBALHEADER)
        c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if ((rc = avcodec_open2(c, codec, nullptr)) < 0)
        return fail(QStringLiteral("the AAC encoder did not start"), rc);
    if ((rc = avcodec_parameters_from_context(stream_->codecpar, c)) < 0)
        return fail(QStringLiteral("the AAC encoder did not start"), rc);
    stream_->time_base = c->time_base;

    frame_->format = c->sample_fmt;
    frame_->sample_rate = kM4rRate;
    frame_->nb_samples = c->frame_size;
    av_channel_layout_copy(&frame_->ch_layout, &c->ch_layout);
    if ((rc = av_frame_get_buffer(frame_.get(), 0)) < 0)
        return fail(QStringLiteral("out of memory"), rc);

    if ((rc = avio_open(&muxer->pb, file.constData(), AVIO_FLAG_WRITE)) < 0)
        return fail(QStringLiteral("the file cannot be opened"), rc);
    AVDictionary *options = nullptr;
    av_dict_set_int(&options, "movie_timescale", kM4rRate, 0);
    rc = avformat_write_header(muxer, &options);
    av_dict_free(&options);
    if (rc < 0)
        return fail(QStringLiteral("the MP4 header cannot be written"), rc);
    path_ = path;
    if (expected_ >= 0) {
        // Enough silence in front that the sound fills the last frame; its
        // time stamps lie before 0, where the edit list leaves them out.
        lead_ = (c->frame_size - expected_ % c->frame_size) % c->frame_size;
        pts_ = -lead_;
        const std::vector<float> silence(size_t(lead_ * kM4rChannels), 0.0f);
        return encode(silence.data(), lead_);
    }
    return Outcome::success();
}

Outcome AacMp4Writer::sendFrame(AVFrame *frame)
{
    int rc = avcodec_send_frame(codec_.get(), frame);
    if (rc < 0)
        return fail(QStringLiteral("the AAC encoder failed"), rc);
    while ((rc = avcodec_receive_packet(codec_.get(), packet_.get())) >= 0) {
        ++packets_;
        av_packet_rescale_ts(packet_.get(), codec_->time_base, stream_->time_base);
        packet_->stream_index = stream_->index;
        rc = av_write_frame(muxer_.get(), packet_.get());
        av_packet_unref(packet_.get());
        if (rc < 0)
            return fail(QStringLiteral("writing failed"), rc);
    }
    if (rc != AVERROR(EAGAIN) && rc != AVERROR_EOF)
        return fail(QStringLiteral("the AAC encoder failed"), rc);
    if (muxer_->pb->error < 0)
        return fail(QStringLiteral("writing failed"), muxer_->pb->error);
    return Outcome::success();
}

Outcome AacMp4Writer::write(const float *frames, qint64 count)
{
    written_ += count;
    return encode(frames, count);
}

Outcome AacMp4Writer::encode(const float *frames, qint64 count)
{
    AVFrame *f = frame_.get();
    while (count > 0) {
        if (filled_ == 0) {
            const int rc = av_frame_make_writable(f);
            if (rc < 0)
                return fail(QStringLiteral("out of memory"), rc);
        }
        const int take = int(std::min<qint64>(count, f->nb_samples - filled_));
        auto *left = reinterpret_cast<float *>(f->data[0]) + filled_;
        auto *right = reinterpret_cast<float *>(f->data[1]) + filled_;
        for (int i = 0; i < take; ++i) {
            left[i] = frames[2 * i];
            right[i] = frames[2 * i + 1];
        }
        frames += 2 * take;
        count -= take;
        filled_ += take;
        if (filled_ == f->nb_samples) {
            f->pts = pts_;
            pts_ += filled_;
            filled_ = 0;
            if (Outcome sent = sendFrame(f); !sent)
                return sent;
        }
    }
    return Outcome::success();
}

Outcome AacMp4Writer::finish()
{
    if (filled_ > 0) {
        // The encoder takes a short last frame.
        frame_->nb_samples = filled_;
        frame_->pts = pts_;
        if (Outcome sent = sendFrame(frame_.get()); !sent)
            return sent;
    }
    if (Outcome sent = sendFrame(nullptr); !sent)
        return sent;
    int rc = av_write_trailer(muxer_.get());
    if (rc < 0)
        return fail(QStringLiteral("the MP4 index cannot be written"), rc);
    if ((rc = avio_closep(&muxer_->pb)) < 0)
        return fail(QStringLiteral("writing failed"), rc);
    return writeGaplessTag();
}

// iTunSMPB: the frames before the sound (the priming), those after it, and
// the sound's own count, in the hexadecimal layout players read.
Outcome AacMp4Writer::writeGaplessTag()
{
    const qint64 priming = lead_ + codec_->initial_padding;
    const qint64 remainder = packets_ * codec_->frame_size - priming - written_;
    if (remainder < 0)
        return Outcome::failure(QStringLiteral("the AAC encoder gave fewer frames than it was given"));
    QString value = QStringLiteral(" 00000000 %1 %2 %3")
                        .arg(priming, 8, 16, QLatin1Char('0'))
                        .arg(remainder, 8, 16, QLatin1Char('0'))
                        .arg(written_, 16, 16, QLatin1Char('0'))
                        .toUpper();
    for (int i = 0; i < 8; ++i)
        value += QStringLiteral(" 00000000");
    TagLib::MP4::File file(QFile::encodeName(path_).constData(), false);
    if (!file.isValid())
        return Outcome::failure(QStringLiteral("the MP4 file just written cannot be read back"));
    file.tag()->setItem("----:com.apple.iTunes:iTunSMPB",
                        TagLib::MP4::Item(TagLib::StringList(TagLib::String(value.toStdString()))));
    if (!file.save())
        return Outcome::failure(QStringLiteral("writing failed"));
    return Outcome::success();
}

} // namespace

extern "C" __attribute__((visibility("default"))) FloatEncoder *clipforge_new_aac_mp4_writer()
{
    return new AacMp4Writer;
}

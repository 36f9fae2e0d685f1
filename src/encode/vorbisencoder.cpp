// Ogg Vorbis: libvorbisenc at quality 6 in variable bit rate, its packets
// put into Ogg pages with libogg and written to the output's descriptor.
#include "base/atomicsave.h"
#include "encode/encoders.h"
#include "encode/wavsource.h"

#include <QRandomGenerator>
#include <ogg/ogg.h>
#include <vorbis/vorbisenc.h>

namespace {

constexpr float kQuality = 0.6f;
constexpr int kFallbackRate = 44100;

// libvorbisenc has quality set-ups for the usual rates only.
bool vorbisTakes(int rate, int channels)
{
    vorbis_info vi;
    vorbis_info_init(&vi);
    const bool ok = vorbis_encode_init_vbr(&vi, channels, rate, kQuality) == 0;
    vorbis_info_clear(&vi);
    return ok;
}

class VorbisWriter : public FloatEncoder {
public:
    explicit VorbisWriter(const AtomicOutput &out) : out_(out) {}
    ~VorbisWriter() override;
    Outcome open(const QString &path, int rate, int channels) override;
    Outcome write(const float *frames, qint64 count) override;
    Outcome finish() override;

private:
    // Encodes what the analysis holds and writes every full page (all of
    // them, the last one included, when flushing).
    Outcome drain(bool flush);
    Outcome writePage(const ogg_page &page);

    const AtomicOutput &out_;
    vorbis_info info_{};
    vorbis_dsp_state dsp_{};
    vorbis_block block_{};
    ogg_stream_state ogg_{};
    bool started_ = false;
    int channels_ = 0;
};

VorbisWriter::~VorbisWriter()
{
    if (started_) {
        ogg_stream_clear(&ogg_);
        vorbis_block_clear(&block_);
        vorbis_dsp_clear(&dsp_);
    }
    vorbis_info_clear(&info_);
}

Outcome VorbisWriter::open(const QString &, int rate, int channels)
{
    channels_ = channels;
    vorbis_info_init(&info_);
    if (vorbis_encode_init_vbr(&info_, channels, rate, kQuality) != 0)
        return Outcome::failure(QStringLiteral("the Vorbis encoder cannot take %1 Hz with %2 channel(s)").arg(rate).arg(channels));
    vorbis_analysis_init(&dsp_, &info_);
    vorbis_block_init(&dsp_, &block_);
    ogg_stream_init(&ogg_, int(QRandomGenerator::global()->generate() & 0x7fffffff));
    started_ = true;

    // The comment header stays empty here: the tags are written afterwards.
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    ogg_packet id, comments, codebooks;
    vorbis_analysis_headerout(&dsp_, &comment, &id, &comments, &codebooks);
    ogg_stream_packetin(&ogg_, &id);
    ogg_stream_packetin(&ogg_, &comments);
    ogg_stream_packetin(&ogg_, &codebooks);
    vorbis_comment_clear(&comment);
    // The headers end their own page, as the Ogg Vorbis mapping asks.
    ogg_page page;
    while (ogg_stream_flush(&ogg_, &page) != 0)
        if (Outcome written = writePage(page); !written)
            return written;
    return Outcome::success();
}

Outcome VorbisWriter::writePage(const ogg_page &page)
{
    if (Outcome header = out_.write(page.header, size_t(page.header_len)); !header)
        return header;
    return out_.write(page.body, size_t(page.body_len));
}

Outcome VorbisWriter::write(const float *frames, qint64 count)
{
    if (count == 0)
        return Outcome::success();
    float **buffer = vorbis_analysis_buffer(&dsp_, int(count));
    for (qint64 i = 0; i < count; ++i)
        for (int c = 0; c < channels_; ++c)
            buffer[c][i] = frames[i * channels_ + c];
    vorbis_analysis_wrote(&dsp_, int(count));
    return drain(false);
}

Outcome VorbisWriter::drain(bool flush)
{
    ogg_packet packet;
    ogg_page page;
    while (vorbis_analysis_blockout(&dsp_, &block_) == 1) {
        vorbis_analysis(&block_, nullptr);
        vorbis_bitrate_addblock(&block_);
        while (vorbis_bitrate_flushpacket(&dsp_, &packet) == 1) {
            ogg_stream_packetin(&ogg_, &packet);
            while (ogg_stream_pageout(&ogg_, &page) != 0)
                if (Outcome written = writePage(page); !written)
                    return written;
        }
    }
    while (flush && ogg_stream_flush(&ogg_, &page) != 0)
        if (Outcome written = writePage(page); !written)
            return written;
    return Outcome::success();
}

Outcome VorbisWriter::finish()
{
    vorbis_analysis_wrote(&dsp_, 0);
    return drain(true);
}

} // namespace

Outcome encodeVorbis(const EncodeTarget &target)
{
    VorbisWriter writer(target.out);
    const int channels = target.source.channels();
    const int rate = vorbisTakes(target.source.rate(), channels) ? 0 : kFallbackRate;
    return runFloatEncoder(target, writer, rate);
}

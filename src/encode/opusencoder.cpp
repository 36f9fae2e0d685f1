// Opus: libopusenc at 128 kbit/s, fed at 48 kHz (the source resampled with
// libsoxr), its pages written to the output's descriptor.
#include "base/atomicsave.h"
#include "encode/encoders.h"

#include "encode/wavsource.h"

#include <algorithm>
#include <opus/opusenc.h>

namespace {

constexpr int kRate = 48000;
constexpr int kBitRate = 128000;

class OpusWriter : public FloatEncoder {
public:
    OpusWriter(const AtomicOutput &out, int sourceBits) : out_(out), sourceBits_(sourceBits) {}
    ~OpusWriter() override;
    Outcome open(const QString &path, int rate, int channels) override;
    Outcome write(const float *frames, qint64 count) override;
    Outcome finish() override;

private:
    static int writePage(void *self, const unsigned char *data, opus_int32 size);
    static int closeStream(void *) { return 0; }
    Outcome failed(const QString &what, int code) const;

    const AtomicOutput &out_;
    int sourceBits_;
    OggOpusComments *comments_ = nullptr;
    OggOpusEnc *encoder_ = nullptr;
    Outcome written_; // of the last page
};

OpusWriter::~OpusWriter()
{
    if (encoder_)
        ope_encoder_destroy(encoder_);
    if (comments_)
        ope_comments_destroy(comments_);
}

int OpusWriter::writePage(void *self, const unsigned char *data, opus_int32 size)
{
    auto *writer = static_cast<OpusWriter *>(self);
    writer->written_ = writer->out_.write(data, size_t(size));
    return writer->written_ ? 0 : 1;
}

// A write that failed says why in the system's words.
Outcome OpusWriter::failed(const QString &what, int code) const
{
    if (!written_)
        return written_;
    return Outcome::failure(QStringLiteral("%1 (%2)").arg(what, QString::fromUtf8(ope_strerror(code))));
}

Outcome OpusWriter::open(const QString &, int rate, int channels)
{
    comments_ = ope_comments_create();
    if (!comments_)
        return Outcome::failure(QStringLiteral("out of memory"));
    static const OpusEncCallbacks callbacks{&OpusWriter::writePage, &OpusWriter::closeStream};
    int rc = OPE_OK;
    encoder_ = ope_encoder_create_callbacks(&callbacks, this, comments_, rate, channels, 0, &rc);
    if (!encoder_)
        return failed(QStringLiteral("the Opus encoder did not start"), rc);
    // The source's depth: the noise below its last bit is not worth coding.
    const int depth = std::clamp(sourceBits_, 8, 24);
    if ((rc = ope_encoder_ctl(encoder_, OPUS_SET_BITRATE(kBitRate))) != OPE_OK
        || (rc = ope_encoder_ctl(encoder_, OPUS_SET_LSB_DEPTH(depth))) != OPE_OK)
        return failed(QStringLiteral("the Opus encoder did not start"), rc);
    return Outcome::success();
}

Outcome OpusWriter::write(const float *frames, qint64 count)
{
    const int rc = ope_encoder_write_float(encoder_, frames, int(count));
    if (rc != OPE_OK || !written_)
        return failed(QStringLiteral("the Opus encoder failed"), rc);
    return Outcome::success();
}

Outcome OpusWriter::finish()
{
    const int rc = ope_encoder_drain(encoder_);
    if (rc != OPE_OK || !written_)
        return failed(QStringLiteral("the Opus encoder failed"), rc);
    return Outcome::success();
}

} // namespace

Outcome encodeOpus(const EncodeTarget &target)
{
    OpusWriter writer(target.out, target.source.significantBits());
    return runFloatEncoder(target, writer, kRate);
}

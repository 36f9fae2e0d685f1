// MP3: libmp3lame at a constant bit rate, with the LAME info frame first
// (it carries the encoder delay and padding, so decoders give the exact
// length back).
#include "base/atomicsave.h"
#include "base/filecopy.h"
#include "encode/encoders.h"

#include <lame/lame.h>
#include <unistd.h>
#include <vector>

namespace {

class Mp3Writer : public FloatEncoder {
public:
    Mp3Writer(const AtomicOutput &out, int kbps) : out_(out), kbps_(kbps) {}
    ~Mp3Writer() override
    {
        if (lame_)
            lame_close(lame_);
    }
    QString open(const QString &path, int rate, int channels) override;
    QString write(const float *frames, qint64 count) override;
    QString finish() override;

private:
    QString put(int bytes);

    const AtomicOutput &out_;
    int kbps_;
    int channels_ = 0;
    lame_t lame_ = nullptr;
    std::vector<unsigned char> mp3_;
};

QString Mp3Writer::open(const QString &, int rate, int channels)
{
    channels_ = channels;
    lame_ = lame_init();
    if (!lame_)
        return QStringLiteral("the MP3 encoder did not start");
    lame_set_num_channels(lame_, channels);
    lame_set_in_samplerate(lame_, rate);
    lame_set_mode(lame_, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_VBR(lame_, vbr_off);
    lame_set_brate(lame_, kbps_);
    lame_set_bWriteVbrTag(lame_, 1);
    lame_set_write_id3tag_automatic(lame_, 0); // the tags come afterwards
    if (lame_init_params(lame_) < 0)
        return QStringLiteral("the MP3 encoder cannot take %1 Hz with %2 channel(s) at %3 kbit/s").arg(rate).arg(channels).arg(kbps_);
    return {};
}

QString Mp3Writer::put(int bytes)
{
    if (bytes < 0)
        return QStringLiteral("the MP3 encoder failed (%1)").arg(bytes);
    return out_.write(mp3_.data(), size_t(bytes));
}

QString Mp3Writer::write(const float *frames, qint64 count)
{
    // LAME's own bound on what one call can give.
    mp3_.resize(size_t(1.25 * double(count) + 7200));
    const int size = int(mp3_.size());
    const int bytes = channels_ == 2 ? lame_encode_buffer_interleaved_ieee_float(lame_, frames, int(count), mp3_.data(), size)
                                     : lame_encode_buffer_ieee_float(lame_, frames, nullptr, int(count), mp3_.data(), size);
    return put(bytes);
}

QString Mp3Writer::finish()
{
    mp3_.resize(7200);
    if (const QString why = put(lame_encode_flush(lame_, mp3_.data(), int(mp3_.size()))); !why.isEmpty())
        return why;
    // The info frame, now complete, over the placeholder at the start.
    unsigned char tag[2880];
    const size_t size = lame_get_lametag_frame(lame_, tag, sizeof tag);
    if (size > 0 && size <= sizeof tag && ::pwrite(out_.fd(), tag, size, 0) != ssize_t(size))
        return lastSystemError();
    return {};
}

} // namespace

QString encodeMp3(const EncodeTarget &target)
{
    Mp3Writer writer(target.out, target.job.mp3BitRate);
    return runFloatEncoder(target, writer);
}

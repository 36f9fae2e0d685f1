// MP3: libmp3lame at a constant bit rate, with the LAME info frame first
// (it carries the encoder delay and padding, so decoders give the exact
// length back), at the source's rate where the bit rate exists there.
#include "base/atomicsave.h"
#include "base/filecopy.h"
#include "encode/encoders.h"
#include "encode/wavsource.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <lame/lame.h>
#include <unistd.h>
#include <vector>

namespace {

// The bit rate exists at this rate, and its frames are large enough for the
// LAME info frame (LAME leaves the frame out otherwise: 56 kbit/s stereo at
// 44.1 kHz would lose its exact length).
bool fits(int rate, int kbps, int channels)
{
    const bool isMpeg1 = rate >= 32000;
    const int frameBytes = (isMpeg1 ? 144000 : 72000) * kbps / rate;
    const int sideInfo = 4 + (isMpeg1 ? (channels == 2 ? 32 : 17) : (channels == 2 ? 17 : 9));
    const int lameTag = 156;
    if (frameBytes < sideInfo + lameTag)
        return false;
    if (rate < 16000 && kbps > 64)
        return false; // MPEG-2.5 tops out at 64 kbit/s in LAME
    static const int mpeg1[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static const int mpeg2[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    const auto &table = isMpeg1 ? mpeg1 : mpeg2;
    return std::find(std::begin(table), std::end(table), kbps) != std::end(table);
}

// The bit rate LAME will use: the nearest one of the MPEG tables.
int nearestBitRate(int kbps)
{
    static const int all[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224, 256, 320};
    int best = all[0];
    for (int b : all)
        if (std::abs(b - kbps) < std::abs(best - kbps))
            best = b;
    return best;
}

// The MP3 sample rate for this source rate and bit rate: the source's own
// when the bit rate exists there, else the nearest one that has it (same
// rate family first).
int mp3Rate(int inRate, int kbps, int channels)
{
    static const int rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    kbps = nearestBitRate(kbps);
    for (int r : rates)
        if (r == inRate && fits(r, kbps, channels))
            return r;
    auto family = [](int r) { return r % 11025 == 0 ? 0 : (r % 12000 == 0 ? 1 : 2); };
    int best = 0;
    auto better = [&](int r) {
        if (!best)
            return true;
        const bool sameR = family(r) == family(inRate), sameB = family(best) == family(inRate);
        if (sameR != sameB)
            return sameR;
        const long dr = std::labs(long(r) - inRate), db = std::labs(long(best) - inRate);
        return dr < db || (dr == db && r > best);
    };
    for (int r : rates)
        if (fits(r, kbps, channels) && better(r))
            best = r;
    return best ? best : 44100;
}

class Mp3Writer : public FloatEncoder {
public:
    Mp3Writer(const AtomicOutput &out, int kbps) : out_(out), kbps_(kbps) {}
    ~Mp3Writer() override
    {
        if (lame_)
            lame_close(lame_);
    }
    Outcome open(const QString &path, int rate, int channels) override;
    Outcome write(const float *frames, qint64 count) override;
    Outcome finish() override;

private:
    Outcome put(int bytes);

    const AtomicOutput &out_;
    int kbps_;
    int channels_ = 0;
    lame_t lame_ = nullptr;
    std::vector<unsigned char> mp3_;
};

Outcome Mp3Writer::open(const QString &, int rate, int channels)
{
    channels_ = channels;
    lame_ = lame_init();
    if (!lame_)
        return Outcome::failure(QStringLiteral("the MP3 encoder did not start"));
    lame_set_num_channels(lame_, channels);
    lame_set_in_samplerate(lame_, rate);
    lame_set_out_samplerate(lame_, rate); // the stream comes at the rate chosen for the MP3
    lame_set_mode(lame_, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_VBR(lame_, vbr_off);
    lame_set_brate(lame_, kbps_);
    lame_set_bWriteVbrTag(lame_, 1);
    lame_set_write_id3tag_automatic(lame_, 0); // the tags come afterwards
    if (lame_init_params(lame_) < 0)
        return Outcome::failure(QStringLiteral("the MP3 encoder cannot take %1 Hz with %2 channel(s) at %3 kbit/s").arg(rate).arg(channels).arg(kbps_));
    return Outcome::success();
}

Outcome Mp3Writer::put(int bytes)
{
    if (bytes < 0)
        return Outcome::failure(QStringLiteral("the MP3 encoder failed (%1)").arg(bytes));
    return out_.write(mp3_.data(), size_t(bytes));
}

Outcome Mp3Writer::write(const float *frames, qint64 count)
{
    // LAME's own bound on what one call can give.
    mp3_.resize(size_t(1.25 * double(count) + 7200));
    const int size = int(mp3_.size());
    const int bytes = channels_ == 2 ? lame_encode_buffer_interleaved_ieee_float(lame_, frames, int(count), mp3_.data(), size)
                                     : lame_encode_buffer_ieee_float(lame_, frames, nullptr, int(count), mp3_.data(), size);
    return put(bytes);
}

Outcome Mp3Writer::finish()
{
    mp3_.resize(7200);
    if (Outcome flushed = put(lame_encode_flush(lame_, mp3_.data(), int(mp3_.size()))); !flushed)
        return flushed;
    // The info frame, now complete, over the placeholder at the start.
    unsigned char tag[2880];
    const size_t size = lame_get_lametag_frame(lame_, tag, sizeof tag);
    if (size > 0 && size <= sizeof tag && ::pwrite(out_.fd(), tag, size, 0) != ssize_t(size))
        return Outcome::failure(lastSystemError());
    return Outcome::success();
}

} // namespace

Outcome encodeMp3(const EncodeTarget &target)
{
    const int kbps = target.job.mp3BitRate;
    const int channels = target.source.channels();
    Mp3Writer writer(target.out, kbps);
    return runFloatEncoder(target, writer, mp3Rate(target.source.rate(), kbps, channels), channels);
}

#include "base/pcmwav.h"

#include "base/atomicsave.h"
#include "base/wavheader.h"

#include <QFile>
#include <memory>
#include <sndfile.h>
#include <vector>

namespace {

struct SndFileCloser {
    void operator()(SNDFILE *f) const { sf_close(f); }
};
using SndFilePtr = std::unique_ptr<SNDFILE, SndFileCloser>;

// Codecs whose samples carry no more than 16 bits.
bool fitsSixteenBits(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8: case SF_FORMAT_PCM_U8: case SF_FORMAT_PCM_16:
    case SF_FORMAT_ULAW: case SF_FORMAT_ALAW: case SF_FORMAT_IMA_ADPCM: case SF_FORMAT_MS_ADPCM:
    case SF_FORMAT_GSM610: case SF_FORMAT_G721_32: case SF_FORMAT_G723_24: case SF_FORMAT_G723_40:
    case SF_FORMAT_DWVW_12: case SF_FORMAT_DWVW_16: case SF_FORMAT_NMS_ADPCM_16: case SF_FORMAT_NMS_ADPCM_24:
    case SF_FORMAT_NMS_ADPCM_32:
        return true;
    default:
        return false;
    }
}

constexpr sf_count_t kBlockFrames = 16384;

} // namespace

Outcome convertToPcmWav(const QString &source, const QString &target)
{
    SF_INFO info{};
    SndFilePtr in(sf_open(QFile::encodeName(source).constData(), SFM_READ, &info));
    if (!in)
        return Outcome::failure(QStringLiteral("%1 is not an audio file that can be read: %2").arg(source, QString::fromUtf8(sf_strerror(nullptr))));
    if (info.channels < 1 || info.channels > 0xFFFF || info.samplerate < 1)
        return Outcome::failure(QStringLiteral("%1 has no usable channels or sample rate.").arg(source));

    const bool narrow = fitsSixteenBits(info.format);
    const int sampleBytes = narrow ? 2 : 4;
    const quint16 channels = quint16(info.channels);
    const qint64 blockAlign = qint64(sampleBytes) * channels;
    if (blockAlign > 0xFFFF)
        return Outcome::failure(QStringLiteral("%1 has too many channels for a WAV clip.").arg(source));

    const auto cannotWrite = [&](const QString &why) {
        return Outcome::failure(QStringLiteral("Cannot write %1: %2").arg(target, why));
    };
    Result<AtomicOutput> opened = AtomicOutput::open(target);
    if (!opened)
        return cannotWrite(opened.error());
    AtomicOutput &atomic = opened.value();
    QIODevice &out = atomic.device();
    WavHeader header = WavHeader::make(channels, quint32(info.samplerate), quint16(sampleBytes * 8), 0,
                                       narrow ? 1 : 3);
    if (!writeWavHeader(out, header))
        return cannotWrite(out.errorString());

    std::vector<char> block(size_t(kBlockFrames * blockAlign));
    qint64 dataSize = 0;
    for (;;) {
        const sf_count_t got = narrow ? sf_readf_short(in.get(), reinterpret_cast<short *>(block.data()), kBlockFrames)
                                      : sf_readf_float(in.get(), reinterpret_cast<float *>(block.data()), kBlockFrames);
        if (got <= 0)
            break;
        const qint64 bytes = got * blockAlign;
        if (dataSize + bytes > kWavMaxDataSize)
            return Outcome::failure(QStringLiteral("%1 is too long for a WAV clip (more than 2 GiB of samples).").arg(source));
        if (out.write(block.data(), bytes) != bytes)
            return cannotWrite(out.errorString());
        dataSize += bytes;
    }
    if (sf_error(in.get()) != SF_ERR_NO_ERROR)
        return Outcome::failure(QStringLiteral("%1 could not be read to its end: %2").arg(source, QString::fromUtf8(sf_strerror(in.get()))));
    if (!patchWavSizes(out, dataSize))
        return cannotWrite(out.errorString());
    if (const Outcome committed = atomic.commit(); !committed)
        return cannotWrite(committed.error());
    return Outcome::success();
}

// FLAC and WAV through libsndfile: integer samples go through as left-
// aligned 32-bit integers, so 8, 16 and 24-bit audio keeps every bit;
// float WAVs go through as floats.
#include "base/atomicsave.h"
#include "encode/encoders.h"
#include "encode/floatstream.h"
#include "encode/wavsource.h"

#include <QFile>
#include <sndfile.h>
#include <vector>

namespace {

// What the output stores: WAV the source's own layout, FLAC the nearest
// it has (8, 16 or 24 bits; deeper samples are rounded to 24).
int outputFormat(RingtoneFormat format, int subformat)
{
    if (format == RingtoneFormat::Wav) {
        switch (subformat) {
        case SF_FORMAT_PCM_U8: case SF_FORMAT_PCM_16: case SF_FORMAT_PCM_24:
        case SF_FORMAT_PCM_32: case SF_FORMAT_FLOAT: case SF_FORMAT_DOUBLE:
            return SF_FORMAT_WAV | subformat;
        default:
            return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
        }
    }
    switch (subformat) {
    case SF_FORMAT_PCM_U8: case SF_FORMAT_PCM_S8: return SF_FORMAT_FLAC | SF_FORMAT_PCM_S8;
    case SF_FORMAT_PCM_16: return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    default: return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    }
}

// libsndfile's text without its "System error : " head and closing stop.
QString sndfileError(SNDFILE *file)
{
    QString text = QString::fromLocal8Bit(sf_strerror(file)).trimmed();
    text.remove(QLatin1String("System error : "));
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

template <class Sample, class Writer>
Outcome copySamples(const EncodeTarget &target, SNDFILE *out, Writer writeFrames)
{
    WavSource &source = target.source;
    std::vector<Sample> block(size_t(4096 * source.channels()));
    while (true) {
        if (!target.progress(source.fraction()))
            return Outcome::failure(cancelledReason());
        const Result<qint64> got = source.read(block.data(), 4096);
        if (!got)
            return got.failure();
        if (got.value() == 0)
            return Outcome::success();
        if (writeFrames(out, block.data(), got.value()) != got.value())
            return Outcome::failure(sndfileError(out));
    }
}

} // namespace

Outcome encodeLossless(const EncodeTarget &target)
{
    WavSource &source = target.source;
    SF_INFO info{};
    info.samplerate = source.rate();
    info.channels = source.channels();
    info.format = outputFormat(target.job.format, source.subformat());
    if (!sf_format_check(&info))
        return Outcome::failure(QStringLiteral("%1 Hz with %2 channels cannot be stored in this format").arg(info.samplerate).arg(info.channels));
    SNDFILE *out = sf_open(QFile::encodeName(target.out.tempPath()).constData(), SFM_WRITE, &info);
    if (!out)
        return Outcome::failure(sndfileError(nullptr));
    sf_command(out, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    Outcome copied = source.isFloat() ? copySamples<float>(target, out, sf_writef_float)
                                      : copySamples<int>(target, out, sf_writef_int);
    if (sf_close(out) != 0 && copied)
        return Outcome::failure(QStringLiteral("the file could not be finished"));
    return copied;
}

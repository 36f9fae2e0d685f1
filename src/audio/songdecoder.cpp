#include "audio/songdecoder.h"

#include "audio/audiostart.h"
#include "audio/basslib.h"
#include "base/paths.h"

#include <QElapsedTimer>
#include <QLocale>
#include <cmath>

namespace {
constexpr int kBlock = 20000;
// The busy window's bar repaints at once when told, and a repaint costs as
// much as decoding a block: a fast decode moves it in steps of 4 percent, a
// slow one (100 ms or more a percent) by every percent.
constexpr int kProgressStep = 4;
constexpr qint64 kProgressWaitMs = 100;

// Words for the codes that say what is wrong with a file; empty for the others.
QString fileProblem(int code)
{
    switch (code) {
    case BASS_ERROR_NOAUDIO: return QStringLiteral("the file holds no audio stream, so there is no sound to import");
    case BASS_ERROR_PROTECTED: return QStringLiteral("the sound is encrypted (DRM) and cannot be read");
    case BASS_ERROR_DAMAGED: return QStringLiteral("the file is damaged (cut short or corrupt)");
    default: return {};
    }
}
} // namespace

SongDecoder::SongDecoder(AudioStart &audio) : audio_(audio) {}

Outcome SongDecoder::loadmp3(const QString &songPath)
{
    decChan = 0;
    const BassApi *bass = audio_.api();
    if (!bass)
        return Outcome::failure(QStringLiteral("The audio library is not started."));
    songPath_ = songPath;
    const QByteArray path = songPath.toLocal8Bit();
    decChan = bass->BASS_StreamCreateFile(0, path.constData(), 0, 0, BASS_STREAM_DECODE);
    // A file the library knew but found silent, locked or damaged is said
    // so; the address and tracker music tried after it know nothing more.
    if (const QString why = fileProblem(bass->BASS_ErrorGetCode()); !decChan && !why.isEmpty())
        return Failure{QStringLiteral("%1: %2; no clip was made.").arg(songPath, why)};
    if (!decChan)
        decChan = bass->BASS_StreamCreateURL(path.constData(), 0, BASS_STREAM_DECODE | BASS_STREAM_FETCHALL, nullptr,
                                             nullptr);
    if (!decChan)
        decChan = bass->BASS_MusicLoad(0, path.constData(), 0, 0,
                                       BASS_STREAM_DECODE | BASS_MUSIC_MEASURE | BASS_MUSIC_RAMP, 0);
    if (!decChan)
        return audio_.libraryFailure(QStringLiteral("Can't play the file"));
    return Outcome::success();
}

Outcome SongDecoder::convert2wav(const QString &outputPath)
{
    converting = !converting;
    if (!converting) // a conversion is running; it ends after its block
        return Outcome::failure(QStringLiteral("The running decoding was stopped."));
    const BassApi *bass = audio_.api();
    problem_.clear();
    if (!bass || !decChan) {
        converting = false;
        return Outcome::failure(QStringLiteral("No song is open for decoding."));
    }
    BASS_CHANNELINFO info{};
    bass->BASS_ChannelGetInfo(decChan, &info);
    DWORD rate = 0, volume = DWORD(-1);
    int pan = -1;
    bass->BASS_ChannelGetAttributes(decChan, &rate, &volume, &pan);
    decHdr = WavHeader::make(quint16(info.chans), rate, (info.flags & BASS_SAMPLE_8BITS) ? 8 : 16);

    // The length the song says it has (an estimate for some formats) is
    // checked before anything is written.
    const quint64 total = bass->BASS_ChannelGetLength(decChan);
    if (total != quint64(-1) && qint64(total) > maxDataSize) {
        converting = false;
        return Outcome::failure(QStringLiteral("%1 is too long for a WAV clip (more than %2 of samples); no clip was made.")
                                    .arg(songPath_, QLocale::c().formattedDataSize(maxDataSize)));
    }
    outputPath_ = outputPath;
    out_.setFileName(outputPath + QStringLiteral(".part"));
    if (!out_.open(QIODevice::WriteOnly | QIODevice::Truncate) || !writeWavHeader(out_, decHdr)) {
        out_.close();
        QFile::remove(out_.fileName());
        converting = false;
        return Outcome::failure(QStringLiteral("The clip file %1 could not be created.").arg(outputPath));
    }
    QByteArray decBuf(kBlock, Qt::Uninitialized);
    int lastPercent = -1;
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    while (bass->BASS_ChannelIsActive(decChan) && converting) {
        const DWORD got = bass->BASS_ChannelGetData(decChan, decBuf.data(), kBlock);
        if (got == 0xFFFFFFFF)
            break;
        if (qint64(decLen) + got > maxDataSize) {
            problem_ = QStringLiteral("The song is too long for a WAV clip; decoding stopped.");
            break;
        }
        if (got > 0 && out_.write(decBuf.constData(), got) != qint64(got)) {
            problem_ = QStringLiteral("The clip file %1 could not be written.").arg(outputPath);
            break;
        }
        decLen += qint32(got);
        if (progress && total > 0 && total != quint64(-1)) {
            const int percent = int(std::min<quint64>(100, quint64(decLen) * 100 / total));
            if (percent != lastPercent
                && (percent == 100 || percent - lastPercent >= kProgressStep
                    || sinceProgress.elapsed() >= kProgressWaitMs)) {
                progress(lastPercent = percent);
                sinceProgress.restart();
            }
        }
        if (betweenBlocks && !betweenBlocks()) {
            problem_ = QStringLiteral("The decoding of the song was stopped; no clip was made.");
            break;
        }
    }
    converting = false;
    bool ok = problem_.isEmpty() && decLen > 0;
    if (problem_.isEmpty() && decLen == 0)
        problem_ = QStringLiteral("The file holds no sound; no clip was made.");
    if (!finish(ok) && ok) {
        ok = false;
        problem_ = QStringLiteral("The clip file %1 could not be written.").arg(outputPath);
    }
    // A length known only roughly may stop short of 100; a complete song reaches it once.
    if (ok && progress && lastPercent != 100)
        progress(100);
    decLen = 0;
    SetBytePos(decChan, 0);
    return ok ? Outcome::success() : Outcome::failure(problem_);
}

bool SongDecoder::finish(bool keep)
{
    if (!out_.isOpen())
        return false;
    // The last block is still in the file's buffer: a write that fails now
    // must not leave a clip cut short.
    keep = patchWavSizes(out_, decLen) && out_.flush() && keep;
    out_.close();
    keep = keep && out_.error() == QFileDevice::NoError;
    if (keep && replaceFile(out_.fileName(), outputPath_))
        return true;
    QFile::remove(out_.fileName());
    return false;
}

void SongDecoder::closewav() { finish(true); }

void SongDecoder::closeSong()
{
    if (const BassApi *bass = audio_.api(); bass && decChan)
        bass->BASS_StreamFree(decChan);
    decChan = 0;
}

quint32 SongDecoder::SetBytePos(quint32 channel, quint64 position)
{
    const BassApi *bass = audio_.api();
    return bass ? quint32(bass->BASS_ChannelSetPosition(channel, position)) : 0;
}

#include "core/songclip.h"

#include "audio/audiostart.h"
#include "audio/songdecoder.h"
#include "base/atomicsave.h"
#include "base/pcmwav.h"
#include "base/wavformat.h"

#include <QFile>

bool isWavSong(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(12);
    return head.size() == 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WAVE";
}

Outcome wavSongToClip(const QString &songPath, const QString &clipFile)
{
    const WavInfo song = readWavInfo(songPath);
    return song.ok && !song.cutShort ? copyFileAtomically(songPath, clipFile) : convertToPcmWav(songPath, clipFile);
}

Outcome decodeSongFile(SongDecoder &decoder, const QString &songPath, const QString &clipFile,
                       const JobProgress &progress)
{
    bool stopped = false;
    decoder.progress = [&](int percent) { stopped = !reportProgress(progress, percent / 100.0); };
    decoder.betweenBlocks = [&] { return !stopped; };
    Outcome made = decoder.loadmp3(songPath);
    if (made)
        made = decoder.convert2wav(clipFile);
    decoder.closewav();
    decoder.closeSong();
    decoder.progress = nullptr;
    decoder.betweenBlocks = nullptr;
    return made;
}

namespace {

Outcome madeOrNamed(const Outcome &made, const QString &songPath)
{
    if (made)
        return made;
    Failure named = made.failure();
    named.text = QStringLiteral("The song %1 was not made into a clip: %2").arg(songPath, named.text);
    return named;
}

} // namespace

Outcome songToClip(AudioStart &audio, const QString &songPath, const QString &clipFile, const JobProgress &progress)
{
    if (isWavSong(songPath)) {
        if (!reportProgress(progress, 0))
            return madeOrNamed(Outcome::failure(QStringLiteral("stopped.")), songPath);
        const Outcome made = wavSongToClip(songPath, clipFile);
        if (made)
            reportProgress(progress, 1);
        return madeOrNamed(made, songPath);
    }
    SongDecoder decoder(audio);
    return madeOrNamed(decodeSongFile(decoder, songPath, clipFile, progress), songPath);
}

#include "core/songimport.h"

#include "audio/audiostart.h"
#include "audio/basslib.h"
#include "core/cliplist.h"
#include "core/songclip.h"

#include <QFile>

Result<ClipImport> SongImporter::plan(const QString &songPath, bool wav) const
{
    if (!wav)
        if (Outcome started = audio_.initwav(); !started)
            return started.failure();
    const QString name = clips_.freeClipName(clipNameOf(songPath));
    return ClipImport{songPath, name, paths_.clipFile(name), wav};
}

Outcome SongImporter::make(const ClipImport &import, const JobProgress &progress) const
{
    if (!import.wav)
        return decodeSongFile(decoder_, import.songPath, import.clipFile, progress);
    // A WAV that the player, the cut and the join read as it is stays a byte
    // copy; any other layout, and a file cut short of what its header
    // claims, is converted once, here, so that every clip is usable and its
    // header true.
    const Outcome made = wavSongToClip(import.songPath, import.clipFile);
    if (!made)
        return Outcome::failure(
            QStringLiteral("The song %1 could not be added to the clip list: %2").arg(import.songPath, made.error()));
    QFile::setPermissions(import.clipFile, QFile::ReadOwner | QFile::WriteOwner);
    reportProgress(progress, 1);
    return made;
}

void SongImporter::finish(const ClipImport &import, bool made) const
{
    if (!import.wav)
        if (const BassApi *bass = audio_.api())
            bass->BASS_Free();
    if (made)
        clips_.append(ClipEntry{import.name, import.songPath, readSongTags(import.songPath)});
}

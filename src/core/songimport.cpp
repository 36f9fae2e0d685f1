#include "core/songimport.h"

#include "audio/audiostart.h"
#include "audio/basslib.h"
#include "audio/songdecoder.h"
#include "core/cliplist.h"
#include "core/songclip.h"
#include "core/workspace.h"

Result<QString> decodeSongToClip(Workspace &workspace, const QString &songPath)
{
    ClipEntries &clips = workspace.clips();
    const QString name = clips.freeClipName(clipNameOf(songPath));
    const Outcome decoded = decodeSongFile(workspace.decoder(), songPath, workspace.paths().clipFile(name));
    if (const BassApi *bass = workspace.audio().api())
        bass->BASS_Free();
    if (!decoded)
        return decoded.failure();
    clips.append(ClipEntry{name, songPath, readSongTags(songPath)});
    return name;
}

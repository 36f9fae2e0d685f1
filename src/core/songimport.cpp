#include "core/songimport.h"

#include "audio/audiostart.h"
#include "audio/basslib.h"
#include "audio/songdecoder.h"
#include "core/cliplist.h"
#include "core/workspace.h"

Result<QString> decodeSongToClip(Workspace &workspace, const QString &songPath)
{
    SongDecoder &decoder = workspace.decoder();
    ClipEntries &clips = workspace.clips();
    Result<QString> made = Result<QString>::failure(QString());
    if (Outcome opened = decoder.loadmp3(songPath); !opened) {
        made = opened.failure();
    } else {
        const QString name = clips.freeClipName(clipNameOf(songPath));
        if (Outcome decoded = decoder.convert2wav(workspace.paths().clipFile(name)); decoded) {
            clips.append(ClipEntry{name, songPath});
            made = name;
        } else {
            made = decoded.failure();
        }
    }
    decoder.closewav();
    if (const BassApi *bass = workspace.audio().api())
        bass->BASS_Free();
    return made;
}

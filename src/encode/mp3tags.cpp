#include "encode/mp3tags.h"

#include "base/atomicsave.h"
#include "encode/tagsave.h"

Outcome tagSavedMp3(const QString &path, const SongTags &song)
{
    const SongTags tags = tagsForOutput(song, path);
    return copyFileAtomically(path, path, [&tags](const QString &copy) { return saveTags(copy, RingtoneFormat::Mp3, tags); });
}

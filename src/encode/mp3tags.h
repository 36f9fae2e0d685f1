#pragma once
#include "base/result.h"
#include "encode/songtags.h"

#include <QString>

// Tags an MP3 the encoder has saved (the list export's, the converter's) as
// every saved ringtone is tagged: its title is the file's base name, artist,
// album and cover those of the song. The tags go into a synced copy beside
// the file, which then replaces it, so the file is never half-written;
// a failure names the file and the reason.
Outcome tagSavedMp3(const QString &path, const SongTags &song);

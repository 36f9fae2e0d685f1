#pragma once
#include "base/result.h"

#include <QString>

class Workspace;

// Decodes a song (MP3, or anything the audio library decodes) into a new
// clip at the end of the list, under a free clip name, and frees the audio
// library. The library must have been started for decoding (initwav). The
// clip's name, or why no clip was made.
Result<QString> decodeSongToClip(Workspace &workspace, const QString &songPath);

#pragma once
#include <QString>

class ClipList;
class Frmmain;

// Imports an MP3 (or any song the audio library decodes) as a clip, under
// the busy window. Returns the clip name, or empty when no clip was made.
QString importDecodedSong(Frmmain &form, ClipList &list, const QString &songPath);

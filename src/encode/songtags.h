#pragma once
// The tags a ringtone carries: read from the song a clip came from, written
// into every saved file (ID3v2.4 for MP3, MP4 atoms for M4R, Vorbis
// comments for Ogg Vorbis, Opus and FLAC, RIFF INFO and ID3v2 for WAV).
#include "base/result.h"
#include "encode/ringtoneformat.h"

#include <QByteArray>
#include <QString>

struct SongTags {
    QString title, artist, album;
    QByteArray coverArt; // the picture file's bytes (JPEG or PNG), empty for none
    QString coverMime;   // "image/jpeg", "image/png"

    bool operator==(const SongTags &) const = default;
};

// The title, artist, album and front cover (or first picture) of a song:
// MP3 (ID3v2, else ID3v1), WAV (ID3v2 chunk, else RIFF INFO), FLAC, Ogg
// Vorbis and Opus (Vorbis comments), M4A and MP4 (atoms), WMA (ASF
// attributes), AIFF (ID3v2). Empty fields when the song has none, or its
// format keeps none TagLib reads (Matroska, AVI), or it cannot be read.
SongTags readSongTags(const QString &songPath);

// The tags of a saved file: its title is the file's base name ("Ring.m4r"
// gives "Ring"), artist, album and cover those of the song.
SongTags tagsForOutput(const SongTags &song, const QString &outPath);

// Replaces the file's tags with these (empty fields are left out). The
// format is given, since the file may be a temporary one of another name.
// A failure names the file.
Outcome writeTags(const QString &path, RingtoneFormat format, const SongTags &tags);
// The same, the format taken from the name's extension; a name without a
// known one counts as MP3 (the list export and the converter save MP3 under
// whatever name was typed).
Outcome writeTags(const QString &path, const SongTags &tags);

#pragma once
// A song imported into the clip list, in three steps so that the long one
// can run on a worker thread: planned and finished on the list's thread,
// the clip file made on any thread.
#include "base/paths.h"
#include "base/result.h"
#include "core/jobprogress.h"

#include <QString>

class AudioStart;
class ClipEntries;
class SongDecoder;

struct ClipImport {
    QString songPath;
    QString name;     // free in the list when planned
    QString clipFile; // the working folder's NAME.wav
    bool wav = false; // copied or converted as a WAV; else decoded by the audio library
};

class SongImporter {
public:
    // The clips go into `clips` and their files into `paths`' working
    // folder; a song that is no WAV is decoded by `decoder` over `audio`.
    SongImporter(ClipEntries &clips, const AppPaths &paths, AudioStart &audio, SongDecoder &decoder)
        : clips_(clips), paths_(paths), audio_(audio), decoder_(decoder)
    {
    }

    // Chooses the clip's name, the first free one from the song's. A song
    // that is no WAV starts the audio library for decoding (its failure
    // comes back).
    Result<ClipImport> plan(const QString &songPath, bool wav) const;
    // Makes the clip file, which appears only when complete: a WAV song
    // copied or converted, any other decoded by the decoder
    // (one import at a time). A failure names the song.
    Outcome make(const ClipImport &import, const JobProgress &progress = {}) const;
    // Ends the import: the audio library is freed after a decoding, and
    // the clip, when made, goes at the end of the list with the song's tags.
    void finish(const ClipImport &import, bool made) const;

private:
    ClipEntries &clips_;
    const AppPaths &paths_;
    AudioStart &audio_;
    SongDecoder &decoder_;
};

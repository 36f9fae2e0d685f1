#pragma once
// A song imported into the clip list, in three steps so that the long one
// can run on a worker thread: planned and finished on the list's thread,
// the clip file made on any thread.
#include "base/result.h"
#include "core/jobprogress.h"

#include <QString>

class Workspace;

struct ClipImport {
    QString songPath;
    QString name;     // free in the list when planned
    QString clipFile; // the working folder's NAME.wav
    bool wav = false; // copied or converted as a WAV; else decoded by the audio library
};

class SongImporter {
public:
    explicit SongImporter(Workspace &workspace) : workspace_(workspace) {}

    // Chooses the clip's name, the first free one from the song's. A song
    // that is no WAV starts the audio library for decoding (its failure
    // comes back).
    Result<ClipImport> plan(const QString &songPath, bool wav) const;
    // Makes the clip file, which appears only when complete: a WAV song
    // copied or converted, any other decoded through the workspace's decoder
    // (one import at a time). A failure names the song.
    Outcome make(const ClipImport &import, const JobProgress &progress = {}) const;
    // Ends the import: the audio library is freed after a decoding, and
    // the clip, when made, goes at the end of the list with the song's tags.
    void finish(const ClipImport &import, bool made) const;

private:
    Workspace &workspace_;
};

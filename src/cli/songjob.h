#pragma once
// One song's work for the command line: made into a ringtone (make and each
// song of batch), or looked into (info).
#include "base/result.h"
#include "cli/options.h"
#include "core/clipfacts.h"
#include "core/jobprogress.h"
#include "encode/songtags.h"

#include <QString>
#include <QStringList>

class RunContext;

struct SongJob {
    int number = 0; // unique in the run: the job's scratch folder
    QString song;   // absolute paths
    QString out;
};

// Makes the song into the ringtone, as `options` say: decoded, its stretch
// (the chorus, or --from/--to/--length) cut with the fades, the loudness,
// then saved through the ringtone save. The output is written whole or not
// at all, and an existing one only with --force. Notes for the user (an
// M4R cut to 40 s) go into *notes.
Outcome makeRingtone(RunContext &run, const SongJob &job, const CommandLine &options, const JobProgress &progress,
                     QStringList *notes);

struct SongInfo {
    QString song;
    SongTags tags;
    ClipFacts facts;
};
Result<SongInfo> inspectSong(RunContext &run, const SongJob &job);

// The song's clip in the job's scratch folder: decoded, or copied from a WAV.
Result<QString> songClip(RunContext &run, const SongJob &job, const JobProgress &progress);

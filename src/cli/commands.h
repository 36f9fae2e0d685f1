#pragma once
// The three commands; each returns the program's exit status: 0 when all
// went well, 1 when a song failed (named on standard error with the reason).
#include "cli/options.h"

class RunContext;

int runInfo(RunContext &run, const CommandLine &options);
int runMake(RunContext &run, const CommandLine &options);
int runBatch(RunContext &run, const CommandLine &options);

// The songs a batch works on: the files named, then the song files of each
// folder named (by the import's extensions, in name order, not in
// subfolders). Paths
// named that are neither go into *missing.
QStringList batchSongs(const QStringList &named, QStringList *missing);

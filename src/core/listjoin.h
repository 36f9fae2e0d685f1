#pragma once
#include "base/paths.h"
#include "base/result.h"

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>

// Joins WAV clip files, in the order given, into one WAV file rebuilt from
// scratch: one 44-byte header whose size fields cover the whole result, then
// the audio of every clip. A clip is named in messages by its file's name
// without ".wav".
//
// The result takes the first clip's format; other clips are converted to it
// (sample width, channels, sample rate). When the first clip is not integer
// PCM the result is 16-bit PCM at its rate and channel count. Only the
// samples of each clip's data chunk are joined, never its other chunks. When
// the first clip has the 44-byte layout and needs no conversion, its header
// bytes are kept as they are and only the two size fields change; otherwise
// the header is a new one.
//
// Every clip is checked, and the size of the result (which must fit the
// signed 32-bit size fields) worked out, before anything is written: an empty
// list, a missing clip file, one that is not WAV audio, one whose sample rate
// is more than 256 times above or below the first's, or a result over 2 GiB
// leaves the target as it was. The join goes into a new file, never through
// the old one (which may be a second name of a saved list). A write that
// fails later removes the target.
// The audio bytes written into the target, or what went wrong, naming the
// clip or the file. `clipJoined`, when given, is told after each clip how
// many are joined; false stops the join (the target is removed).
Result<qint64> joinWavFiles(const QStringList &clipFiles, const QString &target,
                            const std::function<bool(int joined)> &clipJoined = {});

// The listed clips joined into concat.wav of the working folder.
Result<qint64> joinClipList(const QStringList &clipNames, const AppPaths &paths);

// The same join written straight into `target` through an AtomicOutput:
// `target` keeps its old content (or stays absent) until the joined file is
// complete and synced; concat.wav is not needed for it. Once saved, the file
// is given the second name concat.wav in the working folder (a copy where no
// link can be made); a failure there does not fail the save.
Result<qint64> saveJoinedClipList(const QStringList &clipNames, const AppPaths &paths, const QString &target);

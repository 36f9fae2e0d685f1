#pragma once
// What can be learnt of a clip file: its layout, its loudness, its tempo
// and its chorus candidates, each found by the same analysis the trimming
// view runs.
#include "analysis/chorus.h"
#include "analysis/pcmsource.h"
#include "base/result.h"
#include "core/jobprogress.h"
#include "edits/loudness.h"

#include <QString>
#include <optional>
#include <vector>

// The clip file's samples, pulled in blocks from the file as the analysis
// reads them; a source that reads nothing when the file is not usable.
PcmSource clipSource(const QString &clipFile);

struct ClipFacts {
    qint64 lengthMs = 0;
    quint32 rate = 0;
    int channels = 0;
    Result<LoudnessMeasurement> loudness = Failure(QStringLiteral("not measured")); // or why there is no figure
    std::optional<double> tempoBpm;       // none: no steady beat was found
    std::vector<ChorusCandidate> chorus;  // best first
    QString chorusError;                  // why there are no candidates
};

// The tempo of evenly spaced beats (seconds, in order): 60 over the median
// gap. None for fewer than four beats.
std::optional<double> tempoOfBeats(const std::vector<double> &beats);

// Measures everything above. Fails only when the clip cannot be read, or
// when `progress` asks to stop.
Result<ClipFacts> measureClip(const QString &clipFile, const JobProgress &progress = {});

// The best chorus candidate of the clip, or why there is none.
Result<ChorusCandidate> findClipChorus(const QString &clipFile);

#pragma once
// The edits that make a ringtone of a clip, in one call and as the trimming
// view does them: the cut to a stretch with its fades, then the loudness.
#include "base/result.h"
#include "core/fadesettings.h"
#include "core/jobprogress.h"

#include <QString>
#include <optional>

struct ClipEdits {
    qint64 fromMs = 0;           // the kept stretch starts here
    std::optional<qint64> toMs;  // and ends here; unset, or past the end: the clip's end
    FadeLengths fades;           // each one of the lengths edits/fades.h offers
    bool normalize = false;      // to the ringtone loudness (edits/loudness.h)
};

// The clip file's length in milliseconds, rounded up to the next whole one.
Result<qint64> clipLengthMs(const QString &clipFile);

// Makes the edits on the clip file, whose folder takes the cut's file while
// it is written. Each step replaces the clip in one piece; on a failure the
// clip holds the steps done before it, and the failure names the clip and
// the step. Clips of their own may be edited on several threads at once.
Outcome editClip(const QString &clipFile, const ClipEdits &edits, const JobProgress &progress = {});

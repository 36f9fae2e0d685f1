#pragma once
// Where a clip's sound starts and ends: its silent lead-in and tail are the
// frames before the first and after the last frame that is louder than a
// level on any channel.
#include "base/result.h"
#include "edits/clipframes.h"

#include <QString>

// The level below which a ringtone's lead-in and tail count as silence.
constexpr double kSilenceDbfs = -50.0;

// The frames from the first to the last one with a sample louder than
// `dbfs` (relative to full scale) on any channel. Only the lead-in and the
// tail are read. A clip with no such frame, or one that cannot be read, is
// a failure saying so.
Result<FrameRange> audibleFrames(const QString &clipFile, double dbfs = kSilenceDbfs);

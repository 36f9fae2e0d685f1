#pragma once
#include "analysis/monoaudio.h"
#include "analysis/pcmsource.h"

#include <QString>
#include <atomic>
#include <vector>

// Tracks the beats of the source with aubio's tempo tracker: the beats in
// seconds from its start, in order. Safe to call from any thread. Fails when
// the source is unusable or cannot be read, and (analysisStopped()) once
// *cancel turns true.
Result<std::vector<double>> findBeats(const PcmSource &source, const std::atomic<bool> *cancel = nullptr);

// The same on audio already mixed down and resampled; empty when cancelled.
std::vector<double> beatsOf(const MonoAudio &audio, const std::atomic<bool> *cancel);

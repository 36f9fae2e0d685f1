#pragma once
#include "analysis/monoaudio.h"
#include "analysis/pcmsource.h"

#include <QString>
#include <atomic>
#include <vector>

// The beats of a clip, in seconds from its start, in order.
struct BeatResult {
    std::vector<double> beats;
    QString error;          // the source was unusable or could not be read
    bool cancelled = false;
};

// Tracks the beats of the source with aubio's tempo tracker. Safe to call
// from any thread; returns early (cancelled) once *cancel turns true.
BeatResult findBeats(const PcmSource &source, const std::atomic<bool> *cancel = nullptr);

// The same on audio already mixed down and resampled; empty when cancelled.
std::vector<double> beatsOf(const MonoAudio &audio, const std::atomic<bool> *cancel);

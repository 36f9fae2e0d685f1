#pragma once
#include "analysis/pcmsource.h"
#include "base/result.h"

#include <QString>
#include <atomic>
#include <vector>

// A stretch of a song proposed as its ringtone, in seconds from the start.
struct ChorusCandidate {
    double startSec = 0;
    double endSec = 0;
    double score = 0; // higher is better; comparable within one song only
};

// Best first; each one another section of the song, neither overlapping an
// earlier candidate nor a repetition of one.
using ChorusCandidates = std::vector<ChorusCandidate>;

// Finds the most repeated section of a song (its chorus) and the next best
// other sections. Each stretch starts on its section's first downbeat and
// lasts to the end of its last bar, run on to the next phrase boundary
// when shorter than 10 seconds, ended at one when longer than 40. Only the first 15
// minutes of a longer clip are searched. Takes about half a second of two
// cores for a song of four minutes: call it off the user-interface thread.
// At least one candidate; else it fails, with noRepetition() when nothing
// comes back, with why the source is unusable, or (analysisStopped()) once
// *cancel turns true.
Result<ChorusCandidates> findChorus(const PcmSource &source, const std::atomic<bool> *cancel = nullptr);

// "No repeated section was found in this clip."
Failure noRepetition();

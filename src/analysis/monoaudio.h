#pragma once
#include "analysis/pcmsource.h"

#include <QString>
#include <atomic>
#include <new>
#include <vector>

// A source mixed down to one channel and resampled for the analysis.
struct MonoAudio {
    std::vector<float> samples;
    int rate = 0;
    QString error;          // the source was unusable or could not be read
    bool cancelled = false;

    double seconds() const { return rate > 0 ? double(samples.size()) / rate : 0.0; }
};

// The rate every analysis works at: enough for pitch classes and onsets,
// a quarter of the samples of a CD-rate stereo song.
constexpr int analysisRate = 22050;

// Pulls the source, averages its channels and resamples the result to
// `rate` with libsoxr, block by block: all of it, or its first `maxSeconds`
// when that is above 0. Stops early when *cancel turns true.
MonoAudio readMono(const PcmSource &source, int rate, const std::atomic<bool> *cancel, double maxSeconds = 0);

bool isCancelled(const std::atomic<bool> *cancel);

// Hands an unusable source or a cancel on to an analysis's result (which
// has `error` and `cancelled`); true when there is nothing to analyse.
template <typename Result> bool passOnFailure(const MonoAudio &audio, Result &result)
{
    result.error = audio.error;
    result.cancelled = audio.cancelled;
    return !result.error.isEmpty() || result.cancelled;
}

// Runs an analysis; a clip too long for the memory there is gets a message
// instead of ending the program.
template <typename Result, typename Analysis> Result withinMemory(Analysis analysis)
{
    try {
        return analysis();
    } catch (const std::bad_alloc &) {
        Result result;
        result.error = QStringLiteral("The clip is too long to be analysed.");
        return result;
    }
}

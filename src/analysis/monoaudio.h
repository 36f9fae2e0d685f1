#pragma once
#include "analysis/pcmsource.h"
#include "base/result.h"

#include <QString>
#include <atomic>
#include <new>
#include <vector>

// A source mixed down to one channel and resampled for the analysis.
struct MonoAudio {
    std::vector<float> samples;
    int rate = 0;

    double seconds() const { return rate > 0 ? double(samples.size()) / rate : 0.0; }
};

// The rate every analysis works at: enough for pitch classes and onsets,
// a quarter of the samples of a CD-rate stereo song.
constexpr int analysisRate = 22050;

// Pulls the source, averages its channels and resamples the result to
// `rate` with libsoxr, block by block: all of it, or its first `maxSeconds`
// when that is above 0. Fails when the source is unusable or cannot be
// read, and (analysisStopped()) once *cancel turns true.
Result<MonoAudio> readMono(const PcmSource &source, int rate, const std::atomic<bool> *cancel, double maxSeconds = 0);

bool isCancelled(const std::atomic<bool> *cancel);
// The failure of an analysis whose cancel flag turned true.
Failure analysisStopped();

// Runs an analysis; a clip too long for the memory there is gets a message
// instead of ending the program.
template <typename T, typename Analysis> Result<T> withinMemory(Analysis analysis)
{
    try {
        return analysis();
    } catch (const std::bad_alloc &) {
        return Result<T>::failure(QStringLiteral("The clip is too long to be analysed."));
    }
}

#pragma once
// What every job of one run of the command line shares: the program's
// folder (where the audio library is), a private scratch folder of the
// run's own (never the window's working folder, so both can run at once),
// the audio library once started, and the flag that a signal raised.
#include "base/paths.h"
#include "base/result.h"

#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <memory>
#include <mutex>

class AudioStart;

class RunContext {
public:
    explicit RunContext(const QString &appDir);
    ~RunContext(); // frees the audio library; the scratch folder goes

    // Empty when the scratch folder exists, else why not.
    QString error() const;
    // A folder of the job's own in the scratch folder, made on the call.
    AppPaths jobPaths(int job) const;
    // Removes the job's folder and all in it.
    void dropJob(int job) const;
    // The audio library, started for decoding at the first call (by any
    // thread); a failure says why it cannot be.
    Outcome startAudio();
    AudioStart &audio() const { return *audio_; }
    // The words for a failure, with the audio library's own for its code.
    QString describe(const Failure &failure) const;

    // Set by SIGINT or SIGTERM once installStopSignals() ran.
    static std::atomic<bool> &stopRequested();
    static void installStopSignals();

private:
    QTemporaryDir scratch_;
    AppPaths paths_;
    std::unique_ptr<AudioStart> audio_;
    std::once_flag started_;
    Outcome startOutcome_;
};

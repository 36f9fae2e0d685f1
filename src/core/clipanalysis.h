#pragma once
#include "analysis/chorus.h"

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class TrimSession;

// The music analysis of the clip open for trimming, on worker threads: its
// beats are found as soon as it opens (and again after each edit of it), its
// chorus when asked. Work for a clip that is no longer open is cancelled and
// its result dropped.
class ClipAnalysis : public QObject {
    Q_OBJECT
public:
    explicit ClipAnalysis(TrimSession &trim, QObject *parent = nullptr);
    ~ClipAnalysis() override;

    // The clip file the results below are of (empty: none open).
    QString clipFile() const { return file_; }
    // The open clip's beats in ms; empty until found (or when it has none).
    const std::vector<int> &beats() const { return beats_; }
    bool beatsKnown() const { return beatsKnown_; }
    // `ms` moved to the nearest beat when one lies within half a beat of it.
    int snapped(int ms) const { return snapToBeat(beats_, ms); }

    // Starts looking for the open clip's chorus; false (and nothing starts)
    // while it runs already or when no clip is open.
    bool findChorus();
    bool chorusRunning() const { return chorusJob_ != nullptr; }
    // The open clip's chorus candidates, best first, once found.
    const std::vector<ChorusCandidate> &chorus() const { return chorus_; }
    // The candidate taken last (-1: none yet), and the one after it, round
    // the list (null when there are none).
    int currentChorus() const { return currentChorus_; }
    const ChorusCandidate *nextChorus();

    // The nearest beat of `beats` (in order) within half a beat of `ms`, or
    // `ms` itself; half a beat is half the gap from that beat to its neighbour.
    static int snapToBeat(const std::vector<int> &beats, int ms);

signals:
    void beatsFound();
    void chorusFound();
    // A search for the chorus started, or ended (done or cancelled).
    void chorusRunningChanged(bool running);
    // No chorus: the words say why ("No repeated section was found in this clip.").
    void chorusFailed(const QString &why);

private:
    struct Job;
    // Runs `analyse` on the open clip's file on a worker thread, then `done`
    // with its result here, unless the job is cancelled first.
    template <class Found>
    void start(std::unique_ptr<Job> &job, Found (*analyse)(const PcmSource &, const std::atomic<bool> *),
               std::function<void(const Found &)> done);
    void follow(const QString &file);
    void startBeats();
    void cancel(std::unique_ptr<Job> &job);

    TrimSession &trim_;
    // Threads of its own, so that a long analysis never holds up the shared
    // pool's work (the waveform's peaks); it waits for cancelled work to end.
    QThreadPool pool_;
    QString file_;
    std::vector<int> beats_;
    bool beatsKnown_ = false;
    std::vector<ChorusCandidate> chorus_;
    int currentChorus_ = -1;
    std::unique_ptr<Job> beatsJob_, chorusJob_;
};

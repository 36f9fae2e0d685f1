#include "core/clipanalysis.h"

#include "analysis/beats.h"
#include "core/clipfacts.h"
#include "base/wavformat.h"
#include "core/trimsession.h"

#include <QFile>
#include <QSignalBlocker>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>

// One piece of work on a worker thread, with the flag that stops it. Its
// watcher deletes itself once the work is done; cancel() deletes it before.
struct ClipAnalysis::Job {
    std::shared_ptr<std::atomic<bool>> cancelled = std::make_shared<std::atomic<bool>>(false);
    QFutureWatcherBase *watcher = nullptr;
};

ClipAnalysis::ClipAnalysis(TrimSession &trim, QObject *parent) : QObject(parent), trim_(trim)
{
    pool_.setMaxThreadCount(2); // the beats and a search for the chorus side by side
    connect(&trim_, &TrimSession::opened, this, [this] { follow(trim_.clipFile()); });
    connect(&trim_, &TrimSession::ended, this, [this] { follow(QString()); });
    connect(&trim_, &TrimSession::clipEdited, this, [this](const QString &file) {
        if (file == file_)
            follow(file);
    });
}

ClipAnalysis::~ClipAnalysis()
{
    const QSignalBlocker quiet(this);
    cancel(beatsJob_);
    cancel(chorusJob_);
}

void ClipAnalysis::cancel(std::unique_ptr<Job> &job)
{
    if (!job)
        return;
    // The worker ends soon after; its watcher goes now, and its result with it.
    job->cancelled->store(true);
    delete job->watcher;
    job.reset();
    if (&job == &chorusJob_)
        emit chorusRunningChanged(false);
}

void ClipAnalysis::follow(const QString &file)
{
    cancel(beatsJob_);
    cancel(chorusJob_);
    file_ = file;
    beats_.clear();
    beatsKnown_ = false;
    chorus_.clear();
    currentChorus_ = -1;
    if (!file_.isEmpty())
        startBeats();
}

template <class Found>
void ClipAnalysis::start(std::unique_ptr<Job> &job, Found (*analyse)(const PcmSource &, const std::atomic<bool> *),
                         std::function<void(const Found &)> done)
{
    job = std::make_unique<Job>();
    auto *watcher = new QFutureWatcher<Found>(this);
    job->watcher = watcher;
    connect(watcher, &QFutureWatcher<Found>::finished, this, [&job, watcher, done] {
        const Found result = watcher->result();
        watcher->deleteLater();
        job.reset();
        done(result);
    });
    watcher->setFuture(QtConcurrent::run(&pool_, [file = file_, cancelled = job->cancelled, analyse] {
        return analyse(clipSource(file), cancelled.get());
    }));
}

void ClipAnalysis::startBeats()
{
    start<Result<std::vector<double>>>(beatsJob_, &::findBeats, [this](const Result<std::vector<double>> &found) {
        beats_.clear();
        for (double t : found ? found.value() : std::vector<double>())
            beats_.push_back(int(std::lround(t * 1000)));
        beatsKnown_ = true;
        emit beatsFound();
    });
}

bool ClipAnalysis::findChorus()
{
    if (chorusJob_ || file_.isEmpty())
        return false;
    start<Result<ChorusCandidates>>(chorusJob_, &::findChorus, [this](const Result<ChorusCandidates> &found) {
        emit chorusRunningChanged(false);
        chorus_ = found ? found.value() : ChorusCandidates();
        currentChorus_ = -1;
        if (!found)
            emit chorusFailed(found.error());
        else
            emit chorusFound();
    });
    emit chorusRunningChanged(true);
    return true;
}

const ChorusCandidate *ClipAnalysis::nextChorus()
{
    if (chorus_.empty())
        return nullptr;
    currentChorus_ = (currentChorus_ + 1) % int(chorus_.size());
    return &chorus_[size_t(currentChorus_)];
}

int ClipAnalysis::snapToBeat(const std::vector<int> &beats, int ms)
{
    if (beats.size() < 2)
        return ms;
    auto after = std::lower_bound(beats.begin(), beats.end(), ms);
    if (after == beats.end() || (after != beats.begin() && ms - *(after - 1) < *after - ms))
        --after;
    const int beat = *after;
    const int neighbour = after + 1 != beats.end() ? *(after + 1) : *(after - 1);
    return 2 * std::abs(ms - beat) <= std::abs(neighbour - beat) ? beat : ms;
}

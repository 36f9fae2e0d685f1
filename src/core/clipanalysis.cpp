#include "core/clipanalysis.h"

#include "analysis/beats.h"
#include "base/wavformat.h"
#include "core/trimsession.h"

#include <QFile>
#include <QSignalBlocker>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>

namespace {

// The clip file's samples, pulled in blocks from the file as the analysis
// reads them; a source that reads nothing when the file is not usable.
PcmSource clipSource(const QString &clipFile)
{
    auto file = std::make_shared<QFile>(clipFile);
    PcmSource source;
    if (!file->open(QIODevice::ReadOnly))
        return source;
    const WavInfo info = readWavInfo(*file);
    if (!info.ok || info.sampleFormat() == SampleFormat::Invalid)
        return source;
    source.channels = info.channels;
    source.rate = int(info.sampleRate);
    source.frames = info.frames();
    auto next = std::make_shared<qint64>(0);
    source.read = [file, info, next](float *frames, int64_t maxFrames) -> int64_t {
        const qint64 wanted = std::min<qint64>(maxFrames, info.frames() - *next);
        if (wanted <= 0)
            return 0;
        const QByteArray raw = readWavData(*file, info, *next * info.blockAlign, wanted * info.blockAlign);
        const qint64 got = raw.size() / info.blockAlign;
        if (got <= 0)
            return -1;
        samplesToFloat(raw.constData(), info.sampleFormat(), got * info.channels, frames);
        *next += got;
        return got;
    };
    return source;
}

} // namespace

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

template <class Result>
void ClipAnalysis::start(std::unique_ptr<Job> &job, Result (*analyse)(const PcmSource &, const std::atomic<bool> *),
                         std::function<void(const Result &)> done)
{
    job = std::make_unique<Job>();
    auto *watcher = new QFutureWatcher<Result>(this);
    job->watcher = watcher;
    connect(watcher, &QFutureWatcher<Result>::finished, this, [&job, watcher, done] {
        const Result result = watcher->result();
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
    start<BeatResult>(beatsJob_, &::findBeats, [this](const BeatResult &found) {
        beats_.clear();
        for (double t : found.beats)
            beats_.push_back(int(std::lround(t * 1000)));
        beatsKnown_ = true;
        emit beatsFound();
    });
}

bool ClipAnalysis::findChorus()
{
    if (chorusJob_ || file_.isEmpty())
        return false;
    start<ChorusResult>(chorusJob_, &::findChorus, [this](const ChorusResult &found) {
        emit chorusRunningChanged(false);
        chorus_ = found.candidates;
        currentChorus_ = -1;
        if (chorus_.empty())
            emit chorusFailed(found.error.isEmpty() ? QStringLiteral("No repeated section was found in this clip.")
                                                    : found.error);
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

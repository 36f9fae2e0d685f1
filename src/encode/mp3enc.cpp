#include "encode/mp3enc.h"

#include "encode/encodejob.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

struct Mp3Job {
    quint64 id = 0;
    QString in, out;
    int kbps = Mp3Enc::InitialBitRate;
    qint16 startError = 0; // set when the start call refused it
    QString startReason;
};

// How one job ended: 0 or a negative Mp3Enc code, and the reason.
struct Mp3JobEnd {
    qint16 code = 0;
    QString error; // names the file; empty on success
};

// One thread working through the jobs in order; its destruction cancels the
// running job (whose temporary file goes) and drops the waiting ones.
class Mp3EncWorker {
public:
    using Done = std::function<void(const Mp3Job &, const Mp3JobEnd &)>;
    using Progress = std::function<void(int percent)>;
    Mp3EncWorker(Done done, Progress progress)
        : done_(std::move(done)), progress_(std::move(progress)), thread_([this] { run(); })
    {
    }
    ~Mp3EncWorker()
    {
        {
            std::lock_guard<std::mutex> lock(m_);
            stop_ = true;
            jobs_.clear();
        }
        cv_.notify_all();
        thread_.join();
    }
    void push(Mp3Job job)
    {
        {
            std::lock_guard<std::mutex> lock(m_);
            jobs_.push_back(std::move(job));
        }
        cv_.notify_one();
    }

private:
    void run()
    {
        while (true) {
            Mp3Job job;
            {
                std::unique_lock<std::mutex> lock(m_);
                cv_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
                if (stop_)
                    return;
                job = std::move(jobs_.front());
                jobs_.pop_front();
            }
            const Mp3JobEnd end = encode(job);
            if (stop_)
                return;
            done_(job, end);
        }
    }

    Mp3JobEnd encode(const Mp3Job &job)
    {
        if (job.startError)
            return {job.startError, job.startReason};
        int lastPercent = -1;
        const Outcome ended = encodeWavToMp3(job.in, job.out, job.kbps, [&](double fraction) {
            // 100 is told once, by the component, when the job has ended well.
            const int percent = std::clamp(int(fraction * 100), 0, 99);
            if (percent != lastPercent)
                progress_(lastPercent = percent);
            return !stop_.load(std::memory_order_relaxed);
        });
        if (ended)
            return {};
        return {stop_ ? qint16(Mp3Enc::ErrCancelled) : qint16(Mp3Enc::ErrFailed), ended.error()};
    }

    Done done_;
    Progress progress_;
    std::mutex m_;
    std::condition_variable cv_;
    std::deque<Mp3Job> jobs_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

Mp3Enc::Mp3Enc(QObject *parent) : QObject(parent) {}

Mp3Enc::~Mp3Enc()
{
    // Cancels the running job (its temporary file goes) and drops waiting
    // ones; their Finished() would have no receiver.
    worker_.reset();
}

void Mp3Enc::setBitRate(const QVariant &value) { bitRate_ = value; }

int Mp3Enc::effectiveBitRate() const
{
    if (!bitRate_.isValid() || bitRate_.isNull())
        return InitialBitRate;
    bool ok = false;
    const double v = bitRate_.toString().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < 1)
        return InitialBitRate;
    return int(std::lround(std::min(v, 320.0)));
}

qint16 Mp3Enc::StartEncoding(const QString &inWav, const QString &outMp3)
{
    Mp3Job job;
    job.id = ++nextId_;
    job.in = inWav;
    job.out = outMp3;
    job.kbps = effectiveBitRate();
    if (inWav.trimmed().isEmpty()) {
        job.startError = ErrNoInput;
        job.startReason = QStringLiteral("Cannot encode: no input WAV file was given");
    } else if (outMp3.trimmed().isEmpty()) {
        job.startError = ErrNoOutput;
        job.startReason = QStringLiteral("Cannot encode \"%1\": no output MP3 file was given").arg(inWav);
    }
    lastStarted_ = job.id;
    status_ = job.startError ? job.startError : qint16(StatusBusy);
    const qint16 result = job.startError;

    if (!worker_) {
        // Both callbacks run on the worker thread and hand over to ours.
        worker_ = std::make_unique<Mp3EncWorker>(
            [this](const Mp3Job &j, const Mp3JobEnd &end) {
                QMetaObject::invokeMethod(this, [this, id = j.id, end] { jobDone(id, end); }, Qt::QueuedConnection);
            },
            [this](int percent) {
                QMetaObject::invokeMethod(this, [this, percent] { emit Progress(percent); }, Qt::QueuedConnection);
            });
    }
    // Refused starts go through the queue too, so that every Finished()
    // comes in the order of the starts and lastError() fits it.
    worker_->push(std::move(job));
    return result;
}

void Mp3Enc::jobDone(quint64 id, const Mp3JobEnd &end)
{
    lastError_ = end.error;
    if (id == lastStarted_)
        status_ = end.code;
    if (end.code == 0)
        emit Progress(100);
    emit Finished();
}

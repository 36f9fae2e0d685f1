#include "widgets/jobrunner.h"

#include "widgets/busyscope.h"

#include <QPointer>
#include <algorithm>
#include <atomic>
#include <cmath>

JobRunner::JobRunner(BusyWindow &busy, QObject *parent)
    : QObject(parent), busy_(busy), stopping_(std::make_shared<std::atomic<bool>>(false))
{
}

JobRunner::~JobRunner()
{
    stop();
    if (worker_.joinable())
        worker_.join();
}

bool JobRunner::run(const QString &caption, Work work, Done done)
{
    if (running_)
        return false;
    if (worker_.joinable())
        worker_.join(); // the last job's thread, already past its work
    running_ = true;
    stopping_->store(false);
    done_ = std::move(done);
    busy_.begin(caption);
    QPointer<JobRunner> self(this);
    const auto stopping = stopping_;
    const Progress progress = [self, stopping](double fraction) {
        const int percent = int(std::lround(std::clamp(fraction, 0.0, 1.0) * 100));
        QMetaObject::invokeMethod(self, [self, percent] {
            if (self && self->running_)
                self->busy_.progress(percent);
        }, Qt::QueuedConnection);
        return !stopping->load();
    };
    worker_ = std::thread([self, work = std::move(work), progress] {
        const Outcome outcome = work(progress);
        QMetaObject::invokeMethod(self, [self, outcome] {
            if (self)
                self->finish(outcome);
        }, Qt::QueuedConnection);
    });
    return true;
}

void JobRunner::finish(const Outcome &outcome)
{
    busy_.end();
    running_ = false;
    const Done done = std::move(done_);
    done_ = nullptr;
    if (done)
        done(outcome);
}

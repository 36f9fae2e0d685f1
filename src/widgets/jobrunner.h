#pragma once
// The one way long work runs: on a worker thread of its own, with the busy
// window as its view (shown, its bar following the work's progress, the
// main window disabled) and its end told on the user-interface thread.
#include "base/result.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class BusyWindow;

class JobRunner : public QObject {
    Q_OBJECT
public:
    // Told the fraction done (0..1) now and then, on the worker thread;
    // false asks the work to stop where it can (once stop() was called).
    using Progress = std::function<bool(double fraction)>;
    using Work = std::function<Outcome(const Progress &progress)>;
    using Done = std::function<void(const Outcome &outcome)>;

    explicit JobRunner(BusyWindow &busy, QObject *parent = nullptr);
    ~JobRunner() override; // asks a running job to stop and waits for it

    // Starts `work` unless a job runs already (then false, and nothing
    // happens). The busy window shows `caption` until the work has ended;
    // `done` is then called here with its outcome.
    bool run(const QString &caption, Work work, Done done);
    bool running() const { return running_; }
    // Asks the running job to stop: its progress calls return false.
    void stop() { stopping_->store(true); }

private:
    void finish(const Outcome &outcome);

    BusyWindow &busy_;
    bool running_ = false;
    std::shared_ptr<std::atomic<bool>> stopping_;
    Done done_;
    std::thread worker_;
};

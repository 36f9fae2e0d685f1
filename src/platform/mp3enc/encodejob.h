#pragma once
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace mp3enc {

struct Result {
    qint16 code = 0;  // 0 or a negative Mp3Enc::Err code
    QString error;    // names the file; empty on success
};

struct Job {
    quint64 id = 0;
    QString in, out;
    int kbps = 128;
    qint16 startError = 0; // set when the start call refused it
    QString startReason;
};

// The MP3 sample rate LAME writes for this input rate and bit rate: the
// input's own rate when the bit rate exists there, else the nearest one
// that has it (same rate family first).
int outputRate(int inRate, int kbps, int channels);

// Encodes one job; progress(percent 0..99) as it goes; stops early (and
// removes its temporary file) when cancel turns true.
Result encode(const Job &job, const std::atomic<bool> &cancel, const std::function<void(int)> &progress);

// One thread working through the jobs in order.
class Worker {
public:
    using Done = std::function<void(const Job &, const Result &)>;
    using Progress = std::function<void(const Job &, int)>;
    Worker(Done done, Progress progress);
    ~Worker(); // cancels the running job, drops waiting ones, joins
    void push(Job job);

private:
    void run();
    Done done_;
    Progress progress_;
    std::mutex m_;
    std::condition_variable cv_;
    std::deque<Job> jobs_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace mp3enc

#pragma once
// One connection to the sound server (libpulse) on a threaded main loop of
// its own. Every wait is bounded, so no call of the library blocks for more
// than a few seconds when the server does not answer.
#include <pulse/pulseaudio.h>

#include <functional>
#include <memory>

namespace orvane {

constexpr int kConnectTimeoutMs = 3000;   // for the server to accept us
constexpr int kOperationTimeoutMs = 3000; // for one request to be answered

class PulseConnection {
public:
    // Connects to the server the environment names (PULSE_SERVER, else the
    // default); null when none answers within timeoutMs. Never spawns one.
    static std::shared_ptr<PulseConnection> open(const char *clientName, int timeoutMs = kConnectTimeoutMs);
    ~PulseConnection(); // not on the main loop's own thread
    PulseConnection(const PulseConnection &) = delete;
    PulseConnection &operator=(const PulseConnection &) = delete;

    void lock() { pa_threaded_mainloop_lock(loop_); }
    void unlock() { pa_threaded_mainloop_unlock(loop_); }
    // Wakes whoever waits in waitUntil (from a callback of the main loop).
    void signal() { pa_threaded_mainloop_signal(loop_, 0); }

    // The rest: with the lock held, never on the main loop's thread.
    pa_context *context() const { return context_; }
    bool ready() const;
    // Waits until `done` is true, the connection breaks or timeoutMs pass;
    // the result of `done` at the end. Callbacks that change what `done`
    // reads must call signal().
    bool waitUntil(const std::function<bool()> &done, int timeoutMs = kOperationTimeoutMs);
    // Waits for a request to be answered and releases it; false when it was
    // not answered in time (it is then cancelled, and its callback never runs).
    bool finish(pa_operation *op, int timeoutMs = kOperationTimeoutMs);

private:
    PulseConnection() = default;
    static void stateChanged(pa_context *, void *self);

    pa_threaded_mainloop *loop_ = nullptr;
    pa_context *context_ = nullptr;
};

// Holds a connection's main-loop lock for a scope.
class PulseLock {
public:
    explicit PulseLock(PulseConnection &c) : c_(c) { c_.lock(); }
    ~PulseLock() { c_.unlock(); }
    PulseLock(const PulseLock &) = delete;
    PulseLock &operator=(const PulseLock &) = delete;

private:
    PulseConnection &c_;
};

} // namespace orvane

#pragma once
// A connection to the sound server (libpulse): a threaded main loop of its
// own with one context on it. Every wait is bounded, so no call blocks for
// more than a few seconds when the server does not answer.
#include <pulse/pulseaudio.h>

#include <functional>
#include <memory>
#include <string>

namespace pulse {

constexpr int kConnectTimeoutMs = 3000;   // for the server to accept us
constexpr int kOperationTimeoutMs = 3000; // for one request to be answered

class Connection {
public:
    // Starts the main loop's thread and begins connecting to the server the
    // environment names (PULSE_SERVER, else the default); never spawns one.
    // Null when not even the main loop could start.
    static std::unique_ptr<Connection> start(const char *clientName, const char *threadName);
    // The same, waiting for the connection: null when the server did not
    // accept it within timeoutMs.
    static std::unique_ptr<Connection> open(const char *clientName, const char *threadName,
                                            int timeoutMs = kConnectTimeoutMs);
    ~Connection(); // not on the main loop's own thread
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    void lock() { pa_threaded_mainloop_lock(loop_); }
    void unlock() { pa_threaded_mainloop_unlock(loop_); }
    // Wakes whoever waits in waitUntil (from a callback of the main loop).
    void signal() { pa_threaded_mainloop_signal(loop_, 0); }

    // The rest: with the lock held, never on the main loop's thread.
    pa_context *context() const { return context_; }
    bool ready() const;
    // Neither ready nor given up: the server has not answered yet.
    bool connecting() const;
    // Drops the context and begins connecting anew.
    void reconnect();
    // Waits until `done` is true, the connection breaks or timeoutMs pass;
    // the result of `done` at the end. Callbacks that change what `done`
    // reads must call signal().
    bool waitUntil(const std::function<bool()> &done, int timeoutMs = kOperationTimeoutMs);
    // Waits for a request to be answered and releases it; false when it was
    // not answered in time (it is then cancelled, and its callback never runs).
    bool finish(pa_operation *op, int timeoutMs = kOperationTimeoutMs);

private:
    explicit Connection(const char *clientName) : clientName_(clientName) {}
    void connect();
    void disconnect();
    static void stateChanged(pa_context *, void *self);

    std::string clientName_;
    pa_threaded_mainloop *loop_ = nullptr;
    pa_context *context_ = nullptr;
};

// Holds a connection's main-loop lock for a scope.
class Lock {
public:
    explicit Lock(Connection &c) : c_(c) { c_.lock(); }
    ~Lock() { c_.unlock(); }
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;

private:
    Connection &c_;
};

} // namespace pulse

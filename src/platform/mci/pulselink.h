#pragma once
// Internal to platform/mci: the one connection to the sound server that every
// MMControl shares, on a pa_threaded_mainloop thread.
#include <pulse/pulseaudio.h>

namespace mci {

class PulseLink {
public:
    // The process-wide link (made on first use, never destroyed); null when
    // not even the main loop could be started.
    static PulseLink *instance();

    void lock() { pa_threaded_mainloop_lock(loop_); }
    void unlock() { pa_threaded_mainloop_unlock(loop_); }

    // Call with the lock held.  The context when it is connected; otherwise
    // null, and a connection is started when none is under way (at most one
    // new attempt every 500 ms after a failure).  Never waits.
    pa_context *readyContext();

private:
    PulseLink() = default;
    bool start();
    void connect();
    static void contextState(pa_context *c, void *self);

    pa_threaded_mainloop *loop_ = nullptr;
    pa_context *context_ = nullptr;
    long long lastAttemptMs_ = -1000000;
};

// RAII lock of the link's main loop (does nothing when the link is null).
class PulseLocker {
public:
    explicit PulseLocker(PulseLink *link) : link_(link) { if (link_) link_->lock(); }
    ~PulseLocker() { if (link_) link_->unlock(); }
    PulseLocker(const PulseLocker &) = delete;
    PulseLocker &operator=(const PulseLocker &) = delete;

private:
    PulseLink *link_;
};

} // namespace mci

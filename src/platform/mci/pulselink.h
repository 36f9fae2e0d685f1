#pragma once
// Internal to platform/mci: the one connection to the sound server that every
// MMControl shares, and its retries.
#include "platform/pulse/connection.h"

#include <memory>

namespace mci {

class PulseLink {
public:
    // The process-wide link (made on first use, never destroyed); null when
    // not even the main loop could be started.
    static PulseLink *instance();

    void lock() { connection_->lock(); }
    void unlock() { connection_->unlock(); }

    // Call with the lock held.  The context when it is connected; otherwise
    // null, and a connection is started when none is under way (at most one
    // new attempt every 500 ms after a failure).  Never waits.
    pa_context *readyContext();

private:
    explicit PulseLink(std::unique_ptr<pulse::Connection> connection);

    std::unique_ptr<pulse::Connection> connection_;
    long long lastAttemptMs_;
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

// The library's connection to the sound server.
#include "pulseconnection.h"

#include <chrono>
#include <pulse/rtclock.h>
#include <thread>

namespace orvane {

namespace {

struct Deadline {
    PulseConnection *connection;
    bool passed = false;
    static void fire(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *self)
    {
        auto *d = static_cast<Deadline *>(self);
        d->passed = true;
        d->connection->signal();
    }
};

void operationChanged(pa_operation *, void *connection) { static_cast<PulseConnection *>(connection)->signal(); }

} // namespace

std::shared_ptr<PulseConnection> PulseConnection::open(const char *clientName, int timeoutMs)
{
    std::shared_ptr<PulseConnection> c(new PulseConnection);
    c->loop_ = pa_threaded_mainloop_new();
    if (!c->loop_)
        return nullptr;
    pa_threaded_mainloop_set_name(c->loop_, "orvane-bass-pulse");
    if (pa_threaded_mainloop_start(c->loop_) < 0)
        return nullptr; // the destructor frees the loop
    PulseLock lock(*c);
    pa_proplist *props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, clientName);
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "orvane-clipforge");
    c->context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(c->loop_), clientName, props);
    pa_proplist_free(props);
    if (!c->context_)
        return nullptr;
    pa_context_set_state_callback(c->context_, &PulseConnection::stateChanged, c.get());
    if (pa_context_connect(c->context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return nullptr;
    PulseConnection *raw = c.get();
    if (!c->waitUntil([raw] { return raw->ready(); }, timeoutMs))
        return nullptr;
    return c;
}

PulseConnection::~PulseConnection()
{
    if (!loop_)
        return;
    lock();
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    unlock();
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
}

void PulseConnection::stateChanged(pa_context *, void *self) { static_cast<PulseConnection *>(self)->signal(); }

bool PulseConnection::ready() const { return context_ && pa_context_get_state(context_) == PA_CONTEXT_READY; }

bool PulseConnection::waitUntil(const std::function<bool()> &done, int timeoutMs)
{
    if (done())
        return true;
    if (!context_)
        return false;
    Deadline deadline{this};
    pa_time_event *timer = pa_context_rttime_new(context_, pa_rtclock_now() + pa_usec_t(timeoutMs) * PA_USEC_PER_MSEC,
                                                 &Deadline::fire, &deadline);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        const pa_context_state_t state = pa_context_get_state(context_);
        if (!PA_CONTEXT_IS_GOOD(state) || deadline.passed)
            break;
        if (timer) {
            pa_threaded_mainloop_wait(loop_);
        } else { // no timer could be made: look again every 10 ms
            if (std::chrono::steady_clock::now() >= until)
                break;
            unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            lock();
        }
    }
    if (timer)
        pa_threaded_mainloop_get_api(loop_)->time_free(timer);
    return done();
}

bool PulseConnection::finish(pa_operation *op, int timeoutMs)
{
    if (!op)
        return false;
    pa_operation_set_state_callback(op, &operationChanged, this);
    const bool answered = waitUntil([op] { return pa_operation_get_state(op) != PA_OPERATION_RUNNING; }, timeoutMs);
    if (!answered)
        pa_operation_cancel(op);
    const bool done = answered && pa_operation_get_state(op) == PA_OPERATION_DONE;
    pa_operation_set_state_callback(op, nullptr, nullptr);
    pa_operation_unref(op);
    return done;
}

} // namespace orvane

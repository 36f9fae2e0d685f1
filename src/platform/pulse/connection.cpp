// The main loop, the context on it and the bounded waits.
#include "platform/pulse/connection.h"

#include <chrono>
#include <pulse/rtclock.h>
#include <thread>

namespace pulse {

namespace {

struct Deadline {
    Connection *connection;
    bool passed = false;
    static void fire(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *self)
    {
        auto *d = static_cast<Deadline *>(self);
        d->passed = true;
        d->connection->signal();
    }
};

void operationChanged(pa_operation *, void *connection) { static_cast<Connection *>(connection)->signal(); }

} // namespace

std::unique_ptr<Connection> Connection::start(const char *clientName, const char *threadName)
{
    std::unique_ptr<Connection> c(new Connection(clientName));
    c->loop_ = pa_threaded_mainloop_new();
    if (!c->loop_)
        return nullptr;
    pa_threaded_mainloop_set_name(c->loop_, threadName);
    if (pa_threaded_mainloop_start(c->loop_) < 0)
        return nullptr; // the destructor frees the loop
    Lock lock(*c);
    c->connect();
    return c;
}

std::unique_ptr<Connection> Connection::open(const char *clientName, const char *threadName, int timeoutMs)
{
    std::unique_ptr<Connection> c = start(clientName, threadName);
    if (!c)
        return nullptr;
    Lock lock(*c);
    Connection *raw = c.get();
    if (!c->waitUntil([raw] { return raw->ready(); }, timeoutMs))
        return nullptr; // the lock goes before the connection: declared after it
    return c;
}

Connection::~Connection()
{
    if (!loop_)
        return;
    lock();
    disconnect();
    unlock();
    pa_threaded_mainloop_stop(loop_);
    pa_threaded_mainloop_free(loop_);
}

void Connection::disconnect()
{
    if (!context_)
        return;
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
}

void Connection::connect()
{
    pa_proplist *props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, clientName_.c_str());
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "orvane-clipforge");
    context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), clientName_.c_str(), props);
    pa_proplist_free(props);
    if (!context_)
        return;
    pa_context_set_state_callback(context_, &Connection::stateChanged, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        disconnect();
}

void Connection::reconnect()
{
    disconnect();
    connect();
}

void Connection::stateChanged(pa_context *, void *self) { static_cast<Connection *>(self)->signal(); }

bool Connection::ready() const { return context_ && pa_context_get_state(context_) == PA_CONTEXT_READY; }

bool Connection::connecting() const
{
    if (!context_)
        return false;
    const pa_context_state_t state = pa_context_get_state(context_);
    return state != PA_CONTEXT_READY && PA_CONTEXT_IS_GOOD(state);
}

bool Connection::waitUntil(const std::function<bool()> &done, int timeoutMs)
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

bool Connection::finish(pa_operation *op, int timeoutMs)
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

} // namespace pulse

#include "platform/mci/pulselink.h"

#include <chrono>

namespace mci {

namespace {
long long nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

PulseLink *PulseLink::instance()
{
    static PulseLink *link = [] {
        auto *l = new PulseLink;
        if (!l->start()) {
            delete l;
            return static_cast<PulseLink *>(nullptr);
        }
        return l;
    }();
    return link;
}

bool PulseLink::start()
{
    loop_ = pa_threaded_mainloop_new();
    if (!loop_)
        return false;
    pa_threaded_mainloop_set_name(loop_, "clipforge-pulse");
    if (pa_threaded_mainloop_start(loop_) < 0) {
        pa_threaded_mainloop_free(loop_);
        loop_ = nullptr;
        return false;
    }
    lock();
    connect();
    unlock();
    return true;
}

void PulseLink::contextState(pa_context *, void *self)
{
    pa_threaded_mainloop_signal(static_cast<PulseLink *>(self)->loop_, 0);
}

void PulseLink::connect()
{
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    lastAttemptMs_ = nowMs();
    pa_proplist *props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Orvane Clipforge");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "orvane-clipforge");
    context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), "Orvane Clipforge", props);
    pa_proplist_free(props);
    if (!context_)
        return;
    pa_context_set_state_callback(context_, &PulseLink::contextState, this);
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        pa_context_unref(context_);
        context_ = nullptr;
    }
}

pa_context *PulseLink::readyContext()
{
    if (context_) {
        switch (pa_context_get_state(context_)) {
        case PA_CONTEXT_READY:
            return context_;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            break;
        default:
            return nullptr; // connecting
        }
    }
    if (nowMs() - lastAttemptMs_ >= 500)
        connect();
    return nullptr;
}

} // namespace mci

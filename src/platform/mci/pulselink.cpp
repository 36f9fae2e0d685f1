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

PulseLink::PulseLink(std::unique_ptr<pulse::Connection> connection)
    : connection_(std::move(connection)), lastAttemptMs_(nowMs())
{
}

PulseLink *PulseLink::instance()
{
    static PulseLink *link = [] {
        std::unique_ptr<pulse::Connection> connection = pulse::Connection::start("Orvane Clipforge", "clipforge-pulse");
        return connection ? new PulseLink(std::move(connection)) : nullptr;
    }();
    return link;
}

pa_context *PulseLink::readyContext()
{
    if (connection_->ready())
        return connection_->context();
    if (!connection_->connecting() && nowMs() - lastAttemptMs_ >= 500) {
        lastAttemptMs_ = nowMs();
        connection_->reconnect();
    }
    return nullptr;
}

} // namespace mci

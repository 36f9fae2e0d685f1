// Listing, reading and setting the sound server's sources.
#include "sources.h"

#include <algorithm>
#include <cstring>

namespace orvane {

namespace {

bool contains(const char *text, const char *word) { return text && std::strstr(text, word); }

// A hardware source's type, from its active port.
DWORD portType(const pa_source_port_info *port)
{
    if (!port)
        return BASS_INPUT_TYPE_UNDEF;
    switch (port->type) {
    case PA_DEVICE_PORT_TYPE_MIC:
    case PA_DEVICE_PORT_TYPE_HEADSET:
        return BASS_INPUT_TYPE_MIC;
    case PA_DEVICE_PORT_TYPE_LINE:
        return BASS_INPUT_TYPE_LINE;
    case PA_DEVICE_PORT_TYPE_SPDIF:
    case PA_DEVICE_PORT_TYPE_HDMI:
        return BASS_INPUT_TYPE_DIGITAL;
    case PA_DEVICE_PORT_TYPE_ANALOG:
        return BASS_INPUT_TYPE_ANALOG;
    case PA_DEVICE_PORT_TYPE_UNKNOWN:
        break;
    default:
        return BASS_INPUT_TYPE_UNDEF;
    }
    // Servers that give no type: ALSA's port names say it.
    const char *n = port->name;
    if (contains(n, "mic") || contains(n, "headset"))
        return BASS_INPUT_TYPE_MIC;
    if (contains(n, "line"))
        return BASS_INPUT_TYPE_LINE;
    if (contains(n, "iec958") || contains(n, "spdif") || contains(n, "hdmi"))
        return BASS_INPUT_TYPE_DIGITAL;
    if (contains(n, "analog"))
        return BASS_INPUT_TYPE_ANALOG;
    return BASS_INPUT_TYPE_UNDEF;
}

unsigned percentOf(const pa_cvolume &v)
{
    if (!pa_cvolume_valid(&v))
        return 0;
    const uint64_t top = pa_cvolume_max(&v);
    return unsigned(std::min<uint64_t>(100, (top * 100 + PA_VOLUME_NORM / 2) / PA_VOLUME_NORM));
}

SourceInfo describe(const pa_source_info *i)
{
    SourceInfo s;
    s.index = i->index;
    s.name = i->name ? i->name : "";
    s.description = i->description && *i->description ? i->description : s.name;
    s.monitor = i->monitor_of_sink != PA_INVALID_INDEX;
    s.channels = i->volume.channels;
    s.percent = percentOf(i->volume);
    s.type = s.monitor ? BASS_INPUT_TYPE_WAVE : portType(i->active_port);
    return s;
}

struct Listing {
    std::vector<SourceInfo> sources;
    static void add(pa_context *, const pa_source_info *i, int eol, void *self)
    {
        auto *l = static_cast<Listing *>(self);
        if (eol == 0 && i)
            l->sources.push_back(describe(i));
    }
};

struct Success {
    bool ok = false;
    static void done(pa_context *, int success, void *self) { static_cast<Success *>(self)->ok = success != 0; }
};

} // namespace

bool listSources(pulse::Connection &connection, std::vector<SourceInfo> &out)
{
    Listing listing;
    {
        pulse::Lock lock(connection);
        if (!connection.ready())
            return false;
        if (!connection.finish(pa_context_get_source_info_list(connection.context(), &Listing::add, &listing)))
            return false;
    }
    std::stable_partition(listing.sources.begin(), listing.sources.end(),
                          [](const SourceInfo &s) { return !s.monitor; });
    out = std::move(listing.sources);
    return true;
}

bool querySource(pulse::Connection &connection, const std::string &name, SourceInfo &out)
{
    Listing listing;
    pulse::Lock lock(connection);
    if (!connection.ready())
        return false;
    if (!connection.finish(pa_context_get_source_info_by_name(connection.context(), name.c_str(), &Listing::add, &listing))
        || listing.sources.empty())
        return false;
    out = std::move(listing.sources.front());
    return true;
}

bool setSourceVolume(pulse::Connection &connection, const std::string &name, unsigned percent)
{
    percent = std::min(percent, 100u);
    const pa_volume_t level = pa_volume_t((uint64_t(percent) * PA_VOLUME_NORM + 50) / 100);
    struct Current {
        pa_cvolume volume{};
        bool found = false;
        static void got(pa_context *, const pa_source_info *i, int eol, void *self)
        {
            auto *c = static_cast<Current *>(self);
            if (eol == 0 && i) {
                c->volume = i->volume;
                c->found = true;
            }
        }
    } current;
    pulse::Lock lock(connection);
    if (!connection.ready())
        return false;
    if (!connection.finish(pa_context_get_source_info_by_name(connection.context(), name.c_str(), &Current::got, &current))
        || !current.found || !pa_cvolume_valid(&current.volume))
        return false;
    pa_cvolume target = current.volume;
    if (pa_cvolume_max(&target) == PA_VOLUME_MUTED)
        pa_cvolume_set(&target, target.channels, level);
    else
        pa_cvolume_scale(&target, level);
    Success success;
    return connection.finish(pa_context_set_source_volume_by_name(connection.context(), name.c_str(), &target,
                                                                  &Success::done, &success))
        && success.ok;
}

bool defaultSourceName(pulse::Connection &connection, std::string &out)
{
    struct Server {
        std::string source;
        static void got(pa_context *, const pa_server_info *i, void *self)
        {
            if (i && i->default_source_name)
                static_cast<Server *>(self)->source = i->default_source_name;
        }
    } server;
    pulse::Lock lock(connection);
    if (!connection.ready()
        || !connection.finish(pa_context_get_server_info(connection.context(), &Server::got, &server)))
        return false;
    out = server.source;
    return true;
}

} // namespace orvane

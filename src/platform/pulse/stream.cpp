#include "platform/pulse/stream.h"

namespace pulse {

pa_stream *newStream(pa_context *context, const char *name, const pa_sample_spec &spec, const char *role)
{
    pa_channel_map map;
    pa_channel_map_init_extend(&map, spec.channels, PA_CHANNEL_MAP_WAVEEX);
    pa_proplist *props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, role);
    pa_proplist_sets(props, PA_PROP_MEDIA_NAME, name);
    pa_stream *stream = pa_stream_new_with_proplist(context, name, &spec, &map, props);
    pa_proplist_free(props);
    return stream;
}

pa_buffer_attr playbackBuffer(const pa_sample_spec &spec, unsigned latencyMs)
{
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(pa_usec_to_bytes(pa_usec_t(latencyMs) * PA_USEC_PER_MSEC, &spec));
    attr.prebuf = attr.minreq = attr.fragsize = uint32_t(-1);
    return attr;
}

bool heardFrames(pa_stream *stream, uint32_t rate, int64_t &frames)
{
    pa_usec_t usec = 0;
    if (!stream || pa_stream_get_state(stream) != PA_STREAM_READY || pa_stream_get_time(stream, &usec) < 0)
        return false;
    frames = int64_t(usec * rate / PA_USEC_PER_SEC);
    return true;
}

void releaseOperation(pa_operation *&operation)
{
    if (!operation)
        return;
    if (pa_operation_get_state(operation) == PA_OPERATION_RUNNING)
        pa_operation_cancel(operation);
    pa_operation_unref(operation);
    operation = nullptr;
}

void releaseStream(pa_stream *&stream)
{
    if (!stream)
        return;
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    pa_stream_set_read_callback(stream, nullptr, nullptr);
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_disconnect(stream);
    pa_stream_unref(stream);
    stream = nullptr;
}

} // namespace pulse

#pragma once
// What the playback and record streams of the program share: how one is
// made, the buffer and flags of a timed playback, where it is heard, and
// its teardown. All with the connection's lock held.
#include <pulse/pulseaudio.h>

#include <cstdint>

namespace pulse {

// A stream of the given format with the WAVE channel order, the media role
// ("music", "production", ...) and the media name `name`; null on failure.
pa_stream *newStream(pa_context *context, const char *name, const pa_sample_spec &spec, const char *role);

// A playback that keeps about latencyMs of sound at the server, and the flags
// that let it tell where it is heard between the server's timing updates.
pa_buffer_attr playbackBuffer(const pa_sample_spec &spec, unsigned latencyMs);
constexpr pa_stream_flags_t kTimedPlayback =
    pa_stream_flags_t(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_ADJUST_LATENCY);

// Frames of a ready stream heard since it started (the output's latency
// taken into account); false when the server cannot tell now.
bool heardFrames(pa_stream *stream, uint32_t rate, int64_t &frames);

// Cancels a request that is still running and releases it; null after.
void releaseOperation(pa_operation *&operation);
// Clears the stream's callbacks, disconnects and releases it, so that none of
// its callbacks runs after this; null after. Nothing when it is null.
void releaseStream(pa_stream *&stream);

} // namespace pulse

// The calls on a channel, whatever its kind: each looks the handle up and
// makes one call on the channel behind it.
#include "bass.h"

#include "errors.h"
#include "handles.h"

namespace orvane {

namespace {

constexpr DWORD kFailedDword = 0xFFFFFFFFu;
constexpr QWORD kFailedQword = QWORD(-1);

// `call` on the channel behind the handle; `failed` with BASS_ERROR_HANDLE
// when there is none.
template <typename T, typename Call>
T onChannel(DWORD handle, T failed, Call call)
{
    std::shared_ptr<Channel> channel = findChannel(handle);
    if (!channel) {
        setLastError(BASS_ERROR_HANDLE);
        return failed;
    }
    return call(*channel);
}

// The value, or `failed`, with the answer's code as the thread's error.
template <typename T>
T reply(const Answer<T> &answer, T failed)
{
    setLastError(answer.error);
    return answer.error == BASS_OK ? answer.value : failed;
}

template <typename T>
T succeed(T value)
{
    setLastError(BASS_OK);
    return value;
}

} // namespace

} // namespace orvane

using namespace orvane;

extern "C" {

BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO *info)
{
    return onChannel(handle, BOOL(0), [&](Channel &c) {
        if (!info)
            return setLastError(BASS_ERROR_ILLPARAM);
        *info = c.info();
        return setLastError(BASS_OK);
    });
}

BOOL BASS_ChannelGetAttributes(DWORD handle, DWORD *freq, DWORD *volume, int *pan)
{
    return onChannel(handle, BOOL(0), [&](Channel &c) {
        if (freq)
            *freq = c.info().freq;
        if (volume)
            *volume = 100;
        if (pan)
            *pan = 0;
        return setLastError(BASS_OK);
    });
}

DWORD BASS_ChannelGetData(DWORD handle, void *buffer, DWORD length)
{
    return onChannel(handle, kFailedDword, [&](Channel &c) { return reply(c.data(buffer, length), kFailedDword); });
}

DWORD BASS_ChannelIsActive(DWORD handle)
{
    return onChannel(handle, DWORD(BASS_ACTIVE_STOPPED), [](Channel &c) { return succeed(c.active()); });
}

QWORD BASS_ChannelGetPosition(DWORD handle)
{
    return onChannel(handle, kFailedQword, [](Channel &c) { return succeed(c.position()); });
}

QWORD BASS_ChannelGetLength(DWORD handle)
{
    return onChannel(handle, kFailedQword, [](Channel &c) { return reply(c.length(), kFailedQword); });
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD position)
{
    return onChannel(handle, BOOL(0), [&](Channel &c) { return setLastError(c.setPosition(position)); });
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart)
{
    return onChannel(handle, BOOL(0), [&](Channel &c) { return setLastError(c.play(restart != 0)); });
}

BOOL BASS_ChannelStop(DWORD handle)
{
    return onChannel(handle, BOOL(0), [](Channel &c) { return setLastError(c.stop()); });
}

} // extern "C"

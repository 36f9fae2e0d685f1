#include "handles.h"

#include "errors.h"

#include <map>
#include <mutex>

namespace orvane {

namespace {

constexpr DWORD kFirstHandle = 0x00010001;

struct Table {
    std::mutex lock;
    std::map<DWORD, std::shared_ptr<Channel>> channels;
    DWORD next = kFirstHandle;
};

Table &table()
{
    static Table *t = new Table; // never destroyed: calls during exit stay safe
    return *t;
}

// Table locked.
DWORD unusedHandle(Table &t)
{
    DWORD handle;
    do {
        handle = t.next++;
        if (t.next == 0)
            t.next = kFirstHandle;
    } while (handle == 0 || t.channels.count(handle));
    return handle;
}

} // namespace

DWORD newHandle()
{
    Table &t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    return unusedHandle(t);
}

void putChannel(DWORD handle, std::shared_ptr<Channel> channel)
{
    Table &t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    t.channels[handle] = std::move(channel);
}

DWORD addChannel(std::shared_ptr<Channel> channel, const std::function<int()> &admit)
{
    Table &t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    if (admit) {
        if (const int refused = admit(); refused != BASS_OK)
            return setLastError(refused);
    }
    const DWORD handle = unusedHandle(t);
    t.channels.emplace(handle, std::move(channel));
    setLastError(BASS_OK);
    return handle;
}

std::shared_ptr<Channel> findChannel(DWORD handle)
{
    Table &t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.channels.find(handle);
    return it == t.channels.end() ? nullptr : it->second;
}

namespace {
std::shared_ptr<Channel> take(DWORD handle, bool streamsOnly)
{
    Table &t = table();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.channels.find(handle);
    if (it == t.channels.end() || (streamsOnly && !it->second->isStream()))
        return nullptr;
    std::shared_ptr<Channel> channel = std::move(it->second);
    t.channels.erase(it);
    return channel;
}
} // namespace

std::shared_ptr<Channel> removeChannel(DWORD handle) { return take(handle, false); }

std::shared_ptr<Channel> removeStream(DWORD handle) { return take(handle, true); }

std::vector<std::shared_ptr<Channel>> removeStreams()
{
    Table &t = table();
    std::vector<std::shared_ptr<Channel>> taken;
    std::lock_guard<std::mutex> guard(t.lock);
    for (auto it = t.channels.begin(); it != t.channels.end();) {
        if (it->second->isStream()) {
            taken.push_back(std::move(it->second));
            it = t.channels.erase(it);
        } else {
            ++it;
        }
    }
    return taken;
}

} // namespace orvane

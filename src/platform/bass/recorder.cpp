// A recording: the server's record stream fills a queue on the main loop's
// thread; a thread of its own empties it into the procedure, with no lock
// held, so the procedure may call the library (even to stop the recording).
#include "recorder.h"

#include "platform/pulse/stream.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <vector>

namespace orvane {

namespace {
constexpr unsigned kFragmentMs = 20; // what the server is asked to hand over at once
constexpr unsigned kMinBlockMs = 10;
constexpr unsigned kMaxBlockMs = 50;
} // namespace

struct RecordCore {
    std::shared_ptr<pulse::Connection> connection;
    pa_stream *stream = nullptr; // under the connection's lock
    RECORDPROC *proc = nullptr;
    void *user = nullptr;
    DWORD handle = 0;
    size_t frameBytes = 0, minBlock = 0, maxBlock = 0;

    std::mutex lock; // guards the queue and `ending`
    std::condition_variable wake;
    std::vector<unsigned char> queue;
    size_t head = 0; // bytes before it were handed over
    bool ending = false;
    std::atomic<bool> active{true};
    std::atomic<uint64_t> delivered{0};

    // Lock of `lock` not held.
    void end()
    {
        {
            std::lock_guard<std::mutex> guard(lock);
            ending = true;
        }
        wake.notify_all();
        active = false;
    }

    // The connection's lock held. No stream callback runs after it.
    void detachStream() { pulse::releaseStream(stream); }

    void append(const void *data, size_t n)
    {
        std::lock_guard<std::mutex> guard(lock);
        if (ending)
            return;
        // What was handed over goes once it is at least half: the queue
        // stays about twice the largest backlog, each byte moved at most once.
        if (head > 0 && head >= queue.size() - head) {
            queue.erase(queue.begin(), queue.begin() + std::ptrdiff_t(head));
            head = 0;
        }
        if (data) {
            const auto *p = static_cast<const unsigned char *>(data);
            queue.insert(queue.end(), p, p + n);
        } else {
            queue.insert(queue.end(), n, (unsigned char)(0)); // a hole in the stream: silence, so the count keeps time
        }
    }

    static void readable(pa_stream *s, size_t, void *self)
    {
        auto *c = static_cast<RecordCore *>(self);
        bool got = false;
        while (pa_stream_readable_size(s) > 0) {
            const void *data = nullptr;
            size_t n = 0;
            if (pa_stream_peek(s, &data, &n) < 0 || n == 0)
                break;
            c->append(data, n);
            pa_stream_drop(s);
            got = true;
        }
        if (got)
            c->wake.notify_all();
    }

    static void stateChanged(pa_stream *s, void *self)
    {
        auto *c = static_cast<RecordCore *>(self);
        const pa_stream_state_t state = pa_stream_get_state(s);
        if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED)
            c->end(); // the server went away or removed the source
        c->connection->signal();
    }

    // The delivering thread.
    static void deliver(std::shared_ptr<RecordCore> c)
    {
        std::vector<unsigned char> block;
        for (;;) {
            {
                std::unique_lock<std::mutex> guard(c->lock);
                c->wake.wait(guard, [&] { return c->ending || c->queue.size() - c->head >= c->minBlock; });
                if (c->ending)
                    break;
                size_t n = std::min(c->queue.size() - c->head, c->maxBlock);
                n -= n % c->frameBytes;
                block.assign(c->queue.begin() + std::ptrdiff_t(c->head),
                             c->queue.begin() + std::ptrdiff_t(c->head + n));
                c->head += n;
            }
            c->delivered += block.size();
            if (!c->proc(c->handle, block.data(), DWORD(block.size()), c->user)) {
                c->end();
                pulse::Lock lock(*c->connection);
                c->detachStream();
                break;
            }
        }
        c->active = false;
    }
};

int Recording::start(std::shared_ptr<pulse::Connection> connection, const std::string &source, const Format &format,
                     RECORDPROC *proc, void *user, DWORD handle, std::unique_ptr<Recording> &out)
{
    pa_sample_spec spec;
    spec.format = format.eightBit ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
    spec.rate = format.freq;
    spec.channels = uint8_t(std::min<DWORD>(format.chans, 255));
    if (!proc || format.chans == 0 || format.chans > PA_CHANNELS_MAX || !pa_sample_spec_valid(&spec))
        return BASS_ERROR_ILLPARAM;

    std::unique_ptr<Recording> rec(new Recording(handle, format));
    auto core = std::make_shared<RecordCore>();
    core->connection = connection;
    core->proc = proc;
    core->user = user;
    core->handle = handle;
    core->frameBytes = pa_frame_size(&spec);
    core->minBlock = std::max(core->frameBytes, pa_usec_to_bytes(kMinBlockMs * PA_USEC_PER_MSEC, &spec));
    core->maxBlock = std::max(core->minBlock, pa_usec_to_bytes(kMaxBlockMs * PA_USEC_PER_MSEC, &spec));

    {
        pulse::Lock lock(*connection);
        if (!connection->ready())
            return BASS_ERROR_DEVICE;
        core->stream = pulse::newStream(connection->context(), "Recording", spec, "production");
        if (!core->stream)
            return BASS_ERROR_UNKNOWN;
        pa_stream_set_read_callback(core->stream, &RecordCore::readable, core.get());
        pa_stream_set_state_callback(core->stream, &RecordCore::stateChanged, core.get());
        pa_buffer_attr attr;
        attr.maxlength = uint32_t(-1);
        attr.tlength = attr.prebuf = attr.minreq = uint32_t(-1);
        attr.fragsize = uint32_t(pa_usec_to_bytes(kFragmentMs * PA_USEC_PER_MSEC, &spec));
        if (pa_stream_connect_record(core->stream, source.empty() ? nullptr : source.c_str(), &attr,
                                     PA_STREAM_ADJUST_LATENCY)
            < 0) {
            core->detachStream();
            return BASS_ERROR_DEVICE;
        }
        pa_stream *s = core->stream;
        const bool settled = connection->waitUntil([s] { return pa_stream_get_state(s) != PA_STREAM_CREATING; });
        if (!settled || pa_stream_get_state(s) != PA_STREAM_READY) {
            core->detachStream();
            return BASS_ERROR_DEVICE;
        }
    }
    try {
        rec->thread_ = std::thread(&RecordCore::deliver, core);
    } catch (...) {
        pulse::Lock lock(*connection);
        core->detachStream();
        return BASS_ERROR_UNKNOWN;
    }
    rec->core_ = std::move(core);
    out = std::move(rec);
    return BASS_OK;
}

Recording::~Recording()
{
    if (!core_)
        return;
    if (std::this_thread::get_id() == thread_.get_id()) {
        // Freed from inside the procedure: the thread ends when it returns.
        core_->end();
        {
            pulse::Lock lock(*core_->connection);
            core_->detachStream();
        }
        thread_.detach();
        return;
    }
    stop();
}

int Recording::stop()
{
    if (!core_)
        return BASS_OK;
    core_->end();
    {
        pulse::Lock lock(*core_->connection);
        core_->detachStream();
    }
    if (std::this_thread::get_id() == thread_.get_id())
        return BASS_OK; // from inside the procedure: no call after it returns
    std::lock_guard<std::mutex> guard(stopping_);
    if (thread_.joinable())
        thread_.join();
    return BASS_OK;
}

bool Recording::recording() const { return core_ && core_->active; }

QWORD Recording::position() { return core_ ? core_->delivered.load() : 0; }

BASS_CHANNELINFO Recording::info()
{
    BASS_CHANNELINFO info;
    info.freq = format.freq;
    info.chans = format.chans;
    info.flags = format.eightBit ? DWORD(BASS_SAMPLE_8BITS) : 0u;
    info.ctype = 0;
    info.origres = format.eightBit ? 8 : 16;
    return info;
}

bool Recording::moveTo(uint32_t sourceIndex)
{
    if (!core_)
        return false;
    pulse::Connection &c = *core_->connection;
    pulse::Lock lock(c);
    if (!core_->stream || pa_stream_get_state(core_->stream) != PA_STREAM_READY)
        return false;
    struct Moved {
        bool ok = false;
        static void done(pa_context *, int success, void *self) { static_cast<Moved *>(self)->ok = success != 0; }
    } moved;
    return c.finish(pa_context_move_source_output_by_index(c.context(), pa_stream_get_index(core_->stream),
                                                           sourceIndex, &Moved::done, &moved))
        && moved.ok;
}

} // namespace orvane

#include "readahead.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace orvane {

namespace {

constexpr size_t kChunkBytes = 1 << 16;
constexpr size_t kChunksAhead = 4;

class ReadAhead : public Reader {
public:
    explicit ReadAhead(ReaderPtr inner) : inner_(std::move(inner))
    {
        format_ = inner_->format();
        chunkBytes_ = kChunkBytes - kChunkBytes % size_t(format_.frameBytes());
        thread_ = std::thread(&ReadAhead::run, this);
    }
    ~ReadAhead() override
    {
        {
            std::lock_guard<std::mutex> guard(lock_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    long read(unsigned char *out, size_t bytes) override
    {
        bytes -= bytes % size_t(format_.frameBytes());
        size_t done = 0;
        std::unique_lock<std::mutex> guard(lock_);
        if (!wanted_) {
            wanted_ = true;
            changed_.notify_all();
        }
        while (done < bytes) {
            changed_.wait(guard, [&] { return !ready_.empty() || atEnd_; });
            if (ready_.empty())
                break; // the end, or an error, and nothing more decoded
            std::vector<unsigned char> &chunk = ready_.front();
            const size_t n = std::min(bytes - done, chunk.size() - taken_);
            std::memcpy(out + done, chunk.data() + taken_, n);
            done += n;
            taken_ += n;
            if (taken_ == chunk.size()) {
                spare_ = std::move(chunk);
                ready_.pop_front();
                taken_ = 0;
                changed_.notify_all(); // room for another chunk
            }
        }
        if (done == 0 && failed_ && ready_.empty())
            return -1;
        return long(done);
    }

    bool seek(int64_t frame) override
    {
        std::unique_lock<std::mutex> guard(lock_);
        seeking_ = true; // the thread takes no new chunk
        changed_.wait(guard, [&] { return !decoding_; });
        ready_.clear();
        taken_ = 0;
        atEnd_ = failed_ = false;
        const bool moved = inner_->seek(frame); // the thread waits meanwhile
        seeking_ = false;
        wanted_ = false; // a rewound stream is often not read again (a decoder's last step)
        changed_.notify_all();
        return moved;
    }

private:
    // The thread: decodes chunks while there is room for them, until the end.
    void run()
    {
        std::unique_lock<std::mutex> guard(lock_);
        for (;;) {
            changed_.wait(guard, [&] {
                return stopping_ || (wanted_ && !seeking_ && !atEnd_ && ready_.size() < kChunksAhead);
            });
            if (stopping_)
                return;
            std::vector<unsigned char> chunk = std::move(spare_);
            decoding_ = true;
            guard.unlock();
            long got = -1;
            try {
                chunk.resize(chunkBytes_);
                got = inner_->read(chunk.data(), chunk.size());
            } catch (...) {
                got = -1; // out of memory, say: the stream ends here as on a read error
            }
            guard.lock();
            decoding_ = false;
            if (got > 0) {
                chunk.resize(size_t(got));
                ready_.push_back(std::move(chunk));
            }
            // The reader fills what it is asked for unless it is at the end.
            if (got < long(chunkBytes_)) {
                atEnd_ = true;
                failed_ = got < 0;
            }
            changed_.notify_all();
        }
    }

    ReaderPtr inner_;
    size_t chunkBytes_ = kChunkBytes;
    std::mutex lock_; // guards everything below, and the inner reader while seeking
    std::condition_variable changed_;
    std::deque<std::vector<unsigned char>> ready_; // decoded chunks, oldest first
    std::vector<unsigned char> spare_;             // a used chunk's memory, for the next
    size_t taken_ = 0;     // bytes of the oldest chunk already handed out
    bool atEnd_ = false;   // the inner reader has ended (or failed): no more chunks
    bool failed_ = false;  // it ended on an error
    bool wanted_ = true;   // read since it was made or last moved: worth reading ahead
    bool decoding_ = false;
    bool seeking_ = false;
    bool stopping_ = false;
    std::thread thread_; // last: it starts once everything above is there
};

} // namespace

ReaderPtr readAhead(ReaderPtr reader) { return std::make_unique<ReadAhead>(std::move(reader)); }

} // namespace orvane

// A decoding stream hands the reader's PCM to the caller block by block; a
// playing stream leaves the reader to its player.
#include "streams.h"

#include "player.h"
#include "readahead.h"

#include <algorithm>
#include <mutex>

namespace orvane {

namespace {

constexpr size_t kChunk = 1 << 16; // bytes asked of a reader at once

// What both kinds share: the source, which outlives the reader that may
// point into it, the reader and the creation flags.
class Stream : public Channel {
public:
    Stream(std::unique_ptr<Source> source, ReaderPtr reader, DWORD flags)
        : source_(std::move(source)), reader_(std::move(reader)), flags_(flags)
    {
    }
    BASS_CHANNELINFO info() override
    {
        const Format &f = reader_->format();
        BASS_CHANNELINFO info;
        info.freq = DWORD(f.rate);
        info.chans = DWORD(f.channels);
        info.flags = (flags_ & ~DWORD(BASS_SAMPLE_8BITS)) | (f.eightBit ? DWORD(BASS_SAMPLE_8BITS) : 0u);
        info.ctype = f.kind;
        info.origres = f.bits;
        return info;
    }

protected:
    std::unique_ptr<Source> source_;
    ReaderPtr reader_;
    const DWORD flags_;
};

class DecodingStream : public Stream {
public:
    DecodingStream(std::unique_ptr<Source> source, ReaderPtr reader, DWORD flags)
        : Stream(std::move(source), std::move(reader), flags)
    {
        const Format &f = reader_->format();
        length_ = f.lengthBytes;
        ended_ = f.lengthExact && length_ == 0; // nothing to deliver
    }

    Answer<DWORD> data(void *buffer, DWORD length) override
    {
        if (!buffer)
            return Answer<DWORD>::failed(BASS_ERROR_ILLPARAM);
        std::lock_guard<std::mutex> guard(lock_);
        if (ended_)
            return Answer<DWORD>::failed(BASS_ERROR_ENDED);
        const size_t frame = size_t(reader_->format().frameBytes());
        const size_t wanted = size_t(length) - size_t(length) % frame;
        auto *out = static_cast<unsigned char *>(buffer);
        size_t done = 0;
        bool error = false;
        try {
            while (done < wanted) {
                const size_t ask = std::min(kChunk - kChunk % frame, wanted - done);
                const long got = reader_->read(out + done, ask);
                if (got < 0) {
                    error = true;
                    break;
                }
                done += size_t(got);
                if (size_t(got) < ask) {
                    ended_ = true; // a reader fills what it is asked for unless it is at the end
                    break;
                }
            }
        } catch (...) {
            error = true;
        }
        position_ += done;
        if (error || (reader_->format().lengthExact && int64_t(position_) >= length_))
            ended_ = true;
        if (ended_)
            length_ = int64_t(position_); // the length is exact once the end is reached
        if (done == 0 && wanted > 0)
            return Answer<DWORD>::failed(error ? BASS_ERROR_FILEOPEN : BASS_ERROR_ENDED);
        return {DWORD(done)};
    }
    // Active while data remains.
    DWORD active() override
    {
        std::lock_guard<std::mutex> guard(lock_);
        return ended_ ? BASS_ACTIVE_STOPPED : BASS_ACTIVE_PLAYING;
    }
    QWORD position() override
    {
        std::lock_guard<std::mutex> guard(lock_);
        return position_;
    }
    Answer<QWORD> length() override
    {
        std::lock_guard<std::mutex> guard(lock_);
        return {QWORD(std::max<int64_t>(length_, 0))};
    }
    int setPosition(QWORD position) override
    {
        std::lock_guard<std::mutex> guard(lock_);
        const Format &f = reader_->format();
        const QWORD frame = QWORD(f.frameBytes());
        if (position % frame != 0 || (f.lengthExact && position > QWORD(length_)))
            return BASS_ERROR_POSITION;
        if (!reader_->seek(int64_t(position / frame)))
            return BASS_ERROR_POSITION;
        position_ = position;
        ended_ = f.lengthExact && position == QWORD(length_);
        return BASS_OK;
    }
    int stop() override { return BASS_OK; } // nothing plays

private:
    std::mutex lock_; // one call at a time on the stream
    uint64_t position_ = 0; // bytes delivered since the start
    int64_t length_ = 0;    // bytes in all
    bool ended_ = false;
};

class PlayingStream : public Stream {
public:
    PlayingStream(std::unique_ptr<Source> source, ReaderPtr reader, DWORD flags,
                  std::shared_ptr<pulse::Connection> output)
        : Stream(std::move(source), std::move(reader), flags), player_(std::move(output), *reader_)
    {
    }
    DWORD active() override { return player_.playing() ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED; }
    QWORD position() override { return player_.position(); }
    Answer<QWORD> length() override { return {player_.lengthBytes()}; }
    int setPosition(QWORD position) override { return player_.setPosition(position); }
    int play(bool restart) override { return player_.play(restart); }
    int stop() override
    {
        player_.stop();
        return BASS_OK;
    }

private:
    // The only one to read the reader while it exists; goes before it.
    Player player_;
};

} // namespace

std::shared_ptr<Channel> makeDecodingStream(std::unique_ptr<Source> source, ReaderPtr reader, DWORD flags)
{
    return std::make_shared<DecodingStream>(std::move(source), readAhead(std::move(reader)), flags);
}

std::shared_ptr<Channel> makePlayingStream(std::unique_ptr<Source> source, ReaderPtr reader, DWORD flags,
                                           std::shared_ptr<pulse::Connection> output)
{
    return std::make_shared<PlayingStream>(std::move(source), std::move(reader), flags, std::move(output));
}

} // namespace orvane

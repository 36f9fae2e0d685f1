// A play is one playback stream from a frame of the stream to its end;
// stopping ends the stream and remembers the frame heard last.
#include "player.h"

#include "bass.h"
#include "platform/pulse/stream.h"

#include <algorithm>

namespace orvane {

namespace {
constexpr unsigned kTargetLatencyMs = 100;
} // namespace

Player::Player(std::shared_ptr<pulse::Connection> connection, Reader &reader)
    : connection_(std::move(connection)), reader_(reader)
{
    const Format &f = reader.format();
    spec_.format = f.eightBit ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
    spec_.rate = uint32_t(std::max(f.rate, 0));
    spec_.channels = uint8_t(std::clamp(f.channels, 0, 255));
    frameBytes_ = size_t(std::max(f.frameBytes(), 1));
    endFrame_ = std::max<int64_t>(f.lengthBytes, 0) / int64_t(frameBytes_);
}

Player::~Player()
{
    pulse::Lock lock(*connection_);
    teardown();
}

void Player::teardown()
{
    pulse::releaseOperation(drain_);
    pulse::releaseStream(stream_);
}

int64_t Player::heard()
{
    int64_t frames = 0;
    if (pulse::heardFrames(stream_, spec_.rate, frames))
        lastHeard_ = std::min(startFrame_ + frames, written_);
    return std::max(lastHeard_, startFrame_);
}

void Player::settle()
{
    if (state_ != State::Playing)
        return;
    if (broken_) {
        stoppedAt_ = std::max(lastHeard_, startFrame_);
        teardown();
        state_ = State::Stopped;
    } else if (allWritten_ && (drained_ || heard() >= endFrame_)) {
        stoppedAt_ = endFrame_;
        teardown();
        state_ = State::Ended;
    }
}

void Player::fill(size_t bytes)
{
    while (bytes >= frameBytes_ && !allWritten_) {
        size_t n = std::min<size_t>(bytes, 1 << 16);
        n -= n % frameBytes_;
        void *buffer = nullptr;
        if (pa_stream_begin_write(stream_, &buffer, &n) < 0 || !buffer)
            break;
        n -= n % frameBytes_;
        if (n == 0) {
            pa_stream_cancel_write(stream_);
            break;
        }
        long got = reader_.read(static_cast<unsigned char *>(buffer), n);
        if (got < 0)
            got = 0; // a read error ends the play here
        got -= got % long(frameBytes_);
        if (got > 0) {
            if (pa_stream_write(stream_, buffer, size_t(got), nullptr, 0, PA_SEEK_RELATIVE) < 0)
                break;
        } else {
            pa_stream_cancel_write(stream_);
        }
        written_ += got / long(frameBytes_);
        bytes -= size_t(got);
        if (size_t(got) < n) {
            // The reader fills what it is asked for unless it is at the end.
            allWritten_ = true;
            endFrame_ = written_;
            // The drain also starts a play shorter than the server's pre-buffer.
            drain_ = pa_stream_drain(stream_, &Player::drained, this);
        }
    }
}

void Player::writable(pa_stream *, size_t bytes, void *self) { static_cast<Player *>(self)->fill(bytes); }

void Player::stateChanged(pa_stream *s, void *self)
{
    auto *p = static_cast<Player *>(self);
    const pa_stream_state_t state = pa_stream_get_state(s);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED)
        p->broken_ = true;
    p->connection_->signal();
}

void Player::drained(pa_stream *, int success, void *self)
{
    auto *p = static_cast<Player *>(self);
    if (success)
        p->drained_ = true;
}

int Player::startAt(int64_t frame)
{
    teardown();
    state_ = State::Stopped;
    stoppedAt_ = frame;
    if (!connection_->ready())
        return BASS_ERROR_DEVICE;
    if (spec_.channels == 0 || spec_.channels > PA_CHANNELS_MAX || !pa_sample_spec_valid(&spec_))
        return BASS_ERROR_NOTAVAIL;
    if (!reader_.seek(frame))
        return BASS_ERROR_POSITION;
    startFrame_ = written_ = lastHeard_ = frame;
    allWritten_ = drained_ = broken_ = false;

    stream_ = pulse::newStream(connection_->context(), "Playback", spec_, "music");
    if (!stream_)
        return BASS_ERROR_UNKNOWN;
    pa_stream_set_write_callback(stream_, &Player::writable, this);
    pa_stream_set_state_callback(stream_, &Player::stateChanged, this);
    const pa_buffer_attr attr = pulse::playbackBuffer(spec_, kTargetLatencyMs);
    if (pa_stream_connect_playback(stream_, nullptr, &attr, pulse::kTimedPlayback, nullptr, nullptr) < 0) {
        teardown();
        return BASS_ERROR_DEVICE;
    }
    pa_stream *s = stream_;
    connection_->waitUntil([s] { return pa_stream_get_state(s) != PA_STREAM_CREATING; });
    if (pa_stream_get_state(s) != PA_STREAM_READY) {
        teardown();
        return BASS_ERROR_DEVICE;
    }
    state_ = State::Playing;
    return BASS_OK;
}

int Player::play(bool restart)
{
    pulse::Lock lock(*connection_);
    settle();
    if (state_ == State::Playing && !restart)
        return BASS_OK;
    if (endFrame_ == 0 && reader_.format().lengthExact) {
        teardown(); // nothing to play: the play is over as it starts
        state_ = State::Ended;
        stoppedAt_ = 0;
        return BASS_OK;
    }
    int64_t from = 0;
    if (!restart && state_ == State::Stopped && stoppedAt_ < endFrame_)
        from = stoppedAt_;
    return startAt(from);
}

void Player::stop()
{
    pulse::Lock lock(*connection_);
    settle();
    if (state_ != State::Playing)
        return;
    stoppedAt_ = heard();
    teardown();
    state_ = State::Stopped;
}

bool Player::playing()
{
    pulse::Lock lock(*connection_);
    settle();
    return state_ == State::Playing;
}

uint64_t Player::position()
{
    pulse::Lock lock(*connection_);
    settle();
    const int64_t frame = state_ == State::Playing ? heard() : stoppedAt_;
    return uint64_t(std::max<int64_t>(frame, 0)) * frameBytes_;
}

int Player::setPosition(uint64_t bytes)
{
    pulse::Lock lock(*connection_);
    settle();
    if (bytes % frameBytes_ != 0 || bytes > uint64_t(endFrame_) * frameBytes_)
        return BASS_ERROR_POSITION;
    const int64_t frame = int64_t(bytes / frameBytes_);
    if (state_ == State::Playing)
        return startAt(frame);
    stoppedAt_ = frame;
    state_ = State::Stopped;
    return BASS_OK;
}

uint64_t Player::lengthBytes()
{
    pulse::Lock lock(*connection_);
    settle();
    return uint64_t(endFrame_) * frameBytes_;
}

} // namespace orvane

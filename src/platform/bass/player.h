#pragma once
// Playback of a stream through the sound server's default output. The
// player reads the stream's reader on the main loop's thread; while a player
// exists, nothing else touches that reader but through the player.
#include "platform/pulse/connection.h"
#include "reader.h"

#include <cstdint>
#include <memory>

namespace orvane {

class Player {
public:
    Player(std::shared_ptr<pulse::Connection> connection, Reader &reader);
    ~Player();
    Player(const Player &) = delete;
    Player &operator=(const Player &) = delete;

    // A BASS error code. restart: from the start; else a stopped play goes
    // on where it stopped and a finished one starts again.
    int play(bool restart);
    // Stops where the sound is; play(false) goes on from there.
    void stop();
    bool playing();
    // Bytes heard so far (the output's latency taken into account).
    uint64_t position();
    // A BASS error code; a running play goes on from there.
    int setPosition(uint64_t bytes);
    // The stream's length: the reader's, exact once a play reached the end.
    uint64_t lengthBytes();

private:
    enum class State { Idle, Playing, Stopped, Ended };
    // The rest with the connection's lock held.
    int startAt(int64_t frame);
    void teardown();
    int64_t heard();       // frames from the start of the stream
    void settle();         // notices the end of a play or a broken stream
    void fill(size_t bytes);
    static void writable(pa_stream *, size_t bytes, void *self);
    static void stateChanged(pa_stream *, void *self);
    static void drained(pa_stream *, int success, void *self);

    std::shared_ptr<pulse::Connection> connection_;
    Reader &reader_;
    pa_sample_spec spec_{};
    size_t frameBytes_ = 1;
    int64_t endFrame_ = 0;   // the stream's length in frames (exact once the reader has ended)
    pa_stream *stream_ = nullptr;
    pa_operation *drain_ = nullptr;
    State state_ = State::Idle;
    int64_t startFrame_ = 0;   // where the current play started
    int64_t written_ = 0;      // frames given to the server, from the start of the stream
    int64_t stoppedAt_ = 0;    // where a stopped play goes on
    int64_t lastHeard_ = 0;
    bool allWritten_ = false;
    bool drained_ = false;
    bool broken_ = false;
};

} // namespace orvane

#include "platform/mci/mmcontrol.h"

#include "platform/mci/pulselink.h"
#include "platform/pulse/stream.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

using mci::PulseLink;
using mci::PulseLocker;

// One play of the clip: a playback stream fed from the file on the sound
// server's thread.  Every field is touched under the main-loop lock only.
struct MciPlayback {
    MMControl *owner = nullptr;
    quint64 generation = 0;
    pa_stream *stream = nullptr;
    pa_operation *drainOp = nullptr;
    int fd = -1;
    WavInfo info;
    SampleFormat format = SampleFormat::Invalid;
    int channels = 0;
    qint64 startFrame = 0, next = 0, end = 0;
    bool wantCorked = false;
    bool failedPosted = false;
    bool allWritten = false; // every frame up to `end` is with the server
    std::vector<char> raw;
    std::vector<float> samples;

    ~MciPlayback()
    {
        if (fd >= 0)
            ::close(fd);
    }

    void post(bool drained)
    {
        MMControl *o = owner;
        const quint64 g = generation;
        if (drained)
            QMetaObject::invokeMethod(o, [o, g] { o->streamDrained(g); }, Qt::QueuedConnection);
        else
            QMetaObject::invokeMethod(o, [o, g] { o->streamFailed(g); }, Qt::QueuedConnection);
    }

    qint64 readFrames(qint64 from, qint64 n)
    {
        const qint64 ba = info.blockAlign;
        raw.resize(size_t(n * ba));
        qint64 got = 0;
        while (got < n * ba) {
            const ssize_t r = ::pread(fd, raw.data() + got, size_t(n * ba - got), off_t(info.dataOffset + from * ba + got));
            if (r < 0 && errno == EINTR)
                continue;
            if (r <= 0)
                break;
            got += r;
        }
        return got / ba;
    }

    void fill(size_t nbytes)
    {
        const qint64 frameBytes = qint64(channels) * qint64(sizeof(float));
        qint64 want = qint64(nbytes) / frameBytes;
        while (want > 0 && next < end) {
            const qint64 n = std::min<qint64>({want, end - next, 8192});
            const qint64 got = readFrames(next, n);
            if (got <= 0) {
                end = next; // the file shrank: end here
                break;
            }
            samples.resize(size_t(got * channels));
            samplesToFloat(raw.data(), format, got * channels, samples.data());
            if (pa_stream_write(stream, samples.data(), size_t(got * frameBytes), nullptr, 0, PA_SEEK_RELATIVE) < 0) {
                end = next;
                break;
            }
            next += got;
            want -= got;
        }
        if (next >= end && !drainOp) {
            // The drain also starts a clip shorter than the pre-buffer.
            allWritten = true;
            drainOp = pa_stream_drain(stream, &MciPlayback::drained, this);
        }
    }

    static void writeCb(pa_stream *, size_t nbytes, void *self) { static_cast<MciPlayback *>(self)->fill(nbytes); }

    static void drained(pa_stream *, int success, void *self)
    {
        auto *p = static_cast<MciPlayback *>(self);
        p->post(success != 0);
    }

    static void stateCb(pa_stream *s, void *self)
    {
        auto *p = static_cast<MciPlayback *>(self);
        switch (pa_stream_get_state(s)) {
        case PA_STREAM_READY:
            if (p->wantCorked)
                if (pa_operation *op = pa_stream_cork(s, 1, nullptr, nullptr))
                    pa_operation_unref(op);
            break;
        case PA_STREAM_FAILED:
        case PA_STREAM_TERMINATED:
            if (!p->failedPosted) {
                p->failedPosted = true;
                p->post(false);
            }
            break;
        default:
            break;
        }
    }

    // Lock held.
    void setCorked(bool corked)
    {
        wantCorked = corked;
        if (stream && pa_stream_get_state(stream) == PA_STREAM_READY)
            if (pa_operation *op = pa_stream_cork(stream, corked ? 1 : 0, nullptr, nullptr))
                pa_operation_unref(op);
    }

    // Lock held.  Frames heard since the start of this play; once the stream
    // has failed, the last count it gave.
    qint64 heard() const
    {
        int64_t frames = 0;
        if (pulse::heardFrames(stream, info.sampleRate, frames))
            lastHeard = frames;
        return lastHeard;
    }
    mutable qint64 lastHeard = 0;

    // Lock held.  No callback runs after this.
    void detach()
    {
        pulse::releaseOperation(drainOp);
        pulse::releaseStream(stream);
    }
};

namespace {

qint64 framesOfMs(qint64 ms, quint32 rate) { return (ms * qint64(rate) + 500) / 1000; }
int msOfFrames(qint64 frames, quint32 rate)
{
    return rate ? int(std::min<qint64>(frames * 1000 / rate, INT_MAX)) : 0;
}

} // namespace

MMControl::MMControl(const QString &name, QObject *parent) : QObject(parent)
{
    setObjectName(name);
    statusTimer_.setInterval(updateInterval_);
    connect(&statusTimer_, &QTimer::timeout, this, &MMControl::StatusUpdate);
    retryTimer_.setSingleShot(true);
    retryTimer_.setInterval(20);
    connect(&retryTimer_, &QTimer::timeout, this, &MMControl::tryStart);
    // The end of a play is when its last frame is heard.  The sound server's
    // drain acknowledgement can come a second or more after that (it waits
    // out the sink's configured latency), so the heard position decides too.
    endTimer_.setInterval(20);
    connect(&endTimer_, &QTimer::timeout, this, &MMControl::checkEnd);
}

MMControl::~MMControl() { teardown(); }

void MMControl::setFrom(int ms)
{
    from_ = ms;
    fromSet_ = true;
}

void MMControl::setUpdateInterval(int ms)
{
    updateInterval_ = std::max(1, ms);
    statusTimer_.setInterval(updateInterval_);
}

void MMControl::setCommand(const QString &word)
{
    command_ = word;
    const QString w = word.trimmed().toLower();
    if (w == QLatin1String("open"))
        open();
    else if (w == QLatin1String("play"))
        play();
    else if (w == QLatin1String("stop"))
        stop();
    else if (w == QLatin1String("pause"))
        pause();
    else if (w == QLatin1String("resume"))
        resume();
    else if (w == QLatin1String("close"))
        close();
}

int MMControl::Position() const
{
    if (mode_ == Mode::Closed)
        return 0;
    return msOfFrames(heardFrame(), info_.sampleRate);
}

qint64 MMControl::heardFrame() const
{
    if (mode_ != Mode::Playing || !playback_)
        return posFrame_;
    PulseLink *link = PulseLink::instance();
    PulseLocker lock(link);
    return std::min(playback_->startFrame + playback_->heard(), playback_->end);
}

void MMControl::open()
{
    close();
    error_.clear();
    info_ = readWavInfo(fileName_);
    if (!info_.ok) {
        error_ = info_.error;
        info_ = WavInfo();
        return;
    }
    length_ = msOfFrames(info_.frames(), info_.sampleRate);
    posFrame_ = 0;
    atEnd_ = false;
    fromSet_ = false;
    mode_ = Mode::Stopped;
    statusTimer_.start();
    // Start connecting to the sound server now, so that "play" finds it ready.
    if (PulseLink *link = PulseLink::instance()) {
        PulseLocker lock(link);
        link->readyContext();
    }
}

void MMControl::play()
{
    if (mode_ == Mode::Closed)
        return;
    if (fromSet_) {
        const qint64 frame = std::clamp<qint64>(framesOfMs(std::max(from_, 0), info_.sampleRate), 0, info_.frames());
        startAt(frame);
    } else if (mode_ == Mode::Paused) {
        resume();
    } else if (mode_ == Mode::Stopped) {
        startAt(atEnd_ || posFrame_ >= info_.frames() ? 0 : posFrame_);
    }
}

void MMControl::startAt(qint64 frame)
{
    teardown();
    ++generation_;
    fromSet_ = false;
    atEnd_ = false;
    posFrame_ = frame;
    mode_ = Mode::Playing;
    retries_ = 0;
    if (frame >= info_.frames()) {
        // Nothing left to hear: the play ends at once.
        const quint64 g = generation_;
        QMetaObject::invokeMethod(this, [this, g] { streamDrained(g); }, Qt::QueuedConnection);
        return;
    }
    tryStart();
}

void MMControl::tryStart()
{
    if ((mode_ != Mode::Playing && mode_ != Mode::Paused) || playback_)
        return;
    PulseLink *link = PulseLink::instance();
    pa_sample_spec spec;
    spec.format = PA_SAMPLE_FLOAT32LE;
    spec.rate = info_.sampleRate;
    spec.channels = quint8(std::min<int>(info_.channels, 255));
    if (!link || info_.channels > PA_CHANNELS_MAX || !pa_sample_spec_valid(&spec)) {
        mode_ = Mode::Stopped; // cannot be played here
        return;
    }
    auto pb = std::make_unique<MciPlayback>();
    pb->owner = this;
    pb->generation = generation_;
    pb->info = info_;
    pb->format = info_.sampleFormat();
    pb->channels = info_.channels;
    pb->startFrame = pb->next = posFrame_;
    pb->end = info_.frames();
    pb->wantCorked = mode_ == Mode::Paused;
    pb->fd = ::open(QFile::encodeName(fileName_).constData(), O_RDONLY | O_CLOEXEC);
    if (pb->fd < 0) {
        mode_ = Mode::Stopped;
        return;
    }

    PulseLocker lock(link);
    pa_context *ctx = link->readyContext();
    if (!ctx) {
        if (++retries_ <= 250) { // about 5 s for the server to answer
            retryTimer_.start();
        } else {
            mode_ = Mode::Stopped;
            error_ = QStringLiteral("No sound server answered; nothing was played.");
        }
        return;
    }
    pb->stream = pulse::newStream(ctx, objectName().toUtf8().constData(), spec, "music");
    if (!pb->stream) {
        mode_ = Mode::Stopped;
        return;
    }
    pa_stream_set_write_callback(pb->stream, &MciPlayback::writeCb, pb.get());
    pa_stream_set_state_callback(pb->stream, &MciPlayback::stateCb, pb.get());
    const pa_buffer_attr attr = pulse::playbackBuffer(spec, 150);
    const auto flags = pa_stream_flags_t(pulse::kTimedPlayback | (pb->wantCorked ? PA_STREAM_START_CORKED : 0));
    if (pa_stream_connect_playback(pb->stream, nullptr, &attr, flags, nullptr, nullptr) < 0) {
        pb->detach();
        mode_ = Mode::Stopped;
        return;
    }
    playback_ = std::move(pb);
    endTimer_.start();
}

void MMControl::checkEnd()
{
    if (mode_ != Mode::Playing || !playback_)
        return;
    bool ended = false;
    {
        PulseLocker lock(PulseLink::instance());
        ended = playback_->allWritten && playback_->startFrame + playback_->heard() >= playback_->end;
    }
    if (ended)
        streamDrained(generation_);
}

void MMControl::teardown()
{
    retryTimer_.stop();
    endTimer_.stop();
    if (!playback_)
        return;
    {
        PulseLocker lock(PulseLink::instance());
        playback_->detach();
    }
    playback_.reset();
}

void MMControl::stop()
{
    if (mode_ != Mode::Playing && mode_ != Mode::Paused)
        return;
    if (mode_ == Mode::Playing)
        posFrame_ = heardFrame();
    teardown();
    ++generation_;
    mode_ = Mode::Stopped;
}

void MMControl::pause()
{
    if (mode_ != Mode::Playing)
        return;
    posFrame_ = heardFrame();
    mode_ = Mode::Paused;
    if (playback_) {
        PulseLocker lock(PulseLink::instance());
        playback_->setCorked(true);
    }
}

void MMControl::resume()
{
    if (mode_ != Mode::Paused)
        return;
    mode_ = Mode::Playing;
    if (playback_) {
        PulseLocker lock(PulseLink::instance());
        playback_->setCorked(false);
    }
}

void MMControl::close()
{
    teardown();
    ++generation_;
    mode_ = Mode::Closed;
    info_ = WavInfo();
    length_ = 0;
    posFrame_ = 0;
    atEnd_ = false;
    statusTimer_.stop();
}

void MMControl::streamDrained(quint64 generation)
{
    if (generation != generation_ || mode_ != Mode::Playing)
        return;
    posFrame_ = info_.frames();
    if (playback_) {
        PulseLocker lock(PulseLink::instance());
        posFrame_ = playback_->end;
    }
    teardown();
    atEnd_ = true;
    mode_ = Mode::Stopped;
    emit Done();
}

void MMControl::streamFailed(quint64 generation)
{
    if (generation != generation_ || (mode_ != Mode::Playing && mode_ != Mode::Paused))
        return;
    stop(); // keeps the position last heard
    error_ = QStringLiteral("The sound server ended the playback.");
}

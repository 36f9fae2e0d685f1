#include "encode/floatstream.h"

#include "base/atomicsave.h"
#include "encode/encoders.h"
#include "encode/wavsource.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {
constexpr qint64 kBlockFrames = 16384;
}

QString cancelledReason() { return QStringLiteral("the save was cancelled"); }

FloatStream::FloatStream(WavSource &source, int rate, int channels)
    : source_(source), rate_(rate ? rate : source.rate()),
      channels_(channels ? channels : source.channels())
{
    if (source.channels() > 2 || channels_ > 2 || channels_ < source.channels()) {
        fail(QStringLiteral("%1 channels cannot be saved in this format (only mono or stereo)").arg(source.channels()));
        return;
    }
    read_.resize(size_t(kBlockFrames * source.channels()));
    frames_ = source.frames();
    if (rate_ == source.rate())
        return;
    frames_ = (source.frames() * rate_ + source.rate() / 2) / source.rate();
    resampler_ = std::make_unique<Resampler>(source.rate(), rate_, unsigned(channels_));
    if (!resampler_->ok())
        fail(QStringLiteral("the sample rate cannot be changed (%1)").arg(resampler_->error()));
}

FloatStream::~FloatStream() = default;

bool FloatStream::fail(const QString &why)
{
    if (error_.isEmpty())
        error_ = why;
    return false;
}

double FloatStream::fraction() const { return source_.fraction(); }

bool FloatStream::next(const float *&frames, qint64 &count)
{
    if (!error_.isEmpty() || ended_)
        return false;
    const qint64 got = source_.read(read_.data(), kBlockFrames);
    if (got < 0)
        return fail(source_.error());
    const float *block = read_.data();
    if (channels_ == 2 && source_.channels() == 1) {
        mapped_.resize(size_t(got) * 2);
        for (qint64 i = 0; i < got; ++i)
            mapped_[size_t(2 * i)] = mapped_[size_t(2 * i + 1)] = read_[size_t(i)];
        block = mapped_.data();
    }
    ended_ = got == 0;
    if (!resampler_) {
        frames = block;
        count = got;
        return !ended_;
    }
    // The end flushes what the filter still holds.
    if (!(ended_ ? resampler_->finish(resampled_) : resampler_->process(block, size_t(got), resampled_)))
        return fail(QStringLiteral("the sample rate cannot be changed (%1)").arg(resampler_->error()));
    // The filter gives a frame more or less than the length at the new rate:
    // the stream is held to that length, so that a ringtone holds exactly
    // its frames.
    if (ended_)
        resampled_.resize(size_t(std::max<qint64>(0, frames_ - given_) * channels_));
    frames = resampled_.data();
    count = std::min(qint64(resampled_.size()) / channels_, frames_ - given_);
    given_ += count;
    // The flush at the end may still hand out a block.
    return count > 0 || !ended_;
}

namespace {

struct Block {
    std::vector<float> frames;
    double fraction = 0; // of the source read with this block
};

// Blocks from the reading thread to the encoding one; a few at most, so
// that reading never runs far ahead.
class BlockQueue {
public:
    // False once the encoding side has stopped taking blocks.
    bool push(Block block)
    {
        std::unique_lock lock(m_);
        roomLeft_.wait(lock, [&] { return stopped_ || blocks_.size() < kMaxBlocks; });
        if (stopped_)
            return false;
        blocks_.push_back(std::move(block));
        filled_.notify_one();
        return true;
    }
    void end(const QString &error)
    {
        std::lock_guard lock(m_);
        ended_ = true;
        error_ = error;
        filled_.notify_one();
    }
    // False at the end of the blocks.
    bool pop(Block &block)
    {
        std::unique_lock lock(m_);
        filled_.wait(lock, [&] { return ended_ || !blocks_.empty(); });
        if (blocks_.empty())
            return false;
        block = std::move(blocks_.front());
        blocks_.pop_front();
        roomLeft_.notify_one();
        return true;
    }
    void stop()
    {
        std::lock_guard lock(m_);
        stopped_ = true;
        roomLeft_.notify_one();
    }
    QString error()
    {
        std::lock_guard lock(m_);
        return error_;
    }

private:
    static constexpr size_t kMaxBlocks = 8;
    std::mutex m_;
    std::condition_variable filled_, roomLeft_;
    std::deque<Block> blocks_;
    bool ended_ = false, stopped_ = false;
    QString error_;
};

} // namespace

// Reading and resampling run on a thread of their own while the encoder
// works on the calling one: on two cores the encoder, by far the larger
// part, then hardly waits. Progress is reported on the calling thread.
QString runFloatEncoder(const EncodeTarget &target, FloatEncoder &encoder, int rate, int channels)
{
    FloatStream stream(target.source, rate, channels);
    if (!stream.error().isEmpty())
        return stream.error();
    encoder.expectFrames(stream.frames());
    if (const QString why = encoder.open(target.out.tempPath(), stream.rate(), stream.channels()); !why.isEmpty())
        return why;
    BlockQueue queue;
    std::thread reader([&] {
        const float *frames = nullptr;
        qint64 count = 0;
        while (stream.next(frames, count))
            if (!queue.push(Block{{frames, frames + count * stream.channels()}, stream.fraction()}))
                return;
        queue.end(stream.error());
    });
    QString why;
    Block block;
    while (why.isEmpty() && queue.pop(block)) {
        if (!target.progress(block.fraction))
            why = cancelledReason();
        else
            why = encoder.write(block.frames.data(), qint64(block.frames.size()) / stream.channels());
    }
    queue.stop();
    reader.join();
    if (why.isEmpty())
        why = queue.error();
    return why.isEmpty() ? encoder.finish() : why;
}

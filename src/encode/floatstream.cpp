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
    read_.resize(size_t(kBlockFrames * source.channels()));
    frames_ = source.frames();
    if (rate_ != source.rate())
        frames_ = (source.frames() * rate_ + source.rate() / 2) / source.rate();
}

FloatStream::~FloatStream() = default;

namespace {
Failure rateNotChanged(const Failure &why)
{
    return Failure(QStringLiteral("the sample rate cannot be changed (%1)").arg(why.text));
}
} // namespace

Result<std::unique_ptr<FloatStream>> FloatStream::make(WavSource &source, int rate, int channels)
{
    std::unique_ptr<FloatStream> stream(new FloatStream(source, rate, channels));
    if (source.channels() > 2 || stream->channels_ > 2 || stream->channels_ < source.channels())
        return Failure(QStringLiteral("%1 channels cannot be saved in this format (only mono or stereo)").arg(source.channels()));
    if (stream->rate_ != source.rate()) {
        Result<std::unique_ptr<Resampler>> resampler = Resampler::make(source.rate(), stream->rate_, unsigned(stream->channels_));
        if (!resampler)
            return rateNotChanged(resampler.failure());
        stream->resampler_ = resampler.take();
    }
    return stream;
}

double FloatStream::fraction() const { return source_.fraction(); }

Result<qint64> FloatStream::next(const float *&frames)
{
    // The filter may hold a whole block back: the stream goes on until it
    // gives frames or ends.
    while (!ended_) {
        const Result<qint64> count = nextBlock(frames);
        if (!count || count.value() > 0)
            return count;
    }
    return qint64(0);
}

Result<qint64> FloatStream::nextBlock(const float *&frames)
{
    const Result<qint64> read = source_.read(read_.data(), kBlockFrames);
    if (!read)
        return read;
    const qint64 got = read.value();
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
        return got;
    }
    // The end flushes what the filter still holds.
    if (const Outcome made = ended_ ? resampler_->finish(resampled_) : resampler_->process(block, size_t(got), resampled_); !made)
        return rateNotChanged(made.failure());
    // The filter gives a frame more or less than the length at the new rate:
    // the stream is held to that length, so that a ringtone holds exactly
    // its frames.
    if (ended_)
        resampled_.resize(size_t(std::max<qint64>(0, frames_ - given_) * channels_));
    frames = resampled_.data();
    const qint64 count = std::min(qint64(resampled_.size()) / channels_, frames_ - given_);
    given_ += count;
    return count;
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
    // The reading side has ended, with this outcome.
    void end(Outcome outcome)
    {
        std::lock_guard lock(m_);
        ended_ = true;
        outcome_ = std::move(outcome);
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
    Outcome outcome()
    {
        std::lock_guard lock(m_);
        return outcome_;
    }

private:
    static constexpr size_t kMaxBlocks = 8;
    std::mutex m_;
    std::condition_variable filled_, roomLeft_;
    std::deque<Block> blocks_;
    bool ended_ = false, stopped_ = false;
    Outcome outcome_;
};

} // namespace

// Reading and resampling run on a thread of their own while the encoder
// works on the calling one: on two cores the encoder, by far the larger
// part, then hardly waits. Progress is reported on the calling thread.
Outcome runFloatEncoder(const EncodeTarget &target, FloatEncoder &encoder, int rate, int channels)
{
    Result<std::unique_ptr<FloatStream>> made = FloatStream::make(target.source, rate, channels);
    if (!made)
        return made.failure();
    FloatStream &stream = *made.value();
    encoder.expectFrames(stream.frames());
    if (Outcome opened = encoder.open(target.out.tempPath(), stream.rate(), stream.channels()); !opened)
        return opened;
    BlockQueue queue;
    std::thread reader([&] {
        const float *frames = nullptr;
        Result<qint64> count = qint64(0);
        while ((count = stream.next(frames)) && count.value() > 0)
            if (!queue.push(Block{{frames, frames + count.value() * stream.channels()}, stream.fraction()}))
                return;
        queue.end(count ? Outcome::success() : Outcome(count.failure()));
    });
    Outcome written;
    Block block;
    while (written && queue.pop(block)) {
        if (!target.progress(block.fraction))
            written = Outcome::failure(cancelledReason());
        else
            written = encoder.write(block.frames.data(), qint64(block.frames.size()) / stream.channels());
    }
    queue.stop();
    reader.join();
    if (written)
        written = queue.outcome();
    return written ? encoder.finish() : written;
}

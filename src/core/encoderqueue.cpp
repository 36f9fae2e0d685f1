#include "core/encoderqueue.h"

#include "encode/mp3enc.h"

EncoderQueue::EncoderQueue(Mp3Enc &encoder, QObject *parent) : QObject(parent), encoder_(encoder)
{
    connect(&encoder_, &Mp3Enc::Finished, this, &EncoderQueue::onFinished);
    connect(&encoder_, &Mp3Enc::Progress, this, &EncoderQueue::progress);
}

void EncoderQueue::start(const QString &inWav, const QString &outMp3, Done done)
{
    // The component raises one Finished() per start, in start order, also
    // for a start it refuses.
    pending_.push_back(std::move(done));
    encoder_.StartEncoding(inWav, outMp3);
}

void EncoderQueue::onFinished()
{
    if (pending_.empty())
        return;
    Done done = std::move(pending_.front());
    pending_.pop_front();
    if (!done)
        return;
    const QString error = encoder_.lastError();
    done(error.isEmpty() ? Outcome::success() : Outcome::failure(error));
}

#include "platform/mp3enc/mp3enc.h"

#include "platform/mp3enc/encodejob.h"

#include <QPointer>
#include <cmath>

Mp3Enc::Mp3Enc(QObject *parent) : QObject(parent) {}

Mp3Enc::~Mp3Enc()
{
    // Cancels the running job (its temporary file goes) and drops waiting
    // ones; their Finished() would have no receiver.
    worker_.reset();
}

void Mp3Enc::setBitRate(const QVariant &value) { bitRate_ = value; }

int Mp3Enc::effectiveBitRate() const
{
    if (!bitRate_.isValid() || bitRate_.isNull())
        return InitialBitRate;
    bool ok = false;
    const double v = bitRate_.toString().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < 1)
        return InitialBitRate;
    return int(std::lround(std::min(v, 320.0)));
}

qint16 Mp3Enc::StartEncoding(const QString &inWav, const QString &outMp3)
{
    mp3enc::Job job;
    job.id = ++nextId_;
    job.in = inWav;
    job.out = outMp3;
    job.kbps = effectiveBitRate();
    if (inWav.trimmed().isEmpty()) {
        job.startError = ErrNoInput;
        job.startReason = QStringLiteral("Cannot encode: no input WAV file was given");
    } else if (outMp3.trimmed().isEmpty()) {
        job.startError = ErrNoOutput;
        job.startReason = QStringLiteral("Cannot encode \"%1\": no output MP3 file was given").arg(inWav);
    }
    lastStarted_ = job.id;
    status_ = job.startError ? job.startError : qint16(StatusBusy);
    const qint16 result = job.startError;

    if (!worker_) {
        // Both callbacks run on the worker thread and hand over to ours.
        worker_ = std::make_unique<mp3enc::Worker>(
            [this](const mp3enc::Job &j, const mp3enc::Result &r) {
                QMetaObject::invokeMethod(this, [this, id = j.id, r] { jobDone(id, r); }, Qt::QueuedConnection);
            },
            [this](const mp3enc::Job &, int percent) {
                QMetaObject::invokeMethod(this, [this, percent] { emit Progress(percent); }, Qt::QueuedConnection);
            });
    }
    // Refused starts go through the queue too, so that every Finished()
    // comes in the order of the starts and lastError() fits it.
    worker_->push(std::move(job));
    return result;
}

void Mp3Enc::jobDone(quint64 id, const mp3enc::Result &r)
{
    lastError_ = r.error;
    if (id == lastStarted_)
        status_ = r.code;
    if (r.code == 0)
        emit Progress(100);
    emit Finished();
}

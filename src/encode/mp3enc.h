#pragma once
#include <QObject>
#include <QString>
#include <QVariant>
#include <memory>

class Mp3EncWorker;
struct Mp3JobEnd;

// The MP3 encoder component: one instance, Mp3Enc1, on the main
// window. It encodes a RIFF WAVE file (any PCM layout libsndfile reads,
// mono or stereo) to a constant-bit-rate MP3 with a LAME info frame through
// the ringtone encoder's MP3 writer (encodeWavToMp3), on one worker thread;
// encodings started while one runs wait their turn.
//
// Every StartEncoding call raises Finished() exactly once, later, queued on
// the thread the component lives in (the user-interface thread), also when
// the encoding failed or could not start; lastError() then says why.
class Mp3Enc : public QObject {
    Q_OBJECT
    Q_PROPERTY(QVariant BitRate READ BitRate WRITE setBitRate)

public:
    static constexpr int InitialBitRate = 128; // kbit/s

    // Status() values. Negative ones are failures.
    enum : qint16 {
        StatusIdle = 0,     // nothing started yet, or the last job ended well
        StatusBusy = 1,     // the last started job is waiting or encoding
        ErrNoInput = -1,    // start: empty input path
        ErrNoOutput = -2,   // start: empty output path
        ErrFailed = -30,    // the encoding failed: lastError() says why
        ErrCancelled = -40, // the component was destroyed
    };

    explicit Mp3Enc(QObject *parent = nullptr);
    ~Mp3Enc() override;

    // Bit rate in kbit/s, kept exactly as given; an empty value or one that
    // is not a number encodes at InitialBitRate.
    void setBitRate(const QVariant &value);
    QVariant BitRate() const { return bitRate_; }
    // The kbit/s an encoding started now would use.
    int effectiveBitRate() const;

    // Queues the encoding of inWav into outMp3 and returns at once: 0 when
    // it was queued, a negative Err code when it could not be (Finished()
    // still follows). The output is written under a temporary name in the
    // output's folder and renamed over outMp3 only when complete.
    qint16 StartEncoding(const QString &inWav, const QString &outMp3);
    // State of the last started job: StatusBusy, StatusIdle (ended well) or
    // its negative Err code.
    qint16 Status() const { return status_; }
    // Why the last finished job failed: names the file; empty on success.
    QString lastError() const { return lastError_; }

signals:
    void Finished();
    // 0..100 for the running job; 100 exactly once, right before the
    // Finished() of a job that succeeded.
    void Progress(int percent);

private:
    void jobDone(quint64 id, const Mp3JobEnd &end);

    QVariant bitRate_{InitialBitRate};
    qint16 status_ = StatusIdle;
    QString lastError_;
    quint64 nextId_ = 0;
    quint64 lastStarted_ = 0;
    std::unique_ptr<Mp3EncWorker> worker_;
};

#pragma once
#include "base/result.h"

#include <QObject>
#include <QString>
#include <deque>
#include <functional>

class Mp3Enc;

// The one way to the MP3 encoder component: every encoding is started here,
// and here its end is told to whoever started it, in the order the
// encodings were started.
class EncoderQueue : public QObject {
    Q_OBJECT
public:
    // Told how the encoding ended; a failure names the file.
    using Done = std::function<void(const Outcome &ended)>;

    explicit EncoderQueue(Mp3Enc &encoder, QObject *parent = nullptr);

    Mp3Enc &encoder() const { return encoder_; }
    // Queues inWav -> outMp3; `done`, when given, is called when it ends,
    // later, also when the component refused to start it.
    void start(const QString &inWav, const QString &outMp3, Done done = {});
    // An encoding is waiting or running.
    bool busy() const { return !pending_.empty(); }

signals:
    // 0..100 for the running encoding.
    void progress(int percent);

private:
    void onFinished();

    Mp3Enc &encoder_;
    std::deque<Done> pending_;
};

#pragma once
#include "base/result.h"
#include "base/wavheader.h"

#include <QFile>
#include <QString>
#include <QtGlobal>
#include <functional>

class AudioStart;

// Decodes a song through the audio library into a WAV clip file of the
// 44-byte layout, block by block. It runs no events: it belongs on a worker
// thread. One decoder decodes one song at a time; several decoders
// may decode at once on threads of their own.
class SongDecoder {
public:
    explicit SongDecoder(AudioStart &audio);

    // Opens the song for decoding (file, then address, then tracker music);
    // fails with "Can't play the file" and the library's code, leaving
    // decChan 0, when none works; a file found silent (no audio stream),
    // encrypted or damaged is named and said so instead.
    Outcome loadmp3(const QString &songPath);
    // Decodes the open song into outputPath. Written beside it and moved
    // into place when complete; fails when nothing usable was decoded or
    // the file could not be written, and before writing anything when the
    // song's length is more than a clip holds.
    Outcome convert2wav(const QString &outputPath);
    // Completes the open output file's sizes and closes it; nothing when
    // none is open.
    void closewav();
    // Releases the open song's stream in the library; decChan becomes 0.
    void closeSong();
    quint32 SetBytePos(quint32 channel, quint64 position);

    quint32 decChan = 0;
    qint32 decLen = 0;
    bool converting = false;
    WavHeader decHdr{};

    // Told the fraction done (0..100) as it grows (by 4 points, or after
    // 100 ms, and at 100), when the length is known.
    std::function<void(int percent)> progress;
    // Called after each block; false stops the decoding and keeps nothing.
    std::function<bool()> betweenBlocks;
    // The largest data size written before decoding stops (signed 32-bit sizes).
    qint64 maxDataSize = kWavMaxDataSize;

private:
    bool finish(bool keep);

    AudioStart &audio_;
    QFile out_;
    QString songPath_;
    QString outputPath_;
    QString problem_;
};

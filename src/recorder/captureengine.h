#pragma once
#include "base/paths.h"
#include "base/result.h"
#include "platform/bass/bass.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstddef>
#include <functional>
#include <mutex>

class AudioStart;
class CommonDialog;
class QWidget;
struct BassApi;

// The recording engine: records 44.1 kHz stereo 16-bit sound into one
// growing memory block that is a complete WAV image (44-byte header, then
// the samples), plays it back and writes it to disk.
//
// CaptureProc runs on the library's thread; everything else on the
// user-interface thread. The buffer and its length are guarded by one
// mutex, and whatever CaptureProc has to tell the user is queued to the
// user-interface thread.
class CaptureEngine : public QObject {
    Q_OBJECT
public:
    static constexpr qint32 kDefaultStep = 200000;

    CaptureEngine(AudioStart &audio, const AppPaths &paths, QWidget *owner);
    ~CaptureEngine() override;

    // Recording channel, non-zero exactly while a recording runs.
    DWORD capChan = 0;
    // Playback stream over the finished image; 0 when there is none.
    DWORD playChan = 0;
    // Selected recording input; -1 when none.
    int capInput = -1;
    // Growth step of the buffer; the first block has exactly this size.
    qint32 capStep = kDefaultStep;
    // The largest image a recording may grow to: its size fields are
    // signed 32-bit numbers.
    qint64 maxImageBytes = 0x7FFFFFFF;
    // Resizes a block like realloc; replaceable to exercise a failing resize.
    std::function<void *(void *, std::size_t)> resizeBlock;

    // The dialog of both save routines.
    CommonDialog *cmd = nullptr;

    // A copy of the image as it is now (empty when there is no buffer).
    QByteArray capImage() const;
    bool hasBuffer() const;
    qint32 capLen() const;
    qint64 capacity() const;

    // Discards an earlier recording and starts a new one.
    void BeginCapture();
    // One block of new samples; 1 to go on recording, 0 to stop.
    BOOL CaptureProc(DWORD handle, const void *buffer, DWORD length, void *user);
    // Stops the recording, completes the header and makes the playback stream.
    void EndCapture();
    // Asks for a name and writes the image there.
    void SaveCaptureWav();
    // Asks for an MP3 name (left in cmd->FileName) and writes the image as
    // the temporary WAV the encoder reads; that file's path, or empty when
    // nothing was written.
    QString SaveCaptureMp3(bool encoderBusy);
    // Shows the selected input's level and type (inputShown).
    void ShowInputType();

    // Discards any earlier recording's buffer and writes a fresh header:
    // the first steps of BeginCapture. False when the block cannot be had.
    bool newBuffer();
    // After the recording side of the library was freed: drops the stream
    // and the buffer and forgets both handles.
    void release();

signals:
    // Recording, playback stream or buffer changed; always on the
    // user-interface thread.
    void changed();
    void inputShown(int level, const QString &typeName);
    // Something the user must be told; always on the user-interface thread.
    void failed(const Failure &failure);

private:
    const BassApi *bass() const;
    void freeBuffer();
    void freePlayback();
    // Writes the image to `path` through a file beside it that replaces it
    // when complete; reports a failure.
    bool writeImage(const QString &path);
    bool askFileName(const QString &filter, const QString &defaultExt);
    void failFromCallback(quint64 recording, bool outOfMemory);

    AudioStart &audio_;
    AppPaths paths_;
    QWidget *owner_;

    mutable std::mutex lock_; // guards the four below
    char *capBuf_ = nullptr;
    qint32 capLen_ = 0;
    qint64 capacity_ = 0;
    bool refusing_ = false;   // the callback stopped this recording
    quint64 recording_ = 0;   // counts buffers, so late news of an old one is dropped
};

// Bits 0-15 of a value.
DWORD LowWord(DWORD value);
// The name of an input type (the top byte of an input's setting).
QString inputTypeName(DWORD setting);

#include "recorder/captureengine.h"

#include "audio/audiostart.h"
#include "audio/basslib.h"
#include "base/atomicsave.h"
#include "base/wavheader.h"
#include "platform/dialogs/dialogs.h"

#include <QFile>
#include <QWidget>
#include <QtEndian>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr DWORD kRate = 44100;
constexpr DWORD kChannels = 2;
constexpr quint16 kBits = 16;

BOOL recordProc(DWORD handle, const void *buffer, DWORD length, void *user)
{
    return static_cast<CaptureEngine *>(user)->CaptureProc(handle, buffer, length, user);
}

} // namespace

CaptureEngine::CaptureEngine(AudioStart &audio, const AppPaths &paths, QWidget *owner)
    : QObject(owner), audio_(audio), paths_(paths), owner_(owner)
{
    resizeBlock = [](void *block, std::size_t size) { return std::realloc(block, size); };
    cmd = new CommonDialog(owner, QStringLiteral("cmd"));
}

CaptureEngine::~CaptureEngine()
{
    // The library may be gone already: only the memory is ours to free.
    std::lock_guard<std::mutex> guard(lock_);
    freeBuffer();
}

const BassApi *CaptureEngine::bass() const { return audio_.api(); }

QByteArray CaptureEngine::capImage() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return capBuf_ ? QByteArray(capBuf_, capLen_) : QByteArray();
}

bool CaptureEngine::hasBuffer() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return capBuf_ != nullptr;
}

qint32 CaptureEngine::capLen() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return capLen_;
}

qint64 CaptureEngine::capacity() const
{
    std::lock_guard<std::mutex> guard(lock_);
    return capacity_;
}

// Called with lock_ held.
void CaptureEngine::freeBuffer()
{
    std::free(capBuf_);
    capBuf_ = nullptr;
    capLen_ = 0;
    capacity_ = 0;
}

void CaptureEngine::freePlayback()
{
    if (playChan && bass())
        bass()->BASS_StreamFree(playChan);
    playChan = 0;
}

bool CaptureEngine::newBuffer()
{
    freePlayback();
    {
        std::lock_guard<std::mutex> guard(lock_);
        freeBuffer();
        ++recording_;
        refusing_ = false;
        capBuf_ = static_cast<char *>(resizeBlock(nullptr, std::size_t(capStep)));
        if (capBuf_) {
            WavHeader header = WavHeader::make(kChannels, kRate, kBits);
            header.riffSize = 0; // both sizes stay 0 until EndCapture
            const QByteArray bytes = wavHeaderBytes(header);
            std::memcpy(capBuf_, bytes.constData(), kWavHeaderSize);
            capLen_ = kWavHeaderSize;
            capacity_ = capStep;
        }
    }
    if (!hasBuffer()) {
        emit failed(AudioStart::outOfMemory(QStringLiteral("Out of memory!")));
        emit changed();
        return false;
    }
    emit changed();
    return true;
}

void CaptureEngine::BeginCapture()
{
    if (!newBuffer())
        return;
    const BassApi *b = bass();
    capChan = b ? b->BASS_RecordStart(kRate, kChannels, 0, &recordProc, this) : 0;
    if (!capChan) {
        emit failed(audio_.libraryFailure(QStringLiteral("Couldn't start recording")));
        std::lock_guard<std::mutex> guard(lock_);
        freeBuffer();
    }
    emit changed();
}

BOOL CaptureEngine::CaptureProc(DWORD, const void *buffer, DWORD length, void *)
{
    std::unique_lock<std::mutex> guard(lock_);
    if (refusing_ || !capBuf_)
        return 0;
    const qint64 wanted = qint64(capLen_) + length;
    if (wanted > maxImageBytes) {
        refusing_ = true;
        const quint64 recording = recording_;
        guard.unlock();
        failFromCallback(recording, false);
        return 0;
    }
    // Grows about once per step rather than once per block; the new size is
    // capLen + length + capStep, which always leaves room up to the next
    // multiple of the step.
    if (capLen_ % capStep + qint64(length) >= capStep || wanted > capacity_) {
        const qint64 size = std::llround((double(wanted) / capStep + 1) * capStep);
        void *grown = resizeBlock(capBuf_, std::size_t(size));
        if (!grown) {
            freeBuffer();
            refusing_ = true;
            const quint64 recording = recording_;
            guard.unlock();
            failFromCallback(recording, true);
            return 0;
        }
        capBuf_ = static_cast<char *>(grown);
        capacity_ = size;
    }
    std::memcpy(capBuf_ + capLen_, buffer, length);
    capLen_ = qint32(wanted);
    return 1;
}

// The callback has stopped the recording; the user hears of it on the
// user-interface thread, unless that recording has been replaced meanwhile.
void CaptureEngine::failFromCallback(quint64 recording, bool outOfMemory)
{
    QMetaObject::invokeMethod(
        this,
        [this, recording, outOfMemory] {
            {
                std::lock_guard<std::mutex> guard(lock_);
                if (recording != recording_)
                    return;
            }
            if (outOfMemory) {
                if (capChan && bass())
                    bass()->BASS_ChannelStop(capChan);
                capChan = 0;
                emit failed(AudioStart::outOfMemory(QStringLiteral("Out of memory!")));
            } else {
                // What was recorded is kept, as if Stop had been pressed.
                if (capChan)
                    EndCapture();
                emit failed(Failure{QStringLiteral("The recording was stopped: a WAV file cannot hold more than 2 GB."),
                                    {}, {}, false});
            }
            emit changed();
        },
        Qt::QueuedConnection);
}

void CaptureEngine::EndCapture()
{
    const BassApi *b = bass();
    if (b)
        b->BASS_ChannelStop(capChan);
    capChan = 0;
    freePlayback();
    {
        std::lock_guard<std::mutex> guard(lock_);
        refusing_ = true; // a finished image never grows again
        if (capBuf_) {
            qToLittleEndian<qint32>(capLen_ - 8, capBuf_ + kWavRiffSizeOffset);
            qToLittleEndian<qint32>(capLen_ - kWavHeaderSize, capBuf_ + kWavDataSizeOffset);
            if (b)
                playChan = b->BASS_StreamCreateFile(1, capBuf_, 0, QWORD(capLen_), 0);
        }
    }
    emit changed();
}

void CaptureEngine::release()
{
    freePlayback();
    {
        std::lock_guard<std::mutex> guard(lock_);
        freeBuffer();
        ++recording_;
    }
    capChan = 0;
    emit changed();
}

bool CaptureEngine::askFileName(const QString &filter, const QString &defaultExt)
{
    // The image is complete only once the recording has ended.
    if (capChan)
        return false;
    cmd->DialogTitle = QStringLiteral("Save As...");
    cmd->Filter = filter;
    cmd->DefaultExt = defaultExt;
    return cmd->ShowSave();
}

bool CaptureEngine::writeImage(const QString &path)
{
    QString failure;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (!capBuf_)
            return false;
        failure = writeFileAtomically(path, QByteArray::fromRawData(capBuf_, capLen_)).error();
    }
    if (failure.isEmpty())
        return true;
    emit failed(audio_.libraryFailure(QStringLiteral("Can't create the file\r\n%1: %2").arg(path, failure)));
    return false;
}

void CaptureEngine::SaveCaptureWav()
{
    if (askFileName(QStringLiteral("WAV files|*.wav|All files|*.*"), QStringLiteral("wav")))
        writeImage(cmd->FileName);
}

QString CaptureEngine::SaveCaptureMp3(bool encoderBusy)
{
    if (!askFileName(QStringLiteral("MP3 files|*.MP3"), QStringLiteral("mp3")))
        return {};
    QString temp = paths_.recorderTempFile();
    // An encoding that waits its turn would read a replaced file: take a
    // name no earlier encoding was given.
    for (int n = 2; encoderBusy && QFile::exists(temp); ++n)
        temp = paths_.workFile(QStringLiteral("tempwav%1.wav").arg(n));
    return writeImage(temp) ? temp : QString();
}

void CaptureEngine::ShowInputType()
{
    const BassApi *b = bass();
    if (!b)
        return;
    const DWORD setting = b->BASS_RecordGetInput(capInput);
    emit inputShown(int(LowWord(setting)), inputTypeName(setting));
}

DWORD LowWord(DWORD value) { return value & 0xFFFFu; }

QString inputTypeName(DWORD setting)
{
    static const char *const names[] = {"Digital",   "Line-in",   "Microphone", "Midi synth", "Analog CD",
                                        "Telephone", "PC Speaker", "Wave/PCM",  "Aux",        "Analog"};
    const DWORD type = (setting & BASS_INPUT_TYPE_MASK) >> 24;
    if (type >= 1 && type <= std::size(names))
        return QString::fromLatin1(names[type - 1]);
    return QStringLiteral("UnSupport");
}

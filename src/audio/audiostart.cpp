#include "audio/audiostart.h"

#include "audio/basslib.h"
#include "platform/dialogs/dialogs.h"

#include <QDir>
#include <QWidget>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

AudioStart::AudioStart(QWidget *owner, const AppPaths &paths) : owner_(owner), paths_(paths)
{
    terminate = [] { std::_Exit(1); };
}

AudioStart::~AudioStart() = default;

const BassApi *AudioStart::api() const { return library_ ? &library_->api() : nullptr; }

bool AudioStart::fail(const QString &text, const QString &caption)
{
    dialogs::MsgBox(owner_, text, dialogs::Buttons::Ok, caption, dialogs::Icon::Critical);
    terminate();
    return false;
}

bool AudioStart::checkLibrary()
{
    QDir::setCurrent(paths_.appDir);
    const QString file = RPP(paths_.appDir) + QStringLiteral("libbass.so");
    if (!FileExists(file))
        return fail(QStringLiteral("BASS.DLL does not exists"), QStringLiteral("BASS.DLL"));
    if (!library_) {
        // A library that cannot be loaded or lacks a call is not the right one.
        QString error;
        library_ = BassLibrary::load(file, &error);
    }
    if (!library_ || library_->api().BASS_GetVersion() != quint32(JoinWords(2, 2))) {
        library_.reset();
        return fail(QStringLiteral("BASS version 2.2 was not loaded"), QStringLiteral("Incorrect BASS.DLL"));
    }
    return true;
}

bool AudioStart::initwav()
{
    if (!checkLibrary())
        return false;
    const BassApi &bass = library_->api();
    bass.BASS_SetConfig(1, 0);
    if (!bass.BASS_Init(0, 44100, 0, owner_, nullptr)) {
        ReportError(QStringLiteral("Can't initialize device"));
        terminate();
        return false;
    }
    return true;
}

void AudioStart::ReportError(const QString &message)
{
    ReportError(message, library_ ? library_->api().BASS_ErrorGetCode() : 0);
}

void AudioStart::ReportError(const QString &message, int code)
{
    dialogs::MsgBox(owner_, message + QStringLiteral("\r\n\r\nerror code: ") + QString::number(code),
                    dialogs::Buttons::Ok, QStringLiteral("Error"), dialogs::Icon::Warning);
}

qint32 JoinWords(qint32 low, qint32 high)
{
    if (high < -32768 || high > 32767)
        throw std::overflow_error("JoinWords: high word out of range");
    return qint32(quint32(high) << 16 | quint32(low & 0xFFFF));
}

QString PtrToStr(const char *text)
{
    if (!text)
        return QString();
    return QString::fromLocal8Bit(text, qsizetype(std::strlen(text)));
}

#include "audio/audiostart.h"

#include "audio/basslib.h"

#include <QDir>
#include <cstring>
#include <stdexcept>

AudioStart::AudioStart(const AppPaths &paths) : paths_(paths) {}

AudioStart::~AudioStart() = default;

const BassApi *AudioStart::api() const { return library_ ? &library_->api() : nullptr; }

Failure AudioStart::libraryFailure(const QString &message) const
{
    return Failure{message, {}, library_ ? library_->api().BASS_ErrorGetCode() : 0, false};
}

Failure AudioStart::outOfMemory(const QString &message) { return Failure{message, {}, BASS_ERROR_MEM, false}; }

QString AudioStart::describe(const Failure &failure) const
{
    if (!failure.libraryCode)
        return failure.text;
    const QString words = library_ ? PtrToStr(library_->api().BASS_ErrorText(*failure.libraryCode)) : QString();
    return words.isEmpty() ? QStringLiteral("%1 (audio library error %2)").arg(failure.text).arg(*failure.libraryCode)
                           : QStringLiteral("%1 (audio library error %2: %3)").arg(failure.text).arg(*failure.libraryCode).arg(words);
}

namespace {
Failure fatal(const QString &text, const QString &caption) { return Failure{text, caption, {}, true}; }
} // namespace

Outcome AudioStart::checkLibrary()
{
    QDir::setCurrent(paths_.appDir);
    const QString file = RPP(paths_.appDir) + QStringLiteral("libbass.so");
    if (!FileExists(file))
        return fatal(QStringLiteral("BASS.DLL does not exists"), QStringLiteral("BASS.DLL"));
    if (!library_) {
        // A library that cannot be loaded or lacks a call is not the right one.
        library_ = BassLibrary::load(file).take();
    }
    if (!library_ || library_->api().BASS_GetVersion() != quint32(JoinWords(2, 2))) {
        library_.reset();
        return fatal(QStringLiteral("BASS version 2.2 was not loaded"), QStringLiteral("Incorrect BASS.DLL"));
    }
    return Outcome::success();
}

Outcome AudioStart::initwav()
{
    if (Outcome checked = checkLibrary(); !checked)
        return checked;
    const BassApi &bass = library_->api();
    bass.BASS_SetConfig(BASS_CONFIG_UPDATEPERIOD, 0);
    if (!bass.BASS_Init(0, 44100, 0, nullptr, nullptr)) {
        Failure failure = libraryFailure(QStringLiteral("Can't initialize device"));
        failure.fatal = true;
        return failure;
    }
    return Outcome::success();
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

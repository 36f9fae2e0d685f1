#include "core/fadesettings.h"

#include "base/atomicsave.h"
#include "edits/fades.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace {

const QByteArray kFadeIn = "FadeIn", kFadeOut = "FadeOut";

double offeredLength(double seconds)
{
    if (!std::isfinite(seconds))
        return 0;
    const double stepped = std::round(seconds / kFadeStepSeconds) * kFadeStepSeconds;
    return std::clamp(stepped, 0.0, kFadeMaxSeconds);
}

} // namespace

FadeLengths FadeLengths::offered() const { return {offeredLength(inSeconds), offeredLength(outSeconds)}; }

FadeLengths readFadeSettings(const QString &path)
{
    FadeLengths fades;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fades;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const int equals = line.indexOf('=');
        bool ok = false;
        const double value = line.mid(equals + 1).trimmed().toDouble(&ok);
        if (equals < 0 || !ok)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        if (key == kFadeIn)
            fades.inSeconds = value;
        else if (key == kFadeOut)
            fades.outSeconds = value;
    }
    return fades.offered();
}

Outcome writeFadeSettings(const QString &path, const FadeLengths &fades)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray content = kFadeIn + '=' + QByteArray::number(fades.inSeconds) + '\n' + kFadeOut + '=' +
                               QByteArray::number(fades.outSeconds) + '\n';
    if (Outcome written = writeFileAtomically(path, content); !written)
        return Outcome::failure(QStringLiteral("The settings could not be saved to %1: %2").arg(path, written.error()));
    return Outcome::success();
}

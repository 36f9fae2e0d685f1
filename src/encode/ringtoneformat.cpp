#include "encode/ringtoneformat.h"

#include <QFileInfo>
#include <array>

namespace {

struct FormatName {
    RingtoneFormat format;
    const char *extension;
    const char *filter;
};

constexpr std::array<FormatName, 6> kFormats{{
    {RingtoneFormat::M4r, "m4r", "iPhone ringtone (*.m4r)"},
    {RingtoneFormat::Ogg, "ogg", "Ogg Vorbis (*.ogg)"},
    {RingtoneFormat::Opus, "opus", "Opus (*.opus)"},
    {RingtoneFormat::Flac, "flac", "FLAC (*.flac)"},
    {RingtoneFormat::Mp3, "mp3", "MP3 (*.mp3)"},
    {RingtoneFormat::Wav, "wav", "WAV (*.wav)"},
}};

const FormatName &entry(RingtoneFormat format)
{
    for (const FormatName &f : kFormats)
        if (f.format == format)
            return f;
    return kFormats.front();
}

} // namespace

QStringList ringtoneFilters()
{
    QStringList filters;
    for (const FormatName &f : kFormats)
        filters << QString::fromLatin1(f.filter);
    return filters;
}

QString filterFor(RingtoneFormat format) { return QString::fromLatin1(entry(format).filter); }

QString extensionFor(RingtoneFormat format) { return QString::fromLatin1(entry(format).extension); }

RingtoneFormat formatForFilter(const QString &filter)
{
    for (const FormatName &f : kFormats)
        if (filter == QLatin1String(f.filter))
            return f.format;
    return RingtoneFormat::M4r;
}

NamedFormat formatForName(const QString &fileName, RingtoneFormat filterFormat)
{
    const QString typed = QFileInfo(fileName).suffix();
    for (const FormatName &f : kFormats)
        if (typed.compare(QLatin1String(f.extension), Qt::CaseInsensitive) == 0)
            return {f.format, fileName};
    return {filterFormat, fileName + QLatin1Char('.') + extensionFor(filterFormat)};
}

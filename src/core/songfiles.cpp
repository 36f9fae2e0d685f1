#include "core/songfiles.h"

#include <QFileInfo>

const QStringList &songExtensions()
{
    static const QStringList extensions = {
        "wav", "mp3", "flac", "ogg", "oga", "opus", "m4a", "aac", "aif", "aiff", "aifc", "wma", "mka",
        "mp4", "m4v", "mov", "mkv", "webm", "avi"};
    return extensions;
}

bool isSongFile(const QString &path) { return songExtensions().contains(QFileInfo(path).suffix().toLower()); }

QString songFileFilter()
{
    QStringList patterns;
    for (const QString &e : songExtensions())
        patterns << QStringLiteral("*.") + e;
    // The dialog shows each entry's patterns after its name.
    return QStringLiteral("Audio and video files|%1|All files|*").arg(patterns.join(QLatin1Char(';')));
}

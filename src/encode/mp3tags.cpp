#include "encode/mp3tags.h"

#include "base/atomicsave.h"
#include "base/filecopy.h"
#include "base/paths.h"

#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <unistd.h>

namespace {
bool syncFile(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    return synced;
}
} // namespace

Outcome tagSavedMp3(const QString &path, const SongTags &song)
{
    const QFileInfo info(path);
    const QString copy = info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".tags");
    if (Outcome copied = copyFileAtomically(path, copy); !copied)
        return copied;
    const QString why = writeTags(copy, RingtoneFormat::Mp3, tagsForOutput(song, path));
    if (!why.isEmpty() || !syncFile(copy) || !replaceFile(copy, path)) {
        const QString reason = why.isEmpty() ? lastSystemError() : why;
        QFile::remove(copy);
        return Outcome::failure(QStringLiteral("The tags could not be written into %1: %2").arg(path, reason));
    }
    return Outcome::success();
}

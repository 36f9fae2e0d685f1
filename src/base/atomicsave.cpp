#include "base/atomicsave.h"

#include "base/filecopy.h"
#include "base/paths.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Owns a file descriptor; closes it when it goes.
struct Fd {
    int fd = -1;
    ~Fd() { reset(); }
    int reset()
    {
        const int rc = fd >= 0 ? ::close(fd) : 0;
        fd = -1;
        return rc;
    }
};

// Creates a new hidden file beside the target: ".<name>.<random>.part".
QString createBeside(const QString &target, Fd &out)
{
    const QFileInfo info(target);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString path = info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                             QStringLiteral(".%1.part").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        out.fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (out.fd >= 0)
            return path;
        if (errno != EEXIST)
            break;
    }
    return {};
}

// Fills the new file with `size` bytes of `inFd`, gives it the mode of the
// file it replaces (when there is one), syncs and closes it. The failure, or
// empty.
QString fillCopy(int inFd, qint64 size, Fd &out, const struct stat *replaced)
{
    QString why;
    if (!copyFileBytes(inFd, 0, out.fd, size, &why))
        return why;
    if (replaced && ::fchmod(out.fd, replaced->st_mode & 07777) != 0)
        return lastSystemError();
    if (::fsync(out.fd) != 0)
        return lastSystemError();
    if (out.reset() != 0)
        return lastSystemError();
    return {};
}

} // namespace

Outcome copyFileAtomically(const QString &source, const QString &target)
{
    Fd in;
    in.fd = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    struct stat inStat {};
    if (in.fd < 0 || ::fstat(in.fd, &inStat) != 0)
        return Outcome::failure(QStringLiteral("Cannot read %1: %2").arg(source, lastSystemError()));

    Fd out;
    const QString temp = createBeside(target, out);
    if (temp.isEmpty())
        return Outcome::failure(QStringLiteral("Cannot write %1: %2").arg(target, lastSystemError()));

    struct stat old {};
    const bool hadOld = ::stat(QFile::encodeName(target).constData(), &old) == 0 && S_ISREG(old.st_mode);
    QString why = fillCopy(in.fd, qint64(inStat.st_size), out, hadOld ? &old : nullptr);
    if (why.isEmpty() && !replaceFile(temp, target))
        why = lastSystemError();
    if (why.isEmpty())
        return Outcome::success();
    ::unlink(QFile::encodeName(temp).constData());
    return Outcome::failure(QStringLiteral("Cannot write %1: %2").arg(target, why));
}

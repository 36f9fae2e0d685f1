#include "encode/atomicoutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QByteArray native(const QString &path) { return QFile::encodeName(path); }
} // namespace

QString systemError(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

QString cannotSave(const QString &path, const QString &reason)
{
    return QStringLiteral("Cannot save \"%1\": %2").arg(QDir::toNativeSeparators(path), reason);
}

AtomicOutput::AtomicOutput(const QString &target) : target_(target)
{
    const QFileInfo info(target);
    if (info.isDir()) {
        error_ = QStringLiteral("it is a folder");
        return;
    }
    int err = EEXIST;
    for (int attempt = 0; attempt < 16 && err == EEXIST; ++attempt) {
        const QString path = info.absolutePath() + QStringLiteral("/.") + info.fileName()
                             + QStringLiteral(".%1.part").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        fd_ = ::open(native(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            temp_ = path;
            return;
        }
        err = errno;
    }
    error_ = systemError(err);
}

AtomicOutput::~AtomicOutput() { discard(); }

void AtomicOutput::discard()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temp_.isEmpty())
        ::unlink(native(temp_).constData());
    temp_.clear();
}

QString AtomicOutput::write(const void *data, size_t size) const
{
    const char *p = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd_, p, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return systemError(errno);
        p += written;
        size -= size_t(written);
    }
    return {};
}

QString AtomicOutput::commit()
{
    if (fd_ < 0)
        return error_;
    struct stat old {};
    if (::stat(native(target_).constData(), &old) == 0 && S_ISREG(old.st_mode)
        && ::fchmod(fd_, old.st_mode & 07777) != 0)
        return systemError(errno);
    // Other writers may have written through their own descriptors: the
    // sync covers the file, whichever descriptor asks.
    if (::fsync(fd_) != 0)
        return systemError(errno);
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0)
        return systemError(errno);
    if (std::rename(native(temp_).constData(), native(target_).constData()) != 0)
        return systemError(errno);
    temp_.clear();
    // The rename itself reaches the disk with the folder's sync.
    const int dir = ::open(native(QFileInfo(target_).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

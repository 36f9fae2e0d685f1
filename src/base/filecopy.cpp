#include "base/filecopy.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr qint64 kBufferBytes = 1 << 20;

QString systemError(const char *what) { return QStringLiteral("%1: %2").arg(QLatin1String(what), lastSystemError()); }

// The kernel copy; returns the bytes moved before it stopped (all of them,
// unless the file systems do not support it or something failed).
qint64 kernelCopy(int inFd, qint64 inOffset, int outFd, qint64 length)
{
    loff_t in = inOffset;
    qint64 done = 0;
    while (done < length) {
        const ssize_t n = ::copy_file_range(inFd, &in, outFd, nullptr, size_t(std::min<qint64>(length - done, 1 << 30)), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

} // namespace

Outcome writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Outcome::failure(n < 0 ? systemError("write") : QStringLiteral("write: nothing written"));
        data += n;
        size -= n;
    }
    return Outcome::success();
}

Outcome copyFileBytes(int inFd, qint64 inOffset, int outFd, qint64 length)
{
    // Whatever the kernel copy left over goes through the buffer, which also
    // tells a real read or write failure from an unsupported kernel copy.
    qint64 done = kernelCopy(inFd, inOffset, outFd, length);
    if (done == length)
        return Outcome::success();
    std::vector<char> buffer(size_t(std::min(kBufferBytes, length - done)));
    while (done < length) {
        const ssize_t n = ::pread(inFd, buffer.data(), size_t(std::min<qint64>(qint64(buffer.size()), length - done)),
                                  off_t(inOffset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Outcome::failure(n < 0 ? systemError("read") : QStringLiteral("the file ended early"));
        if (Outcome written = writeAll(outFd, buffer.data(), n); !written)
            return written;
        done += n;
    }
    return Outcome::success();
}

QString lastSystemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

void syncFolderOf(const QString &path)
{
    const int dir = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

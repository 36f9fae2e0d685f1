#include "shell/instancelock.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The open file is still the one at the path: an owner that ends removes
// the lock file, and a lock taken on a removed file would keep nobody out.
bool stillAtPath(int fd, const QByteArray &path)
{
    struct stat opened {}, named {};
    return ::fstat(fd, &opened) == 0 && ::stat(path.constData(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

} // namespace

InstanceLock::InstanceLock(QString lockFile) : path_(std::move(lockFile)) { tryLock(); }

InstanceLock::~InstanceLock() { release(); }

void InstanceLock::release()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

InstanceLock::State InstanceLock::tryLock()
{
    if (state_ == State::Owned)
        return state_;
    const QByteArray path = QFile::encodeName(path_);
    // A few rounds cover an owner that removes the file between our open and our lock.
    for (int round = 0; round < 5; ++round) {
        release();
        fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) {
            error_ = QStringLiteral("%1: %2").arg(path_, QString::fromLocal8Bit(std::strerror(errno)));
            return state_ = State::Unusable;
        }
        if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            release();
            if (err == EWOULDBLOCK) {
                error_.clear();
                return state_ = State::Held;
            }
            error_ = QStringLiteral("%1: %2").arg(path_, QString::fromLocal8Bit(std::strerror(err)));
            return state_ = State::Unusable;
        }
        if (stillAtPath(fd_, path)) {
            error_.clear();
            return state_ = State::Owned;
        }
    }
    release();
    return state_ = State::Held;
}

#include "base/atomicsave.h"

#include "base/filecopy.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {
QByteArray native(const QString &path) { return QFile::encodeName(path); }

// A free hidden name beside `target`: ".<name>.<random><suffix>".
QString hiddenNameBeside(const QString &target, const char *suffix)
{
    const QFileInfo info(target);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName()
           + QStringLiteral(".%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'))
           + QLatin1String(suffix);
}
} // namespace

Result<AtomicOutput> AtomicOutput::open(const QString &target)
{
    if (QFileInfo(target).isDir())
        return Result<AtomicOutput>::failure(QStringLiteral("it is a folder"));
    int err = EEXIST;
    for (int attempt = 0; attempt < 16 && err == EEXIST; ++attempt) {
        const QString path = hiddenNameBeside(target, ".part");
        const int fd = ::open(native(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return AtomicOutput(target, path, fd);
        err = errno;
    }
    errno = err;
    return Result<AtomicOutput>::failure(lastSystemError());
}

AtomicOutput::AtomicOutput(const QString &target, const QString &temp, int fd) : target_(target), temp_(temp), fd_(fd) {}

AtomicOutput::AtomicOutput(AtomicOutput &&other) noexcept
    : target_(std::move(other.target_)), temp_(std::exchange(other.temp_, QString())),
      fd_(std::exchange(other.fd_, -1)), device_(std::move(other.device_))
{
}

AtomicOutput::~AtomicOutput() { discard(); }

QFile &AtomicOutput::device()
{
    if (!device_) {
        device_ = std::make_unique<QFile>();
        if (fd_ >= 0)
            device_->open(fd_, QIODevice::ReadWrite | QIODevice::Unbuffered, QFileDevice::DontCloseHandle);
    }
    return *device_;
}

void AtomicOutput::discard()
{
    device_.reset();
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temp_.isEmpty())
        ::unlink(native(temp_).constData());
    temp_.clear();
}

Outcome AtomicOutput::write(const void *data, size_t size) const
{
    return writeAll(fd_, static_cast<const char *>(data), qint64(size));
}

Outcome AtomicOutput::commit()
{
    // Committed already; or closed by a commit that failed.
    if (fd_ < 0)
        return temp_.isEmpty() ? Outcome::success() : Outcome::failure(QStringLiteral("the file could not be closed"));
    device_.reset();
    const auto systemFailure = [] { return Outcome::failure(lastSystemError()); };
    struct stat old {};
    if (::stat(native(target_).constData(), &old) == 0 && S_ISREG(old.st_mode)
        && ::fchmod(fd_, old.st_mode & 07777) != 0)
        return systemFailure();
    // Other writers may have written through their own descriptors: the
    // sync covers the file, whichever descriptor asks.
    if (::fsync(fd_) != 0)
        return systemFailure();
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0)
        return systemFailure();
    if (std::rename(native(temp_).constData(), native(target_).constData()) != 0)
        return systemFailure();
    temp_.clear();
    syncFolderOf(target_);
    return Outcome::success();
}

namespace {
// The bytes of `in` into a new `target`, changed by `finish`; the failure's
// text is the reason alone.
Outcome copyInto(int in, qint64 size, const QString &target, const std::function<Outcome(const QString &copy)> &finish)
{
    Result<AtomicOutput> opened = AtomicOutput::open(target);
    if (!opened)
        return opened.failure();
    AtomicOutput &out = opened.value();
    if (Outcome copied = copyFileBytes(in, 0, out.fd(), size); !copied)
        return copied;
    if (finish)
        if (Outcome finished = finish(out.tempPath()); !finished)
            return finished;
    return out.commit();
}
} // namespace

Outcome copyFileAtomically(const QString &source, const QString &target,
                           const std::function<Outcome(const QString &copy)> &finish)
{
    const int in = ::open(native(source).constData(), O_RDONLY | O_CLOEXEC);
    struct stat inStat {};
    if (in < 0 || ::fstat(in, &inStat) != 0) {
        const QString why = lastSystemError();
        if (in >= 0)
            ::close(in);
        return Outcome::failure(QStringLiteral("Cannot read %1: %2").arg(source, why));
    }
    const Outcome copied = copyInto(in, qint64(inStat.st_size), target, finish);
    ::close(in);
    return copied ? copied : Outcome::failure(QStringLiteral("Cannot write %1: %2").arg(target, copied.error()));
}

Outcome writeFileAtomically(const QString &target, const QByteArray &bytes)
{
    Result<AtomicOutput> opened = AtomicOutput::open(target);
    if (!opened)
        return opened.failure();
    AtomicOutput &out = opened.value();
    if (const Outcome written = out.write(bytes.constData(), size_t(bytes.size())); !written)
        return written;
    return out.commit();
}

Outcome addSecondName(const QString &file, const QString &name)
{
    int err = EEXIST;
    for (int attempt = 0; attempt < 16 && err == EEXIST; ++attempt) {
        const QString link = hiddenNameBeside(name, ".link");
        if (::link(native(file).constData(), native(link).constData()) != 0) {
            err = errno;
            continue;
        }
        const bool renamed = std::rename(native(link).constData(), native(name).constData()) == 0;
        const QString why = lastSystemError();
        // Also when `name` already was a name of `file`: the rename then
        // leaves both names.
        ::unlink(native(link).constData());
        return renamed ? Outcome::success() : Outcome::failure(QStringLiteral("Cannot write %1: %2").arg(name, why));
    }
    if (err == EXDEV || err == EPERM || err == EMLINK || err == EOPNOTSUPP)
        return copyFileAtomically(file, name);
    errno = err;
    return Outcome::failure(QStringLiteral("Cannot write %1: %2").arg(name, lastSystemError()));
}

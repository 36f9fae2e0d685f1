#include "faultguards.h"

#include "testenv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <csignal>
#include <sys/mount.h>
#include <unistd.h>

QMap<QString, QByteArray> folderSnapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, readFile(path));
    }
    return files;
}

namespace {
constexpr QFileDevice::Permissions kReadOnly =
    QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadUser | QFileDevice::ExeUser;
constexpr QFileDevice::Permissions kWritable = kReadOnly | QFileDevice::WriteOwner | QFileDevice::WriteUser;
} // namespace

ReadOnlyFolder::ReadOnlyFolder(const QString &path) : path_(path)
{
    QFile::setPermissions(path_, kReadOnly);
    if (::geteuid() == 0)
        immutable_ = runShell(QStringLiteral("chattr +i '%1' 2>/dev/null").arg(path_)) == 0;
}

ReadOnlyFolder::~ReadOnlyFolder()
{
    if (immutable_)
        runShell(QStringLiteral("chattr -i '%1'").arg(path_));
    QFile::setPermissions(path_, kWritable);
}

bool ReadOnlyFolder::works() const { return ::geteuid() != 0 || immutable_; }

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    if (::getrlimit(RLIMIT_FSIZE, &old_) != 0)
        return;
    struct rlimit lowered = old_;
    lowered.rlim_cur = rlim_t(bytes);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    works_ = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
}

FileSizeLimit::~FileSizeLimit()
{
    if (works_)
        ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_ ? oldHandler_ : SIG_DFL);
}

FullDisk::FullDisk(const QString &folder, qint64 bytes) : folder_(folder)
{
    QDir().mkpath(folder_);
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0700";
    mounted_ = ::mount("tmpfs", QFile::encodeName(folder_).constData(), "tmpfs", 0, options.constData()) == 0;
}

void FullDisk::leaveFree(qint64 freeBytes)
{
    QFile filler(folder_ + QStringLiteral("/.filler"));
    if (filler.open(QIODevice::WriteOnly)) {
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size() && filler.flush())
            ;
        filler.close();
        filler.resize(std::max<qint64>(0, filler.size() - freeBytes));
    }
}

FullDisk::~FullDisk()
{
    if (mounted_)
        ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
}

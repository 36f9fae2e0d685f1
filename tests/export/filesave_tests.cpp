// Writes that fail half-way (a file-size limit standing in for a full disk):
// the file that was there stays whole, and no partial file is left.
#include "exportfixture.h"

#include "base/atomicsave.h"
#include "core/listjoin.h"

#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

// Limits the size of files this process may write while it lives.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old);
        previous = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
    }
    rlimit old{};
    void (*previous)(int) = nullptr;
};

QStringList filesIn(const QString &folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden); }

} // namespace

TEST(AtomicCopy, ACopyThatFailsHalfWayLeavesTheOldFileWhole)
{
    TestEnv env;
    const QString source = env.homeFile(QStringLiteral("big.wav"), audioPattern(400000, 1));
    const QString target = env.homeFile(QStringLiteral("old.wav"), QByteArrayLiteral("old content"));
    QString error;
    {
        FileSizeLimit limit(100000);
        error = copyFileAtomically(source, target).error();
    }
    EXPECT_TRUE(error.contains(target)) << qPrintable(error);
    EXPECT_EQ(readFile(target), QByteArrayLiteral("old content"));
    EXPECT_EQ(filesIn(env.paths().homeDir), (QStringList{QStringLiteral("big.wav"), QStringLiteral("old.wav")}));
}

TEST(AtomicCopy, ANewFileGetsTheUsualMode)
{
    TestEnv env;
    const QString source = env.homeFile(QStringLiteral("a.wav"), audioPattern(1000, 1));
    const QString target = env.paths().homeDir + QStringLiteral("/new.wav");
    const mode_t mask = ::umask(022);
    EXPECT_TRUE(copyFileAtomically(source, target));
    ::umask(mask);
    EXPECT_EQ(readFile(target), readFile(source));
    EXPECT_EQ(QFileInfo(target).permissions() & 0x7077,
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
}

TEST(JoinWrite, AJoinThatFailsHalfWayRemovesConcatWavAndSavesNothing)
{
    ExportFixture f;
    f.addClip(QStringLiteral("one"), wavBytes(2, 44100, 16, audioPattern(300000, 1)));
    f.addClip(QStringLiteral("two"), wavBytes(2, 44100, 16, audioPattern(300000, 2)));
    const QString target = f.home(QStringLiteral("keep.wav"));
    writeFile(target, QByteArrayLiteral("old"));
    {
        FileSizeLimit limit(400000);
        f.saveAs(target);
    }
    EXPECT_EQ(readFile(target), QByteArrayLiteral("old"));
    EXPECT_FALSE(QFileInfo::exists(f.env.paths().concatFile()));
    ASSERT_EQ(f.messages().size(), 1);
    EXPECT_TRUE(f.messages()[0].contains(QStringLiteral("\"two\""))) << qPrintable(f.messages()[0]);
    EXPECT_EQ(filesIn(f.env.paths().homeDir), QStringList{QStringLiteral("keep.wav")});
}

// A full disk under the chosen output folder, and under the working and
// scratch folders: the write fails with ENOSPC part way, and the operation
// says so and leaves the user's files and the folders as they were. Needs
// the right to mount a small file system; where that is missing the
// file-size-limit tests make the same writes fail.
#include "faultfixture.h"

namespace {
constexpr qint64 kDiskBytes = 512 * 1024;
constexpr qint64 kFreeBytes = 16 * 1024; // less than any output of these tests
} // namespace

class FullDiskTest : public FaultTest {
protected:
    void SetUp() override { ASSERT_TRUE(importSong(song(QStringLiteral("three seconds.wav"), 3)).isEmpty()); }
    QString full() const { return env.paths().homeDir + QStringLiteral("/full"); }
};

TEST_F(FullDiskTest, EveryOutputKeepsTheOldFileAndLeavesNoTemporaryFile)
{
    const QString mp3 = song(QStringLiteral("song.mp3"), 3);
    const QString wav = song(QStringLiteral("song.wav"), 6); // its MP3 is 96 KB
    FullDisk disk(full(), kDiskBytes);
    if (!disk.works())
        GTEST_SKIP() << "cannot mount a small file system here";
    for (const char *name : {"ring.wav", "ring.mp3", "conv.wav", "conv.mp3"})
        userFile(QStringLiteral("full/") + QLatin1String(name), QByteArray("old ") + name);
    disk.leaveFree(kFreeBytes);
    const auto before = folderSnapshot(full());

    expectFailureReported(saveListAsWav(full() + QStringLiteral("/ring.wav")), QStringLiteral("ring.wav"));
    expectFailureReported(saveListAsMp3(full() + QStringLiteral("/ring.mp3")), QStringLiteral("ring.mp3"));
    expectFailureReported(convertToWav(mp3, full() + QStringLiteral("/conv.wav")), QStringLiteral("conv.wav"));
    expectFailureReported(convertToMp3(wav, full() + QStringLiteral("/conv.mp3")), QStringLiteral("conv.mp3"));
    expectUnchanged(full(), before);
    expectListStillSaves();
}

TEST_F(FullDiskTest, AFullWorkingFolderRefusesImportAndSave)
{
    const QString wavSong = song(QStringLiteral("second.wav"), 3);
    const QString mp3Song = song(QStringLiteral("third.mp3"), 3);
    userFile(QStringLiteral("ring.wav"), "old WAV");
    const auto home = folderSnapshot(env.paths().homeDir);
    const QString clip = env.paths().clipFile(QStringLiteral("three seconds"));
    const QByteArray clipBytes = readFile(clip);
    QStringList messages;
    {
        // The disk goes over the working folder, with the clip on it.
        FullDisk disk(env.paths().workDir, kDiskBytes + clipBytes.size());
        if (!disk.works())
            GTEST_SKIP() << "cannot mount a small file system here";
        ASSERT_TRUE(writeFile(clip, clipBytes));
        disk.leaveFree(kFreeBytes);
        const auto work = folderSnapshot(env.paths().workDir);
        messages << importSong(wavSong) << importSong(mp3Song) << saveListAsWav(env.paths().workDir + QStringLiteral("/ring.wav"));
        expectUnchanged(env.paths().workDir, work);
    }
    expectFailureReported(messages.value(0), wavSong);
    expectFailureReported(messages.value(1), QStringLiteral("third"));
    expectFailureReported(messages.value(2), env.paths().workDir + QStringLiteral("/ring.wav"));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("three seconds")});
    expectUnchanged(env.paths().homeDir, home);
    expectListStillSaves();
}

TEST_F(FullDiskTest, AFullScratchFolderLeavesTheClipUncut)
{
    const QString clip = env.paths().clipFile(QStringLiteral("three seconds"));
    const auto work = folderSnapshot(env.paths().workDir);
    QString message;
    {
        FullDisk disk(env.paths().scratchDir, kDiskBytes);
        if (!disk.works())
            GTEST_SKIP() << "cannot mount a small file system here";
        disk.leaveFree(kFreeBytes);
        const auto scratch = folderSnapshot(env.paths().scratchDir);
        message = cutClip(0, 500, 2500);
        expectUnchanged(env.paths().scratchDir, scratch);
    }
    expectFailureReported(message, clip);
    expectUnchanged(env.paths().workDir, work);
    expectListStillSaves();
}

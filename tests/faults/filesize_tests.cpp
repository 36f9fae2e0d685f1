// Every operation that writes, with a limit on the size of the files the
// process may write (a write past it fails with EFBIG, as on a full disk):
// a message that names the file, the user's files and the working folder as
// they were, no temporary file left, and a clip list that still works.
#include "faultfixture.h"

#include <QFileInfo>

namespace {
constexpr qint64 kLimit = 100 * 1024; // a 3 s CD-quality song is 530 KB
} // namespace

class FileSizeLimitTest : public FaultTest {
protected:
    // One short clip that fits under the limit, so that the list has
    // something to save afterwards.
    void SetUp() override { ASSERT_TRUE(importSong(song(QStringLiteral("short.wav"), 0.2)).isEmpty()); }
};

TEST_F(FileSizeLimitTest, ImportOfAWavSongFailsWhole)
{
    const QString big = song(QStringLiteral("long song.wav"), 3);
    const auto work = folderSnapshot(env.paths().workDir);
    QString message;
    {
        FileSizeLimit limit(kLimit);
        ASSERT_TRUE(limit.works());
        message = importSong(big);
    }
    expectFailureReported(message, big);
    EXPECT_EQ(entries(), QStringList{QStringLiteral("short")});
    expectUnchanged(env.paths().workDir, work);
    expectListStillSaves();
}

TEST_F(FileSizeLimitTest, ImportOfAnMp3SongFailsWhole)
{
    const QString big = song(QStringLiteral("long song.mp3"), 3);
    const auto work = folderSnapshot(env.paths().workDir);
    QString message;
    {
        FileSizeLimit limit(kLimit);
        message = importSong(big);
    }
    expectFailureReported(message, QStringLiteral("long song"));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("short")});
    expectUnchanged(env.paths().workDir, work);
    expectListStillSaves();
}

TEST_F(FileSizeLimitTest, AWriteThatFailsInTheLastBlockStillFailsTheMp3Import)
{
    // The same song again, with room for all of its clip but the last bytes.
    const QString mp3 = song(QStringLiteral("long song.mp3"), 3);
    ASSERT_TRUE(importSong(mp3).isEmpty());
    const qint64 clipSize = QFileInfo(env.paths().clipFile(QStringLiteral("long song"))).size();
    const auto work = folderSnapshot(env.paths().workDir);
    QString message;
    {
        FileSizeLimit limit(clipSize - 100);
        message = importSong(mp3);
    }
    expectFailureReported(message, QStringLiteral("long song (2)"));
    EXPECT_EQ(entries(), QStringList({QStringLiteral("short"), QStringLiteral("long song")}));
    expectUnchanged(env.paths().workDir, work);
}

TEST_F(FileSizeLimitTest, DoneCutFailsAndKeepsTheClip)
{
    ASSERT_TRUE(importSong(song(QStringLiteral("long song.wav"), 3)).isEmpty());
    const auto work = folderSnapshot(env.paths().workDir);
    QString message;
    {
        FileSizeLimit limit(kLimit);
        message = cutClip(1, 500, 2500);
    }
    expectFailureReported(message, env.paths().clipFile(QStringLiteral("long song")));
    expectUnchanged(env.paths().workDir, work);
    expectUnchanged(env.paths().scratchDir, {});
    expectListStillSaves();
}

TEST_F(FileSizeLimitTest, SavingTheListKeepsTheOldFileInBothFormats)
{
    ASSERT_TRUE(importSong(song(QStringLiteral("long song.wav"), 3)).isEmpty());
    userFile(QStringLiteral("ring.wav"), "the user's old WAV ringtone");
    userFile(QStringLiteral("ring.mp3"), "the user's old MP3 ringtone");
    const auto home = folderSnapshot(env.paths().homeDir);
    const auto work = folderSnapshot(env.paths().workDir);
    QString wav, mp3;
    {
        FileSizeLimit limit(kLimit);
        wav = saveListAsWav(env.paths().homeDir + QStringLiteral("/ring.wav"));
        mp3 = saveListAsMp3(env.paths().homeDir + QStringLiteral("/ring.mp3"));
    }
    expectFailureReported(wav, env.paths().concatFile());
    expectFailureReported(mp3, env.paths().concatFile());
    expectUnchanged(env.paths().homeDir, home);
    expectUnchanged(env.paths().workDir, work);
    expectListStillSaves();
}

TEST_F(FileSizeLimitTest, TheConverterKeepsTheOldFileInBothDirections)
{
    const QString mp3 = song(QStringLiteral("long song.mp3"), 3);
    const QString wav = song(QStringLiteral("longer song.wav"), 10); // its MP3 is 160 KB
    userFile(QStringLiteral("old.wav"), "the user's old WAV file");
    userFile(QStringLiteral("old.mp3"), "the user's old MP3 file");
    const auto home = folderSnapshot(env.paths().homeDir);
    const auto work = folderSnapshot(env.paths().workDir);
    QString toWav, toMp3;
    {
        FileSizeLimit limit(kLimit);
        toWav = convertToWav(mp3, env.paths().homeDir + QStringLiteral("/old.wav"));
        toMp3 = convertToMp3(wav, env.paths().homeDir + QStringLiteral("/old.mp3"));
    }
    expectFailureReported(toWav, QStringLiteral("long song"));
    expectFailureReported(toMp3, QStringLiteral("old.mp3"));
    expectUnchanged(env.paths().homeDir, home);
    expectUnchanged(env.paths().workDir, work);
    EXPECT_EQ(entries(), QStringList{QStringLiteral("short")});
    expectListStillSaves();
}

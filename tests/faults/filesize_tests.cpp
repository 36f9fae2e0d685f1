// Every operation that writes, with a limit on the size of the files the
// process may write (a write past it fails with EFBIG, as on a full disk):
// a message that names the file, the user's files and the working folder as
// they were, no temporary file left, and a clip list that still works.
#include "faultfixture.h"

#include <QFileInfo>
#include <functional>
#include <vector>

namespace {
constexpr qint64 kLimit = 100 * 1024; // a 3 s CD-quality song is 530 KB
} // namespace

class FileSizeLimitTest : public FaultTest {
protected:
    // One short clip that fits under the limit, so that the list has
    // something to save afterwards.
    void SetUp() override { ASSERT_TRUE(importSong(song(QStringLiteral("short.wav"), 0.2)).isEmpty()); }

    // Runs the operations with files limited to `limit` bytes, checks that
    // the home, working and scratch folders are as they were, and returns
    // what each operation said.
    QStringList underLimit(const std::vector<std::function<QString()>> &operations, qint64 limit = kLimit)
    {
        const QString folders[] = {env.paths().homeDir, env.paths().workDir, env.paths().scratchDir};
        QMap<QString, QByteArray> before[3];
        for (int i = 0; i < 3; ++i)
            before[i] = folderSnapshot(folders[i]);
        QStringList messages;
        {
            FileSizeLimit fileSizeLimit(limit);
            EXPECT_TRUE(fileSizeLimit.works());
            for (const auto &operation : operations)
                messages << operation();
        }
        for (int i = 0; i < 3; ++i)
            expectUnchanged(folders[i], before[i]);
        return messages;
    }
    QString home(const QString &name) const { return env.paths().homeDir + QLatin1Char('/') + name; }
};

TEST_F(FileSizeLimitTest, ImportOfAWavOrAnMp3SongFailsWhole)
{
    const QString wav = song(QStringLiteral("long song.wav"), 3);
    const QString mp3 = song(QStringLiteral("long tune.mp3"), 3);
    const QStringList said = underLimit({[&] { return importSong(wav); }, [&] { return importSong(mp3); }});
    expectFailureReported(said.value(0), wav);
    expectFailureReported(said.value(1), QStringLiteral("long tune"));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("short")});
    expectListStillSaves();
}

TEST_F(FileSizeLimitTest, AWriteThatFailsInTheLastBlockStillFailsTheMp3Import)
{
    // The same song again, with room for all of its clip but the last bytes.
    const QString mp3 = song(QStringLiteral("long song.mp3"), 3);
    ASSERT_TRUE(importSong(mp3).isEmpty());
    const qint64 clipSize = QFileInfo(env.paths().clipFile(QStringLiteral("long song"))).size();
    const QStringList said = underLimit({[&] { return importSong(mp3); }}, clipSize - 100);
    expectFailureReported(said.value(0), QStringLiteral("long song (2)"));
    EXPECT_EQ(entries(), QStringList({QStringLiteral("short"), QStringLiteral("long song")}));
}

TEST_F(FileSizeLimitTest, DoneCutFailsAndKeepsTheClip)
{
    ASSERT_TRUE(importSong(song(QStringLiteral("long song.wav"), 3)).isEmpty());
    const QStringList said = underLimit({[&] { return cutClip(1, 500, 2500); }});
    expectFailureReported(said.value(0), env.paths().clipFile(QStringLiteral("long song")));
    expectListStillSaves();
}

TEST_F(FileSizeLimitTest, SavingTheListKeepsTheOldFileInBothFormats)
{
    ASSERT_TRUE(importSong(song(QStringLiteral("long song.wav"), 3)).isEmpty());
    userFile(QStringLiteral("ring.wav"), "the user's old WAV ringtone");
    userFile(QStringLiteral("ring.mp3"), "the user's old MP3 ringtone");
    const QStringList said = underLimit({[&] { return saveListAsWav(home(QStringLiteral("ring.wav"))); },
                                         [&] { return saveListAsMp3(home(QStringLiteral("ring.mp3"))); }});
    expectFailureReported(said.value(0), home(QStringLiteral("ring.wav")));
    expectFailureReported(said.value(1), env.paths().concatFile());
    expectListStillSaves();
}

TEST_F(FileSizeLimitTest, TheConverterKeepsTheOldFileInBothDirections)
{
    const QString mp3 = song(QStringLiteral("long song.mp3"), 3);
    const QString wav = song(QStringLiteral("longer song.wav"), 10); // its MP3 is 160 KB
    userFile(QStringLiteral("old.wav"), "the user's old WAV file");
    userFile(QStringLiteral("old.mp3"), "the user's old MP3 file");
    const QStringList said = underLimit({[&] { return convertToWav(mp3, home(QStringLiteral("old.wav"))); },
                                         [&] { return convertToMp3(wav, home(QStringLiteral("old.mp3"))); }});
    expectFailureReported(said.value(0), QStringLiteral("long song"));
    expectFailureReported(said.value(1), QStringLiteral("old.mp3"));
    EXPECT_EQ(entries(), QStringList{QStringLiteral("short")});
    expectListStillSaves();
}

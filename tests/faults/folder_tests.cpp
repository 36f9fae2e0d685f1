// The working folder made read-only or removed while the program runs, and
// output folders the program may not write into: every operation says what
// failed, leaves the user's files and the folders as they were, and the
// clip list goes on working once the folder is back.
#include "editor/clipeditorpanel.h"
#include "faultfixture.h"

#include <QDir>
#include <QListWidget>
#include <QPushButton>

class WorkingFolderTest : public FaultTest {
protected:
    void SetUp() override { ASSERT_TRUE(importSong(song(QStringLiteral("first.wav"), 1)).isEmpty()); }
    QString home(const QString &name) const { return env.paths().homeDir + QLatin1Char('/') + name; }
};

TEST_F(WorkingFolderTest, ReadOnlyRefusesImportCutAndSaveAndChangesNothing)
{
    const QString wavSong = song(QStringLiteral("second.wav"), 1);
    const QString mp3Song = song(QStringLiteral("third.mp3"), 1);
    userFile(QStringLiteral("ring.wav"), "old WAV");
    userFile(QStringLiteral("ring.mp3"), "old MP3");
    const auto home = folderSnapshot(env.paths().homeDir);
    const auto work = folderSnapshot(env.paths().workDir);
    QStringList messages;
    {
        ReadOnlyFolder readOnly(env.paths().workDir);
        if (!readOnly.works())
            GTEST_SKIP() << "cannot make a folder read-only here";
        messages << importSong(wavSong) << importSong(mp3Song) << cutClip(0, 200, 800)
                 << saveListAsWav(env.paths().workDir + QStringLiteral("/ring.wav"))
                 << saveListAsMp3(this->home(QStringLiteral("ring.mp3")))
                 << convertToWav(mp3Song, this->home(QStringLiteral("ring.wav")));
    }
    const QStringList named = {wavSong, QStringLiteral("third"), env.paths().clipFile(QStringLiteral("first")),
                               env.paths().workDir + QStringLiteral("/ring.wav"), env.paths().concatFile(),
                               QStringLiteral("third")};
    ASSERT_EQ(messages.size(), named.size());
    for (int i = 0; i < named.size(); ++i)
        expectFailureReported(messages[i], named[i]);
    EXPECT_EQ(entries(), QStringList{QStringLiteral("first")});
    expectUnchanged(env.paths().homeDir, home);
    expectUnchanged(env.paths().workDir, work);
    expectListStillSaves();
}

TEST_F(WorkingFolderTest, RemovedMidRunIsReportedByEveryOperation)
{
    const QString wavSong = song(QStringLiteral("second.wav"), 1);
    userFile(QStringLiteral("ring.wav"), "old WAV");
    const auto home = folderSnapshot(env.paths().homeDir);
    ASSERT_TRUE(QDir(env.paths().workDir).removeRecursively());

    expectFailureReported(cutClip(0, 200, 800), env.paths().clipFile(QStringLiteral("first")));
    expectFailureReported(saveListAsWav(this->home(QStringLiteral("ring.wav"))), QStringLiteral("\"first\""));
    expectFailureReported(saveListAsMp3(this->home(QStringLiteral("ring.mp3"))), QStringLiteral("\"first\""));
    expectUnchanged(env.paths().homeDir, home);
    expectFailureReported(importSong(wavSong), wavSong);
    EXPECT_EQ(entries(), QStringList{QStringLiteral("first")});
    // With the folder back, the gone clip can be removed and new ones made.
    ASSERT_TRUE(QDir().mkpath(env.paths().workDir));
    ASSERT_TRUE(importSong(wavSong).isEmpty());
    form->Framewav()->List1->setCurrentRow(0);
    dialogs.answers.push_back(dialogs::Answer::Yes);
    form->Framewav()->Cmdremove->click();
    EXPECT_EQ(entries(), QStringList{QStringLiteral("second")});
    expectListStillSaves();
}

TEST_F(WorkingFolderTest, ReadOnlyOutputFoldersKeepTheirFiles)
{
    const QString wav = song(QStringLiteral("second.wav"), 1);
    const QString mp3 = song(QStringLiteral("third.mp3"), 1);
    const QString out = home(QStringLiteral("out"));
    userFile(QStringLiteral("out/ring.mp3"), "old MP3");
    userFile(QStringLiteral("out/conv.wav"), "old WAV");
    userFile(QStringLiteral("out/conv.mp3"), "old MP3 of the converter");
    const auto before = folderSnapshot(out);
    QStringList messages;
    {
        ReadOnlyFolder readOnly(out);
        if (!readOnly.works())
            GTEST_SKIP() << "cannot make a folder read-only here";
        messages << saveListAsMp3(out + QStringLiteral("/ring.mp3")) << convertToWav(mp3, out + QStringLiteral("/conv.wav"))
                 << convertToMp3(wav, out + QStringLiteral("/conv.mp3"));
    }
    expectFailureReported(messages.value(0), QStringLiteral("ring.mp3"));
    expectFailureReported(messages.value(1), QStringLiteral("conv.wav"));
    expectFailureReported(messages.value(2), QStringLiteral("conv.mp3"));
    expectUnchanged(out, before);
    expectListStillSaves();
}

// The joined file at byte level, for clips in the 44-byte layout and one format.
#include "exportfixture.h"

#include "platform/dialogs/dialogs.h"
#include "platform/mci/mmcontrol.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

QByteArray stereo16(int audioBytes, int seed) { return wavBytes(2, 44100, 16, audioPattern(audioBytes, seed)); }

} // namespace

TEST(JoinBytes, OneClipSavesAnIdenticalCopyAndSaysFinishSave)
{
    ExportFixture f;
    const QByteArray clip = stereo16(4000, 1);
    f.addClip(QStringLiteral("My Song"), clip);
    f.saveAs(f.home(QStringLiteral("ring.wav")));

    EXPECT_EQ(readFile(f.home(QStringLiteral("ring.wav"))), clip);
    EXPECT_EQ(readFile(f.env.paths().concatFile()), clip) << "concat.wav stays in the working folder";
    ASSERT_EQ(f.dialogs.messages.size(), 1);
    EXPECT_EQ(f.dialogs.messages[0].text, QStringLiteral("Finish Save"));
    EXPECT_EQ(f.dialogs.messages[0].title, QStringLiteral("Orvane Clipforge"));
    EXPECT_EQ(f.dialogs.messages[0].buttons, dialogs::Buttons::Ok);

    ASSERT_EQ(f.dialogs.fileRequests.size(), 1);
    const dialogs::FileRequest &r = f.dialogs.fileRequests[0];
    EXPECT_TRUE(r.save);
    EXPECT_EQ(r.filter, QStringLiteral("Wav(*.wav)|*.wav"));
    EXPECT_EQ(r.fileName, QString());
    EXPECT_EQ(r.initDir, f.workspace.settings().BaseFolder);
    EXPECT_EQ(r.defaultExt, QString());
}

TEST(JoinBytes, TwoClipsGiveOneHeaderAndBothAudios)
{
    ExportFixture f;
    const int a = 1200, b = 3004;
    QByteArray first = stereo16(a, 1);
    first[28] = char(0x11); // an odd bytes-per-second value: the first clip's header bytes are kept
    const QByteArray second = wavBytes(2, 44100, 16, audioPattern(b, 2));
    f.addClip(QStringLiteral("one"), first);
    f.addClip(QStringLiteral("two"), second);
    f.saveAs(f.home(QStringLiteral("ring.wav")));

    const QByteArray out = readFile(f.home(QStringLiteral("ring.wav")));
    ASSERT_EQ(out.size(), 44 + a + b);
    EXPECT_EQ(le32(out, 40), a + b);
    EXPECT_EQ(le32(out, 4), a + b + 36);
    EXPECT_EQ(out.left(4), first.left(4));
    EXPECT_EQ(out.mid(8, 32), first.mid(8, 32));
    EXPECT_EQ(out[44 + a], second[44]);
    EXPECT_EQ(out.mid(44), first.mid(44) + second.mid(44));
    EXPECT_EQ(f.messages(), QStringList{QStringLiteral("Finish Save")});
}

TEST(JoinBytes, ThreeClipsSizeFieldsMatchTheFileLength)
{
    ExportFixture f;
    for (int i = 0; i < 3; ++i)
        f.addClip(QStringLiteral("clip %1").arg(i), stereo16(400 * (i + 1), i));
    f.saveAs(f.home(QStringLiteral("three.wav")));

    const QByteArray out = readFile(f.home(QStringLiteral("three.wav")));
    ASSERT_EQ(out.size(), 44 + 400 + 800 + 1200);
    EXPECT_EQ(le32(out, 40), out.size() - 44);
    EXPECT_EQ(le32(out, 4), out.size() - 8);
}

TEST(JoinBytes, AClipListedTwiceIsJoinedTwice)
{
    ExportFixture f;
    const QByteArray clip = stereo16(800, 5);
    f.addClip(QStringLiteral("again"), clip);
    f.addEntry(QStringLiteral("again"));
    f.saveAs(f.home(QStringLiteral("twice.wav")));

    const QByteArray out = readFile(f.home(QStringLiteral("twice.wav")));
    EXPECT_EQ(out.mid(44), clip.mid(44) + clip.mid(44));
    EXPECT_EQ(le32(out, 40), 1600);
}

TEST(JoinBytes, TwoExportsInARowEachStartAfresh)
{
    ExportFixture f;
    const QByteArray one = stereo16(600, 1), two = stereo16(900, 2);
    f.addClip(QStringLiteral("one"), one);
    f.addClip(QStringLiteral("two"), two);
    f.saveAs(f.home(QStringLiteral("first.wav")));
    f.saveAs(f.home(QStringLiteral("second.wav")));
    EXPECT_EQ(readFile(f.home(QStringLiteral("second.wav"))), readFile(f.home(QStringLiteral("first.wav"))));

    // A shorter list afterwards, saved over the longer file: nothing of it stays.
    f.workspace.clips().removeAt(0);
    f.saveAs(f.home(QStringLiteral("first.wav")));
    EXPECT_EQ(readFile(f.home(QStringLiteral("first.wav"))), two);
    EXPECT_EQ(readFile(f.env.paths().concatFile()), two);
}

TEST(JoinBytes, ANameWithoutExtensionIsKept)
{
    ExportFixture f;
    const QByteArray clip = stereo16(400, 3);
    f.addClip(QStringLiteral("tone"), clip);
    f.saveAs(f.home(QStringLiteral("ringtone")));
    EXPECT_EQ(readFile(f.home(QStringLiteral("ringtone"))), clip);
    EXPECT_FALSE(QFileInfo::exists(f.home(QStringLiteral("ringtone.wav"))));
}

TEST(JoinBytes, AnExistingFileIsReplacedWholeKeepingItsMode)
{
    ExportFixture f;
    const QString target = f.home(QStringLiteral("old.wav"));
    writeFile(target, QByteArray(100000, 'x'));
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    const QByteArray clip = stereo16(400, 4);
    f.addClip(QStringLiteral("tone"), clip);
    f.saveAs(target);

    EXPECT_EQ(readFile(target), clip);
    EXPECT_EQ(QFileInfo(target).permissions() & 0x7077, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    EXPECT_EQ(QDir(f.env.paths().homeDir).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("old.wav")})
        << "no file of the copy is left beside it";
}

TEST(JoinBytes, SavingClosesBothPlayers)
{
    ExportFixture f;
    const QString clip = f.addClip(QStringLiteral("tone"), stereo16(400, 4));
    for (MMControl *player : {&f.workspace.trimPlayer(), &f.workspace.listPlayer()}) {
        player->setFileName(clip);
        player->setCommand(QStringLiteral("open"));
    }
    f.saveAs(f.home(QStringLiteral("ring.wav")));
    for (MMControl *player : {&f.workspace.trimPlayer(), &f.workspace.listPlayer()}) {
        EXPECT_EQ(player->Command(), QStringLiteral("Close")) << qPrintable(player->objectName());
        EXPECT_FALSE(player->isOpen()) << qPrintable(player->objectName());
    }
}

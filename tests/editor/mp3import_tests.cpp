#include "audio/audiostart.h"
#include "base/wavformat.h"
#include "editor/cliplist.h"
#include "editorfixture.h"
#include "widgets/frmload.h"

#include <QFile>

class Mp3ImportTest : public EditorTest {
protected:
    Mp3ImportTest()
    {
        form->terminate = [this] { ++terminated; };
    }
    // An MP3 of a tone, encoded by lame from a sox tone.
    QString makeMp3(const QString &name, double seconds, const QString &format = QStringLiteral("-r 44100 -c 2 -b 16"))
    {
        const QString wav = makeSong(name + QStringLiteral(".src.wav"), seconds, format);
        const QString mp3 = env.paths().homeDir + QLatin1Char('/') + name;
        EXPECT_EQ(runShell(QStringLiteral("lame --quiet -b 128 --ta 'The Artist' --tl 'The Album' '%1' '%2'").arg(wav, mp3)), 0);
        return mp3;
    }
    int terminated = 0;
};

TEST_F(Mp3ImportTest, AnMp3BecomesAClipInThe44ByteLayoutMatchingAnIndependentDecoder)
{
    const QString mp3 = makeMp3(QStringLiteral("My Song.mp3"), 2);
    importThroughDialog(mp3);
    ASSERT_EQ(entries(), QStringList{"My Song"}) << dialogs.texts().join('|').toStdString();
    const SongTags &tags = form->workspace().clips().at(0).tags;
    EXPECT_EQ(tags.artist + QLatin1Char('|') + tags.album, QStringLiteral("The Artist|The Album")) << "read at import";
    const QString clip = env.paths().clipFile("My Song");
    WavInfo info;
    const QByteArray ours = readWavData(clip, &info).take();
    EXPECT_EQ(info.dataOffset, 44);
    EXPECT_EQ(QFile(clip).size(), 44 + ours.size());
    EXPECT_EQ(info.sampleRate, 44100u);
    EXPECT_EQ(info.channels, 2);

    const QString ref = env.root() + "/ref.wav";
    ASSERT_EQ(runShell(QStringLiteral("mpg123 -q -w '%1' '%2'").arg(ref, mp3)), 0);
    const QByteArray theirs = readWavData(ref).take();
    ASSERT_EQ(ours.size(), theirs.size()) << "same number of frames (gapless)";
    const auto *a = reinterpret_cast<const qint16 *>(ours.constData());
    const auto *b = reinterpret_cast<const qint16 *>(theirs.constData());
    int worst = 0;
    for (qsizetype i = 0; i < ours.size() / 2; ++i)
        worst = std::max(worst, std::abs(a[i] - b[i]));
    EXPECT_LE(worst, 1);

    EXPECT_TRUE(form->isEnabled());
    EXPECT_TRUE(form->busyWindow()->isHidden());
    EXPECT_EQ(terminated, 0);
}

TEST_F(Mp3ImportTest, UpperCaseExtensionAndMonoAreAccepted)
{
    importThroughDialog(makeMp3(QStringLiteral("B.MP3"), 1, QStringLiteral("-r 22050 -c 1 -b 16")));
    ASSERT_EQ(entries(), QStringList{"B"});
    WavInfo info = readWavInfo(env.paths().clipFile("B"));
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.sampleRate, 22050u);
}

TEST_F(Mp3ImportTest, ASongThatCannotBeDecodedIsReportedAndBecomesNoClip)
{
    const QByteArray junk[] = {QByteArray(), QByteArray(5000, 'x'), QByteArray("ID3\x04\x00\x00\x7f\x7f\x7f\x7f", 10)};
    int n = 0;
    for (const QByteArray &bytes : junk) {
        importThroughDialog(env.homeFile(QStringLiteral("bad%1.mp3").arg(n++), bytes));
        ASSERT_FALSE(dialogs.messages.isEmpty());
        EXPECT_TRUE(dialogs.messages.last().text.startsWith("Can't play the file\r\n\r\nerror code: "))
            << dialogs.messages.last().text.toStdString();
        EXPECT_EQ(dialogs.messages.last().title, QStringLiteral("Error"));
    }
    EXPECT_TRUE(entries().isEmpty());
    EXPECT_TRUE(QDir(env.paths().workDir).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(form->isEnabled());
}

TEST_F(Mp3ImportTest, ATruncatedMp3KeepsWhatCouldBeDecoded)
{
    const QString mp3 = makeMp3(QStringLiteral("cut.mp3"), 3);
    QByteArray bytes = readFile(mp3);
    writeFile(mp3, bytes.left(bytes.size() / 2));
    importThroughDialog(mp3);
    ASSERT_EQ(entries(), QStringList{"cut"});
    WavInfo info = readWavInfo(env.paths().clipFile("cut"));
    EXPECT_GT(info.dataSize, 44100 * 4 / 2);
    EXPECT_LT(info.dataSize, 44100 * 4 * 3);
}

TEST_F(Mp3ImportTest, MissingLibraryEndsTheProgramWithItsMessage)
{
    QFile::remove(env.paths().appDir + "/libbass.so");
    importThroughDialog(makeMp3(QStringLiteral("x.mp3"), 0.5));
    EXPECT_EQ(terminated, 1);
    ASSERT_FALSE(dialogs.messages.isEmpty());
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("BASS.DLL does not exists"));
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("BASS.DLL"));
    EXPECT_EQ(dialogs.messages[0].icon, dialogs::Icon::Critical);
    EXPECT_TRUE(entries().isEmpty());
}

TEST(AudioHelpers, JoinWordsAndPtrToStr)
{
    EXPECT_EQ(JoinWords(2, 2), 0x00020002);
    EXPECT_EQ(JoinWords(-1, 1), 0x0001FFFF);
    EXPECT_THROW(JoinWords(0, 40000), std::overflow_error);
    EXPECT_EQ(PtrToStr(""), QString());
    EXPECT_EQ(PtrToStr(nullptr), QString());
    EXPECT_EQ(PtrToStr("Monitor of Sink"), QStringLiteral("Monitor of Sink"));
}

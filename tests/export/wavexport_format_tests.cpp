// Clips of other formats and layouts, checked with sox.
#include "exportfixture.h"

#include "core/listjoin.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

class JoinFormats : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!haveTool(QStringLiteral("sox")) || !haveTool(QStringLiteral("soxi")))
            GTEST_SKIP() << "sox is not installed";
    }
    // A sox-made sine clip in the working folder, listed.
    void addSine(const QString &name, const QString &format, double seconds, int hz)
    {
        ASSERT_TRUE(soxMake(f.env.paths().clipFile(name), format, QStringLiteral("%1 sine %2").arg(seconds).arg(hz)));
        f.addEntry(name);
    }
    QString save()
    {
        const QString out = f.home(QStringLiteral("ring.wav"));
        f.saveAs(out);
        EXPECT_EQ(f.messages(), QStringList{QStringLiteral("Finish Save")});
        return out;
    }
    ExportFixture f;
};

// What sox reads from the file: rate, channels, bits and duration.
void expectFormat(const QString &path, int rate, int channels, int bits, double seconds, double tolerance = 0.002)
{
    EXPECT_EQ(soxi(QStringLiteral("-r"), path), QString::number(rate));
    EXPECT_EQ(soxi(QStringLiteral("-c"), path), QString::number(channels));
    EXPECT_EQ(soxi(QStringLiteral("-b"), path), QString::number(bits));
    EXPECT_NEAR(soxi(QStringLiteral("-D"), path).toDouble(), seconds, tolerance);
}

// The file is the 44-byte layout with both size fields right.
void expectPlainLayout(const QString &path)
{
    const QByteArray out = readFile(path);
    ASSERT_GE(out.size(), 44);
    EXPECT_EQ(out.mid(12, 4), QByteArray("fmt "));
    EXPECT_EQ(le32(out, 16), 16);
    EXPECT_EQ(out.mid(36, 4), QByteArray("data"));
    EXPECT_EQ(le32(out, 40), out.size() - 44);
    EXPECT_EQ(le32(out, 4), out.size() - 8);
}

// A WAV song with a LIST chunk between the format and the data chunks, as
// tagging programs write it; its samples are `audio`.
QByteArray songWithList(const QByteArray &audio)
{
    const QByteArray plain = wavBytes(2, 44100, 16, audio);
    QByteArray list = "LIST";
    const QByteArray body = QByteArray("INFOINAM") + QByteArray("\x07\0\0\0", 4) + QByteArray("A Song\0\0", 8);
    list += QByteArray(1, char(body.size())) + QByteArray(3, '\0') + body;
    QByteArray song = plain.left(36) + list + plain.mid(36);
    putLe32(song, 4, qint32(song.size() - 8));
    return song;
}

} // namespace

TEST_F(JoinFormats, MonoAt48kAfterStereoAt44kIsConvertedToTheFirstFormat)
{
    addSine(QStringLiteral("stereo"), QStringLiteral("-r 44100 -c 2 -b 16"), 1.0, 440);
    addSine(QStringLiteral("mono"), QStringLiteral("-r 48000 -c 1 -b 16"), 2.0, 440);
    const QString out = save();

    expectFormat(out, 44100, 2, 16, 3.0);
    // The second clip plays at its own pitch, not 48/44.1 too low.
    EXPECT_NEAR(soxFrequency(out, 1.5, 1.0), 440, 10);
    expectPlainLayout(out);
}

TEST_F(JoinFormats, AnEightBitClipIsWidenedToSixteen)
{
    addSine(QStringLiteral("wide"), QStringLiteral("-r 22050 -c 1 -b 16"), 1.0, 300);
    addSine(QStringLiteral("narrow"), QStringLiteral("-r 22050 -c 1 -b 8 -e unsigned"), 1.0, 600);
    const QString out = save();

    expectFormat(out, 22050, 1, 16, 2.0, 0.001);
    EXPECT_NEAR(soxFrequency(out, 1.2, 0.6), 600, 15);
    expectPlainLayout(out);
}

TEST_F(JoinFormats, AnEightBitFirstClipKeepsTheResultEightBit)
{
    addSine(QStringLiteral("narrow"), QStringLiteral("-r 8000 -c 1 -b 8 -e unsigned"), 1.0, 500);
    addSine(QStringLiteral("wide"), QStringLiteral("-r 16000 -c 2 -b 16"), 0.5, 500);
    const QString out = save();

    expectFormat(out, 8000, 1, 8, 1.5);
    EXPECT_NEAR(soxFrequency(out, 1.1, 0.3), 500, 15);
}

TEST_F(JoinFormats, AFloatFirstClipGivesSixteenBitPcm)
{
    addSine(QStringLiteral("float"), QStringLiteral("-r 32000 -c 2 -b 32 -e floating-point"), 1.0, 440);
    addSine(QStringLiteral("int"), QStringLiteral("-r 32000 -c 2 -b 16"), 1.0, 440);
    const QString out = save();

    const QByteArray bytes = readFile(out);
    ASSERT_GE(bytes.size(), 44);
    EXPECT_EQ(bytes[20], char(1)) << "format tag PCM";
    EXPECT_EQ(soxi(QStringLiteral("-e"), out), QStringLiteral("Signed Integer PCM"));
    expectFormat(out, 32000, 2, 16, 2.0, 0.001);
    expectPlainLayout(out);
}

TEST_F(JoinFormats, AListChunkSongIsJoinedWithoutItsHeaderBytes)
{
    const QByteArray lead = audioPattern(800, 1), songAudio = audioPattern(1600, 2);
    f.addClip(QStringLiteral("lead"), wavBytes(2, 44100, 16, lead));
    const QString song = f.addClip(QStringLiteral("tagged"), songWithList(songAudio));
    ASSERT_EQ(soxi(QStringLiteral("-s"), song), QStringLiteral("400")) << "sox reads the tagged song";
    const QString out = save();

    const QByteArray bytes = readFile(out);
    EXPECT_EQ(bytes.mid(44), lead + songAudio);
    EXPECT_FALSE(bytes.contains("LIST"));
    EXPECT_FALSE(bytes.contains("INFO"));
    EXPECT_EQ(soxi(QStringLiteral("-s"), out), QStringLiteral("600"));
}

TEST_F(JoinFormats, AListChunkSongFirstGetsAPlainHeader)
{
    const QByteArray songAudio = audioPattern(2000, 3), tail = audioPattern(400, 4);
    f.addClip(QStringLiteral("tagged"), songWithList(songAudio));
    f.addClip(QStringLiteral("tail"), wavBytes(2, 44100, 16, tail));
    const QString out = save();

    const QByteArray bytes = readFile(out);
    expectPlainLayout(out);
    EXPECT_EQ(bytes.mid(44), songAudio + tail);
    EXPECT_EQ(soxi(QStringLiteral("-r"), out), QStringLiteral("44100"));
    EXPECT_EQ(soxi(QStringLiteral("-c"), out), QStringLiteral("2"));
}

TEST_F(JoinFormats, AChunkAfterTheSamplesStaysOut)
{
    QByteArray clip = wavBytes(1, 8000, 16, audioPattern(600, 5));
    clip += QByteArray("LIST") + QByteArray("\x04\0\0\0", 4) + QByteArray("INFO");
    putLe32(clip, 4, qint32(clip.size() - 8)); // the RIFF size counts the trailing chunk
    f.addClip(QStringLiteral("trailing"), clip);
    f.addClip(QStringLiteral("second"), wavBytes(1, 8000, 16, audioPattern(200, 6)));
    const QString out = save();

    const QByteArray bytes = readFile(out);
    EXPECT_EQ(bytes.size(), 44 + 600 + 200);
    EXPECT_FALSE(bytes.contains("LIST"));
    expectPlainLayout(out);
}

TEST_F(JoinFormats, AnExtensibleTwentyFourBitClipIsConverted)
{
    addSine(QStringLiteral("first"), QStringLiteral("-r 44100 -c 2 -b 16"), 0.5, 440);
    // sox writes four channels of 24 bits as WAVE_FORMAT_EXTENSIBLE.
    const QString ext = f.env.paths().clipFile(QStringLiteral("ext"));
    ASSERT_TRUE(soxMake(ext, QStringLiteral("-r 48000 -c 4 -b 24"), QStringLiteral("0.5 sine 440")));
    ASSERT_EQ(readFile(ext).mid(20, 2), QByteArray("\xFE\xFF", 2)) << "WAVE_FORMAT_EXTENSIBLE";
    f.addEntry(QStringLiteral("ext"));
    const QString out = save();

    expectFormat(out, 44100, 2, 16, 1.0);
    EXPECT_NEAR(soxFrequency(out, 0.6, 0.3), 440, 10);
}

TEST(JoinList, ReturnsTheAudioSizeAndRebuildsConcatWav)
{
    TestEnv env;
    QDir().mkpath(env.paths().workDir);
    writeFile(env.paths().clipFile(QStringLiteral("a")), wavBytes(1, 8000, 8, audioPattern(10, 1)));
    writeFile(env.paths().concatFile(), QByteArray(5000, 'z'));
    const Result<qint64> r = joinClipList({QStringLiteral("a"), QStringLiteral("a")}, env.paths());
    ASSERT_TRUE(r) << qPrintable(r.error());
    EXPECT_EQ(r.value(), 20);
    EXPECT_EQ(QFile(env.paths().concatFile()).size(), 64);
}

TEST(JoinList, ASavedListKeepsItsBytesWhenTheListIsJoinedAgain)
{
    // The saved file and concat.wav are one file where the folders allow a
    // link: the next join (the MP3 export's) must make a new concat.wav.
    // Another file system (when /dev/shm is one) gets a copy instead.
    TestEnv env;
    QDir().mkpath(env.paths().workDir);
    const QByteArray a = wavBytes(1, 8000, 8, audioPattern(10, 1)), b = wavBytes(1, 8000, 8, audioPattern(30, 2));
    writeFile(env.paths().clipFile(QStringLiteral("a")), a);
    writeFile(env.paths().clipFile(QStringLiteral("b")), b);
    QTemporaryDir elsewhere(QStringLiteral("/dev/shm/clipforge-XXXXXX"));
    for (const QString &folder : {env.paths().homeDir, elsewhere.isValid() ? elsewhere.path() : QString()}) {
        if (folder.isEmpty())
            continue;
        const QString saved = folder + QStringLiteral("/ring.wav");
        ASSERT_TRUE(saveJoinedClipList({QStringLiteral("a")}, env.paths(), saved)) << qPrintable(folder);
        EXPECT_EQ(readFile(env.paths().concatFile()), a) << qPrintable(folder);
        ASSERT_TRUE(joinClipList({QStringLiteral("b")}, env.paths()));
        EXPECT_EQ(readFile(saved), a) << qPrintable(folder);
        EXPECT_EQ(readFile(env.paths().concatFile()), b);
        EXPECT_EQ(QDir(env.paths().workDir).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".link")),
                  QStringList());
    }
}

namespace {
long peakMemoryKiB()
{
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
} // namespace

TEST(JoinList, AClipOfThousandsOfChannelsIsConvertedInLittleMemory)
{
    TestEnv env;
    QDir().mkpath(env.paths().workDir);
    writeFile(env.paths().clipFile(QStringLiteral("stereo")), wavBytes(2, 44100, 16, audioPattern(400, 1)));
    // Two frames of 65535 one-byte channels: 128 KiB of file.
    writeFile(env.paths().clipFile(QStringLiteral("wide")), wavBytes(65535, 44100, 8, audioPattern(2 * 65535, 2)));
    const long before = peakMemoryKiB();
    const Result<qint64> r = joinClipList({QStringLiteral("stereo"), QStringLiteral("wide")}, env.paths());
    ASSERT_TRUE(r) << qPrintable(r.error());
    EXPECT_EQ(r.value(), 400 + 2 * 4);
    EXPECT_LT(peakMemoryKiB() - before, 64 * 1024) << "KiB more at the peak";
}

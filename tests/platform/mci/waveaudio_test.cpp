// The "waveaudio" command interpreter of the cut.
#include "platform/mci/waveaudio.h"
#include "base/wavformat.h"
#include "base/wavheader.h"
#include "fixtures.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QtEndian>

class WaveAudioTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(haveTool("sox")) << "sox is needed for the fixtures"; }
    void TearDown() override { mciSendStringA(QStringLiteral("close all")); }
    QString make(const QString &name, const QString &args, double seconds)
    {
        const QString path = dir.filePath(name);
        // A sweep: every stretch of the clip differs from every other.
        EXPECT_TRUE(soxMake(path, args, seconds, QStringLiteral("sine 200-3000"))) << name.toStdString();
        return path;
    }
    static QString q(const QString &path) { return QLatin1Char('"') + path + QLatin1Char('"'); }
    QTemporaryDir dir;
};

namespace {
struct Layout { const char *args; quint16 tag, channels, bits; quint32 rate; };
const Layout kLayouts[] = {
    {"-r 44100 -c 2 -b 16", 1, 2, 16, 44100},
    {"-r 22050 -c 2 -b 16", 1, 2, 16, 22050},
    {"-r 48000 -c 2 -b 16", 1, 2, 16, 48000},
    {"-r 44100 -c 1 -b 16", 1, 1, 16, 44100},
    {"-r 22050 -c 1 -b 8 -e unsigned-integer", 1, 1, 8, 22050},
    {"-r 48000 -c 2 -b 24", 1, 2, 24, 48000},
    {"-r 44100 -c 2 -b 32 -e floating-point", 3, 2, 32, 44100},
};
} // namespace

// A 30000 ms clip cut to its marks at 5000 and 12000 ms.
TEST_F(WaveAudioTest, TheCutKeepsExactlyTheStretchBetweenTheMarks)
{
    int n = 0;
    for (const Layout &l : kLayouts) {
        SCOPED_TRACE(l.args);
        const QString src = make(QStringLiteral("song %1.wav").arg(n), QString::fromLatin1(l.args), 30.0);
        const QString out = dir.filePath(QStringLiteral("out %1.wav").arg(n++));
        WavInfo si;
        const QByteArray source = readWavData(src, &si).take();
        ASSERT_TRUE(si.ok);
        ASSERT_EQ(mciSendStringA(QStringLiteral("open ") + q(src) + QStringLiteral(" type waveaudio alias voice1")), kMciOk);
        QString answer;
        ASSERT_EQ(mciSendStringA(QStringLiteral("status voice1 length"), &answer), kMciOk);
        EXPECT_EQ(answer, QStringLiteral("30000"));
        EXPECT_EQ(mciSendStringA(QStringLiteral("delete voice1 from 0 to 5000")), kMciOk);
        EXPECT_EQ(mciSendStringA(QStringLiteral("delete voice1 from 7000 to 25000")), kMciOk);
        EXPECT_EQ(mciSendStringA(QStringLiteral("save  voice1 ") + q(out)), kMciOk);
        EXPECT_EQ(mciSendStringA(QStringLiteral("close voice1")), kMciOk);

        const QByteArray file = readFile(out);
        WavInfo oi;
        const QByteArray kept = readWavData(out, &oi).take();
        ASSERT_TRUE(oi.ok) << oi.error.toStdString();
        EXPECT_TRUE(oi.canonical);
        EXPECT_EQ(oi.durationMs(), 7000);
        EXPECT_EQ(oi.frames(), qint64(l.rate) * 7);
        EXPECT_EQ(oi.formatTag, l.tag);
        EXPECT_EQ(oi.channels, l.channels);
        EXPECT_EQ(oi.bitsPerSample, l.bits);
        EXPECT_EQ(oi.sampleRate, l.rate);
        // The 44-byte layout: sizes at 4 and 40, samples to the end of the file.
        ASSERT_EQ(file.size(), 44 + kept.size());
        EXPECT_EQ(qFromLittleEndian<quint32>(file.constData() + 4), quint32(kept.size() + 36));
        EXPECT_EQ(qFromLittleEndian<quint32>(file.constData() + 40), quint32(kept.size()));
        EXPECT_EQ(qFromLittleEndian<quint16>(file.constData() + 20), l.tag);
        const qint64 ba = si.blockAlign;
        EXPECT_TRUE(kept == source.mid(int(5 * l.rate * ba), int(7 * l.rate * ba))) << "the samples are not the 5000..12000 ms stretch";
    }
}

TEST_F(WaveAudioTest, MarksOffTheFrameGridRoundAtTheFilesRate)
{
    const QString src = make("odd.wav", "-r 22050 -c 1 -b 16", 3.0);
    const QString out = dir.filePath("odd-out.wav");
    const QByteArray source = readWavData(src).take();
    ASSERT_EQ(mciSendStringA("open " + q(src) + " type waveaudio alias v"), kMciOk);
    // 1001 ms at 22050 Hz = 22072.05 frames -> 22072; 1000 ms = 22050 frames.
    EXPECT_EQ(mciSendStringA("delete v from 0 to 1001"), kMciOk);
    // The rest is 1999 ms long in whole ms; "to" at that length means the end.
    EXPECT_EQ(mciSendStringA("delete v from 1000 to 1999"), kMciOk);
    EXPECT_EQ(mciSendStringA("save v " + q(out)), kMciOk);
    mciSendStringA("close v");
    const QByteArray kept = readWavData(out).take();
    EXPECT_EQ(kept, source.mid(22072 * 2, 22050 * 2));
}

TEST_F(WaveAudioTest, EmptyAndReversedDeletesChangeNothing)
{
    const QString src = make("e.wav", "-r 44100 -c 2 -b 16", 2.0);
    const QString out = dir.filePath("e-out.wav");
    ASSERT_EQ(mciSendStringA("open " + q(src) + " type waveaudio alias voice1"), kMciOk);
    EXPECT_EQ(mciSendStringA("delete voice1 from 0 to 0"), kMciOk);
    EXPECT_EQ(mciSendStringA("delete voice1 from 2000 to 2000"), kMciOk);
    EXPECT_EQ(mciSendStringA("delete voice1 from 1500 to 500"), kMciOk);
    EXPECT_EQ(mciSendStringA("delete voice1 from 9000 to 12000"), kMciOk); // past the end: nothing there
    EXPECT_EQ(mciSendStringA("save voice1 " + q(out)), kMciOk);
    EXPECT_EQ(mciSendStringA("close voice1"), kMciOk);
    EXPECT_EQ(readWavData(out).take(), readWavData(src).take());
}

TEST_F(WaveAudioTest, TimesFarPastTheEndMeanTheEnd)
{
    const QString src = make("far.wav", "-r 44100 -c 2 -b 16", 2.0);
    const QString out = dir.filePath("far-out.wav");
    QString length;
    ASSERT_EQ(mciSendStringA("open " + q(src) + " type waveaudio alias voice1"), kMciOk);
    // 2^62 + 1000 ms: times 44100 it is 1000 ms again modulo 2^64, where a
    // product that overflows would land.
    EXPECT_EQ(mciSendStringA("delete voice1 from 4611686018427388904"), kMciOk);
    EXPECT_EQ(mciSendStringA("delete voice1 from 9223372036854775807 to 9223372036854775807"), kMciOk);
    EXPECT_EQ(mciSendStringA("status voice1 length", &length), kMciOk);
    EXPECT_EQ(length, QStringLiteral("2000"));
    EXPECT_EQ(mciSendStringA("delete voice1 from 1000 to 9223372036854775807"), kMciOk);
    EXPECT_EQ(mciSendStringA("save voice1 " + q(out)), kMciOk);
    EXPECT_EQ(readWavData(out).take(), readWavData(src).take().left(44100 * 4));
}

TEST_F(WaveAudioTest, WordsSplitOnAnyRunOfBlanksAndCaseDoesNotMatter)
{
    const QString src = make("with blanks.wav", "-r 44100 -c 1 -b 16", 1.0);
    const QString out = dir.filePath("saved with blanks.wav");
    ASSERT_EQ(mciSendStringA("  OPEN   " + q(src) + "\ttype  WaveAudio   alias  Voice1  "), kMciOk);
    EXPECT_EQ(mciSendStringA("Delete   voice1  FROM 0   to 250 wait"), kMciOk);
    EXPECT_EQ(mciSendStringA("save  VOICE1   " + q(out)), kMciOk);
    EXPECT_EQ(mciSendStringA("close   voice1"), kMciOk);
    WavInfo i = readWavInfo(out);
    ASSERT_TRUE(i.ok);
    EXPECT_EQ(i.durationMs(), 750);
    // Plain paths without blanks need no quotes.
    QTemporaryDir plainDir(QDir::tempPath() + QStringLiteral("/mcitest-XXXXXX"));
    const QString plain = plainDir.filePath("plain.wav");
    ASSERT_FALSE(plain.contains(QLatin1Char(' ')));
    QFile::copy(src, plain);
    EXPECT_EQ(mciSendStringA("open " + plain + " type waveaudio alias p"), kMciOk);
    EXPECT_EQ(mciSendStringA("close p"), kMciOk);
}

TEST_F(WaveAudioTest, ExtraChunksAreNotSavedAsSamples)
{
    // sox writes a LIST chunk when given a comment; add a fact chunk too.
    const QString src = dir.filePath("list.wav");
    ASSERT_EQ(runShell("sox -n --comment 'a comment' -r 44100 -c 2 -b 16 '" + src + "' synth 1 sine 300"), 0);
    WavInfo si;
    const QByteArray samples = readWavData(src, &si).take();
    ASSERT_TRUE(si.ok);
    const QString out = dir.filePath("list-out.wav");
    ASSERT_EQ(mciSendStringA("open " + q(src) + " type waveaudio alias voice1"), kMciOk);
    EXPECT_EQ(mciSendStringA("save voice1 " + q(out)), kMciOk);
    mciSendStringA("close voice1");
    const QByteArray file = readFile(out);
    EXPECT_EQ(file.size(), 44 + samples.size());
    EXPECT_EQ(file.mid(44), samples);
}

TEST_F(WaveAudioTest, BadInputGivesAnErrorCodeAndNoDevice)
{
    const QString garbage = dir.filePath("garbage.wav");
    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk.append(char((i * 2654435761u) >> 11));
    writeFile(garbage, junk);
    EXPECT_EQ(mciSendStringA("open " + q(garbage) + " type waveaudio alias voice1"), kMciErrInvalidFile);
    EXPECT_EQ(mciSendStringA("delete voice1 from 0 to 10"), kMciErrInvalidDevice);
    EXPECT_EQ(mciSendStringA("save voice1 " + q(dir.filePath("x.wav"))), kMciErrInvalidDevice);
    EXPECT_FALSE(QFile::exists(dir.filePath("x.wav")));
    EXPECT_EQ(mciSendStringA("close voice1"), kMciErrInvalidDevice);

    const QString good = make("good.wav", "-r 44100 -c 2 -b 16", 0.5);
    const QByteArray whole = readFile(good);
    const QString headerCut = dir.filePath("headercut.wav");
    writeFile(headerCut, whole.left(30));
    EXPECT_EQ(mciSendStringA("open " + q(headerCut) + " type waveaudio alias voice1"), kMciErrInvalidFile);
    const QString noData = dir.filePath("nodata.wav");
    writeFile(noData, wavRiffPart(WavHeader::make(2, 44100, 16)) + wavFormatPart(WavHeader::make(2, 44100, 16)));
    EXPECT_EQ(mciSendStringA("open " + q(noData) + " type waveaudio alias voice1"), kMciErrInvalidFile);
    const QString empty = dir.filePath("empty.wav");
    writeFile(empty, QByteArray());
    EXPECT_EQ(mciSendStringA("open " + q(empty) + " type waveaudio alias voice1"), kMciErrInvalidFile);
    EXPECT_EQ(mciSendStringA("open " + q(dir.filePath("missing.wav")) + " type waveaudio alias voice1"), kMciErrFileNotFound);

    // A WAV cut off inside its samples opens with the samples it holds.
    const QString dataCut = dir.filePath("datacut.wav");
    writeFile(dataCut, whole.left(44 + 4000));
    ASSERT_EQ(mciSendStringA("open " + q(dataCut) + " type waveaudio alias cut"), kMciOk);
    QString len;
    EXPECT_EQ(mciSendStringA("status cut length", &len), kMciOk);
    EXPECT_EQ(len, QString::number(1000 * 1000 / 44100));
    EXPECT_EQ(mciSendStringA("close cut"), kMciOk);
}

TEST_F(WaveAudioTest, MalformedCommandsGiveErrorCodes)
{
    const QString src = make("m.wav", "-r 44100 -c 1 -b 16", 1.0);
    EXPECT_EQ(mciSendStringA(""), kMciErrMissingCommand);
    EXPECT_EQ(mciSendStringA("   "), kMciErrMissingCommand);
    EXPECT_EQ(mciSendStringA("play voice1"), kMciErrUnrecognizedCommand);
    EXPECT_EQ(mciSendStringA("open"), kMciErrMissingParameter);
    EXPECT_EQ(mciSendStringA("open \"" + src + " type waveaudio alias voice1"), kMciErrNoClosingQuote);
    EXPECT_EQ(mciSendStringA("open " + q(src) + " type cdaudio alias voice1"), kMciErrUnsupportedType);
    EXPECT_EQ(mciSendStringA("open " + q(src) + " type waveaudio alias"), kMciErrMissingParameter);
    EXPECT_EQ(mciSendStringA("open " + q(src) + " type waveaudio alias voice1 bogus"), kMciErrUnrecognizedKeyword);
    ASSERT_EQ(mciSendStringA("open " + q(src) + " type waveaudio alias voice1"), kMciOk);
    EXPECT_EQ(mciSendStringA("open " + q(src) + " type waveaudio alias VOICE1"), kMciErrDuplicateAlias);
    EXPECT_EQ(mciSendStringA("delete voice1 from abc to 10"), kMciErrBadInteger);
    EXPECT_EQ(mciSendStringA("delete voice1 from 10 to"), kMciErrMissingParameter);
    EXPECT_EQ(mciSendStringA("delete voice1 from -5 to 10"), kMciErrOutOfRange);
    EXPECT_EQ(mciSendStringA("delete voice1 between 1 and 2"), kMciErrUnrecognizedKeyword);
    EXPECT_EQ(mciSendStringA("delete"), kMciErrMissingParameter);
    EXPECT_EQ(mciSendStringA("save voice1 " + q(dir.filePath("no/such/folder/x.wav"))), kMciErrFileNotSaved);
    EXPECT_EQ(mciSendStringA("save voice1 a b"), kMciErrUnrecognizedKeyword);
    QString answer = "x";
    EXPECT_EQ(mciSendStringA("status voice1 colour", &answer), kMciErrUnrecognizedKeyword);
    EXPECT_TRUE(answer.isEmpty());
    EXPECT_EQ(mciSendStringA("status voice1 samplespersec", &answer), kMciOk);
    EXPECT_EQ(answer, "44100");
    EXPECT_EQ(mciSendStringA("close voice1"), kMciOk);
    EXPECT_EQ(mciSendStringA("close voice1"), kMciErrInvalidDevice);
    // The device was not changed by the failed commands: reopen and check.
    ASSERT_EQ(mciSendStringA("open " + q(src) + " alias voice1"), kMciOk);
    EXPECT_EQ(mciSendStringA("status voice1 length", &answer), kMciOk);
    EXPECT_EQ(answer, "1000");
}

TEST_F(WaveAudioTest, SaveWithoutAPathRewritesTheOpenedFile)
{
    const QString src = make("self.wav", "-r 44100 -c 2 -b 16", 2.0);
    ASSERT_EQ(mciSendStringA("open " + q(src) + " type waveaudio alias s"), kMciOk);
    EXPECT_EQ(mciSendStringA("delete s from 1000"), kMciOk);
    EXPECT_EQ(mciSendStringA("save s"), kMciOk);
    mciSendStringA("close s");
    EXPECT_EQ(readWavInfo(src).durationMs(), 1000);
}

TEST_F(WaveAudioTest, EveryCodeHasItsWords)
{
    QSet<QString> seen;
    for (quint32 code = kMciOk; code <= kMciErrOutOfMemory; ++code) {
        const QString words = mciGetErrorString(code);
        EXPECT_FALSE(words.isEmpty());
        EXPECT_FALSE(seen.contains(words)) << code;
        seen.insert(words);
    }
    EXPECT_TRUE(mciGetErrorString(9999).contains("9999"));
}

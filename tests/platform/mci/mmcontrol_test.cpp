// The multimedia control against the real sound server.
#include "platform/mci/mmcontrol.h"
#include "base/wavformat.h"
#include "base/wavheader.h"
#include "fixtures.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <cmath>
#include <vector>

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(haveTool("sox")) << "sox is needed for the fixtures";
        ASSERT_TRUE(soundServerAnswers()) << "no sound server answers (run through ./test.sh)";
    }
    QString make(const QString &name, const QString &args, double seconds, const QString &synth = QStringLiteral("sine 440"))
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(soxMake(path, args, seconds, synth)) << name.toStdString();
        return path;
    }
    static void pump(int ms) { waitFor([] { return false; }, ms); }
    QTemporaryDir dir;
};

TEST_F(PlayerTest, OpenReportsTheLengthAndCloseForgetsIt)
{
    MMControl p(QStringLiteral("MMCEdit"));
    EXPECT_FALSE(p.isOpen());
    EXPECT_EQ(p.Length(), 0);
    p.setFileName(make("a.wav", "-r 44100 -c 2 -b 16", 2.5));
    p.setCommand(QStringLiteral("Open"));
    EXPECT_TRUE(p.isOpen());
    EXPECT_EQ(p.Length(), 2500);
    EXPECT_EQ(p.Position(), 0);
    EXPECT_EQ(p.Command(), QStringLiteral("Open"));
    p.setCommand(QStringLiteral("CLOSE"));
    EXPECT_FALSE(p.isOpen());
    EXPECT_EQ(p.Length(), 0);
    EXPECT_EQ(p.Position(), 0);
}

TEST_F(PlayerTest, PositionAdvancesAndDoneComesAtTheEnd)
{
    MMControl p(QStringLiteral("MMCPlayList"));
    p.setFileName(make("b.wav", "-r 44100 -c 2 -b 16", 2.0));
    p.setCommand(QStringLiteral("open"));
    ASSERT_EQ(p.Length(), 2000);
    int done = 0, status = 0;
    QObject::connect(&p, &MMControl::Done, [&] { ++done; });
    QObject::connect(&p, &MMControl::StatusUpdate, [&] { ++status; });
    QElapsedTimer t;
    t.start();
    p.setCommand(QStringLiteral("play"));
    EXPECT_TRUE(p.isPlaying());
    std::vector<int> positions;
    qint64 doneAt = -1;
    while (t.elapsed() < 4000) {
        waitFor([] { return false; }, 100);
        if (done) {
            doneAt = t.elapsed();
            break;
        }
        positions.push_back(p.Position());
        if (qEnvironmentVariableIsSet("MCI_TRACE")) fprintf(stderr, "%lld %d\n", (long long)t.elapsed(), positions.back());
    }
    ASSERT_GE(doneAt, 0) << "no Done";
    EXPECT_NEAR(double(doneAt), 2000.0, 500.0);
    ASSERT_GE(positions.size(), 10u);
    for (size_t i = 1; i < positions.size(); ++i)
        EXPECT_GE(positions[i], positions[i - 1]);
    EXPECT_GT(positions[positions.size() / 2], 500);
    EXPECT_LT(positions[positions.size() / 2], 1600);
    EXPECT_LE(positions.back(), 2000);
    EXPECT_GE(status, 1);
    EXPECT_EQ(p.Position(), 2000);
    EXPECT_TRUE(p.isOpen());
    pump(700);
    EXPECT_EQ(done, 1);
}

TEST_F(PlayerTest, StopRaisesNoDoneAndPlayGoesOnWhereItStopped)
{
    MMControl p(QStringLiteral("MMCEdit"));
    p.setFileName(make("c.wav", "-r 48000 -c 2 -b 16", 1.6));
    p.setCommand(QStringLiteral("open"));
    int done = 0;
    QObject::connect(&p, &MMControl::Done, [&] { ++done; });
    p.setCommand(QStringLiteral("play"));
    pump(700);
    p.setCommand(QStringLiteral("Stop"));
    const int stoppedAt = p.Position();
    EXPECT_GT(stoppedAt, 200);
    EXPECT_LT(stoppedAt, 900);
    pump(1800);
    EXPECT_EQ(done, 0);
    EXPECT_EQ(p.Position(), stoppedAt);
    EXPECT_TRUE(p.Error().isEmpty()) << "a stop asked for is no failure: " << p.Error().toStdString();
    QElapsedTimer t;
    t.start();
    p.setCommand(QStringLiteral("play"));
    ASSERT_TRUE(waitFor([&] { return done == 1; }, 3000));
    EXPECT_NEAR(double(t.elapsed()), double(1600 - stoppedAt), 500.0);
}

TEST_F(PlayerTest, PlayFromFromAndAgainAfterTheEnd)
{
    MMControl p(QStringLiteral("MMCEdit"));
    p.setFileName(make("d.wav", "-r 22050 -c 1 -b 16", 2.0));
    p.setCommand(QStringLiteral("open"));
    int done = 0;
    QObject::connect(&p, &MMControl::Done, [&] { ++done; });
    p.setFrom(1500);
    QElapsedTimer t;
    t.start();
    p.setCommand(QStringLiteral("Play"));
    EXPECT_GE(p.Position(), 1500);
    ASSERT_TRUE(waitFor([&] { return done == 1; }, 3000));
    EXPECT_NEAR(double(t.elapsed()), 500.0, 450.0);
    // From is used once: the next play after the end starts at the beginning.
    t.restart();
    p.setCommand(QStringLiteral("play"));
    EXPECT_LT(p.Position(), 300);
    ASSERT_TRUE(waitFor([&] { return done == 2; }, 4000));
    EXPECT_NEAR(double(t.elapsed()), 2000.0, 500.0);
}

TEST_F(PlayerTest, PauseHoldsThePositionAndResumeFinishes)
{
    MMControl p(QStringLiteral("MMCEdit"));
    p.setFileName(make("e.wav", "-r 44100 -c 2 -b 16", 1.5));
    p.setCommand(QStringLiteral("open"));
    int done = 0;
    QObject::connect(&p, &MMControl::Done, [&] { ++done; });
    p.play();
    pump(600);
    p.setCommand(QStringLiteral("pause"));
    EXPECT_TRUE(p.isPaused());
    const int at = p.Position();
    pump(1500);
    EXPECT_EQ(done, 0);
    EXPECT_EQ(p.Position(), at);
    QElapsedTimer t;
    t.start();
    p.resume();
    ASSERT_TRUE(waitFor([&] { return done == 1; }, 3000));
    EXPECT_NEAR(double(t.elapsed()), double(1500 - at), 500.0);
}

TEST_F(PlayerTest, CloseWhilePlayingRaisesNothing)
{
    MMControl p(QStringLiteral("MMCPlayList"));
    p.setFileName(make("f.wav", "-r 44100 -c 2 -b 16", 0.8));
    p.setCommand(QStringLiteral("open"));
    int done = 0;
    QObject::connect(&p, &MMControl::Done, [&] { ++done; });
    p.setCommand(QStringLiteral("play"));
    pump(300);
    p.setCommand(QStringLiteral("close"));
    pump(1200);
    EXPECT_EQ(done, 0);
    EXPECT_FALSE(p.isOpen());
}

TEST_F(PlayerTest, EveryPcmLayoutPlaysToItsEnd)
{
    const char *layouts[] = {
        "-r 22050 -c 1 -b 8 -e unsigned-integer", "-r 48000 -c 2 -b 16", "-r 44100 -c 2 -b 24",
        "-r 44100 -c 1 -b 32 -e signed-integer", "-r 32000 -c 2 -b 32 -e floating-point",
        "-r 44100 -c 6 -b 16", "-r 11025 -c 1 -b 16",
    };
    int n = 0;
    for (const char *args : layouts) {
        MMControl p(QStringLiteral("MMCPlayList"));
        p.setFileName(make(QStringLiteral("l%1.wav").arg(n++), QString::fromLatin1(args), 0.4));
        p.setCommand(QStringLiteral("open"));
        EXPECT_EQ(p.Length(), 400) << args;
        int done = 0;
        QObject::connect(&p, &MMControl::Done, [&] { ++done; });
        QElapsedTimer t;
        t.start();
        p.setCommand(QStringLiteral("play"));
        EXPECT_TRUE(waitFor([&] { return done == 1; }, 2500)) << args;
        EXPECT_NEAR(double(t.elapsed()), 400.0, 450.0) << args;
    }
}

TEST_F(PlayerTest, ExtraChunksDoNotPlayAsSound)
{
    // A WAV with a LIST chunk before the data: the header bytes are not audio.
    const QString src = make("g.wav", "-r 44100 -c 1 -b 16", 0.5);
    WavInfo info;
    const QByteArray data = readWavData(src, &info).take();
    ASSERT_TRUE(info.ok);
    QByteArray list("INFOICMT\x0b\0\0\0a comment!\0\0", 22);
    QByteArray fmt = wavFormatPart(WavHeader::make(1, 44100, 16));
    QByteArray chunks = fmt + "LIST" + QByteArray(4, 0) + list + wavDataPart(WavHeader::make(1, 44100, 16, data.size())) + data;
    qToLittleEndian<quint32>(quint32(list.size()), chunks.data() + fmt.size() + 4);
    QByteArray file = "RIFF" + QByteArray(4, 0) + "WAVE" + chunks;
    qToLittleEndian<quint32>(quint32(file.size() - 8), file.data() + 4);
    const QString path = dir.filePath("list.wav");
    ASSERT_TRUE(writeFile(path, file));
    MMControl p(QStringLiteral("MMCPlayList"));
    p.setFileName(path);
    p.setCommand(QStringLiteral("open"));
    EXPECT_EQ(p.Length(), 500);
    int done = 0;
    QObject::connect(&p, &MMControl::Done, [&] { ++done; });
    p.setCommand(QStringLiteral("play"));
    EXPECT_TRUE(waitFor([&] { return done == 1; }, 2500));
}

TEST_F(PlayerTest, UnreadableFilesOpenWithLengthZeroAndPlayNothing)
{
    const QByteArray garbage("this is no wave file at all, only text pretending to be one\n");
    const QString junk = dir.filePath("junk.wav");
    writeFile(junk, garbage);
    const QString riffJunk = dir.filePath("riffjunk.wav");
    writeFile(riffJunk, "RIFF this is no wave at all");
    const QString noData = dir.filePath("nodata.wav");
    QByteArray nd = wavRiffPart(WavHeader::make(2, 44100, 16)) + wavFormatPart(WavHeader::make(2, 44100, 16));
    writeFile(noData, nd);
    const QString empty = dir.filePath("empty.wav");
    writeFile(empty, QByteArray());
    for (const QString &path : {junk, riffJunk, noData, empty, dir.filePath("missing.wav"), QString()}) {
        MMControl p(QStringLiteral("MMCEdit"));
        int done = 0, status = 0;
        QObject::connect(&p, &MMControl::Done, [&] { ++done; });
        QObject::connect(&p, &MMControl::StatusUpdate, [&] { ++status; });
        p.setFileName(path);
        p.setCommand(QStringLiteral("open"));
        EXPECT_EQ(p.Length(), 0) << path.toStdString();
        EXPECT_FALSE(p.isOpen()) << path.toStdString();
        EXPECT_FALSE(p.Error().isEmpty()) << path.toStdString();
        p.setFrom(0);
        p.setCommand(QStringLiteral("play"));
        p.setCommand(QStringLiteral("pause"));
        p.setCommand(QStringLiteral("resume"));
        p.setCommand(QStringLiteral("stop"));
        p.setCommand(QStringLiteral("play"));
        EXPECT_FALSE(p.isPlaying());
        EXPECT_EQ(p.Position(), 0);
        pump(300);
        EXPECT_EQ(done, 0);
        p.setCommand(QStringLiteral("close"));
        p.setCommand(QStringLiteral("bogus"));
        EXPECT_EQ(p.Command(), QStringLiteral("bogus"));
    }
}

TEST_F(PlayerTest, AClipWithNoSamplesEndsAtOnce)
{
    const QString path = dir.filePath("zero.wav");
    writeFile(path, wavHeaderBytes(WavHeader::make(2, 44100, 16, 0)));
    MMControl p(QStringLiteral("MMCPlayList"));
    p.setFileName(path);
    p.setCommand(QStringLiteral("open"));
    EXPECT_TRUE(p.isOpen());
    EXPECT_EQ(p.Length(), 0);
    int done = 0;
    QObject::connect(&p, &MMControl::Done, [&] { ++done; });
    p.setCommand(QStringLiteral("play"));
    EXPECT_TRUE(waitFor([&] { return done == 1; }, 1000));
}

TEST_F(PlayerTest, StatusUpdateAboutOnceASecondWhileOpen)
{
    MMControl p(QStringLiteral("MMCEdit"));
    p.setFileName(make("s.wav", "-r 44100 -c 2 -b 16", 1.0));
    int status = 0;
    QObject::connect(&p, &MMControl::StatusUpdate, [&] { ++status; });
    pump(1200);
    EXPECT_EQ(status, 0); // not open
    p.setCommand(QStringLiteral("open"));
    pump(3300);
    EXPECT_GE(status, 2);
    EXPECT_LE(status, 4);
    p.setCommand(QStringLiteral("close"));
    status = 0;
    pump(1300);
    EXPECT_EQ(status, 0);
}

TEST_F(PlayerTest, StaleSignalsAfterRapidCommandsAreDropped)
{
    MMControl p(QStringLiteral("MMCPlayList"));
    p.setFileName(make("r.wav", "-r 44100 -c 2 -b 16", 0.3));
    int done = 0;
    QObject::connect(&p, &MMControl::Done, [&] { ++done; });
    for (int i = 0; i < 20; ++i)
        for (const char *w : {"stop", "close", "Open", "play"})
            p.setCommand(QString::fromLatin1(w));
    ASSERT_TRUE(waitFor([&] { return done >= 1; }, 2500));
    pump(600);
    EXPECT_EQ(done, 1);
}

namespace {
// Frequency of the loud stretch of mono int16 samples by zero crossings; its
// length in samples in *loud.
double toneFrequency(const std::vector<qint16> &s, int rate, qint64 *loud, qint64 *start = nullptr)
{
    qint64 first = -1, last = -1;
    for (qint64 i = 0; i < qint64(s.size()); ++i)
        if (std::abs(int(s[size_t(i)])) > 3000) {
            if (first < 0)
                first = i;
            last = i;
        }
    *loud = first < 0 ? 0 : last - first;
    if (start)
        *start = first;
    if (first < 0 || last - first < rate / 10)
        return 0;
    int crossings = 0;
    for (qint64 i = first + 1; i <= last; ++i)
        if ((s[size_t(i - 1)] < 0) != (s[size_t(i)] < 0))
            ++crossings;
    return crossings / 2.0 / (double(last - first) / rate);
}
} // namespace

TEST_F(PlayerTest, TheSinkMonitorHearsTheClipsTone)
{
    QString sources;
    runShell(QStringLiteral("pactl list short sources"), &sources);
    if (!sources.contains(QStringLiteral("clipforge_sink.monitor")))
        GTEST_SKIP() << "not the private sound server of test.sh (no clipforge_sink)";
    ASSERT_TRUE(haveTool("parec") || haveTool("parecord"));
    for (const int freq : {1000, 440}) {
        // 48 kHz stereo 24-bit source, recorded as 44.1 kHz mono 16-bit.
        const QString clip = make(QStringLiteral("tone%1.wav").arg(freq), "-r 48000 -c 2 -b 24", 1.5,
                                  QStringLiteral("sine %1 vol 0.5").arg(freq));
        const QString raw = dir.filePath(QStringLiteral("rec%1.raw").arg(freq));
        QProcess rec;
        rec.setStandardOutputFile(raw);
        rec.start(QStringLiteral("parecord"), {QStringLiteral("--raw"), QStringLiteral("--device=clipforge_sink.monitor"),
                                               QStringLiteral("--rate=44100"), QStringLiteral("--channels=1"),
                                               QStringLiteral("--format=s16le"), QStringLiteral("--latency-msec=20")});
        ASSERT_TRUE(rec.waitForStarted(5000));
        pump(500);
        MMControl p(QStringLiteral("MMCPlayList"));
        p.setFileName(clip);
        p.setCommand(QStringLiteral("open"));
        int done = 0;
        QObject::connect(&p, &MMControl::Done, [&] { ++done; });
        p.setCommand(QStringLiteral("play"));
        ASSERT_TRUE(waitFor([&] { return done == 1; }, 4000));
        pump(400);
        rec.terminate();
        ASSERT_TRUE(rec.waitForFinished(5000));
        const QByteArray bytes = readFile(raw);
        std::vector<qint16> s(size_t(bytes.size() / 2));
        samplesToInt16(bytes.constData(), SampleFormat::S16, qint64(s.size()), s.data());
        qint64 loud = 0, start = 0;
        const double f = toneFrequency(s, 44100, &loud, &start);
        EXPECT_NEAR(f, double(freq), freq * 0.02) << "recorded " << bytes.size() << " bytes";
        EXPECT_NEAR(double(loud) / 44100.0, 1.5, 0.25);
        if (haveTool("sox") && loud > 0) {
            // sox's own estimate, on the loud stretch only.
            const QString tone = dir.filePath(QStringLiteral("tone%1.raw").arg(freq));
            writeFile(tone, bytes.mid(int(start * 2), int(loud * 2)));
            QString out;
            runShell(QStringLiteral("sox -t raw -r 44100 -e signed -b 16 -c 1 '%1' -n stat -freq 2>&1 | grep -i 'rough'").arg(tone), &out);
            const double rough = out.section(QLatin1Char(':'), 1).trimmed().toDouble();
            EXPECT_NEAR(rough, double(freq), freq * 0.1) << out.toStdString();
        }
    }
}

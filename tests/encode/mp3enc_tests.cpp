// The MP3 encoder component with the real libmp3lame, checked with ffprobe,
// ffmpeg and mpg123.
#include "encode/mp3enc.h"
#include "testenv.h"
#include "testwav.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <QtEndian>
#include <cmath>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString q(const QString &p) { return QLatin1Char('\'') + p + QLatin1Char('\''); }

bool haveTools()
{
    return haveTool(QStringLiteral("sox")) && haveTool(QStringLiteral("ffprobe")) && haveTool(QStringLiteral("ffmpeg"))
        && haveTool(QStringLiteral("mpg123"));
}

// A 1 kHz tone made by sox; extra are sox's output options.
QString soxTone(const QString &path, int rate, int channels, const QString &extra, double seconds = 2.0)
{
    const int rc = runShell(QStringLiteral("sox -n -r %1 -c %2 %3 %4 synth %5 sine 1000 vol 0.5")
                                .arg(rate)
                                .arg(channels)
                                .arg(extra, q(path))
                                .arg(seconds));
    EXPECT_EQ(rc, 0) << "sox failed for " << path.toStdString();
    return path;
}

// A 16-bit WAV of a 1 kHz tone written by hand: a LIST chunk before the
// data, optionally WAVE_FORMAT_EXTENSIBLE.
QByteArray handWav(int rate, int channels, double seconds, bool list, bool extensible)
{
    const int frames = int(rate * seconds);
    QByteArray data;
    for (int i = 0; i < frames; ++i) {
        const auto s = qint16(std::lround(12000 * std::sin(2 * M_PI * 1000.0 * i / rate)));
        for (int c = 0; c < channels; ++c)
            data += le16(quint16(s));
    }
    QByteArray fmt = fmtBody(extensible ? 0xFFFE : 1, quint16(channels), quint32(rate), 16);
    if (extensible)
        fmt += le16(22) + le16(16) + le32(channels == 2 ? 3 : 4)
               + QByteArray::fromHex("0100000000001000800000aa00389b71");
    const QByteArray listChunk = riffChunk("LIST", "INFO" + riffChunk("ICMT", QByteArray("a test", 7)));
    return riffWave(riffChunk("fmt ", fmt) + (list ? listChunk : QByteArray()) + riffChunk("data", data));
}

struct Probe {
    int bitRate = 0, rate = 0, channels = 0;
};

Probe probe(const QString &mp3)
{
    QString out;
    runShell(QStringLiteral("ffprobe -v error -select_streams a:0 -show_entries stream=bit_rate,sample_rate,channels "
                            "-of default=nw=1 %1").arg(q(mp3)), &out);
    Probe p;
    for (const QString &line : out.split(QLatin1Char('\n'))) {
        const auto kv = line.split(QLatin1Char('='));
        if (kv.size() != 2)
            continue;
        if (kv[0] == QLatin1String("bit_rate")) p.bitRate = kv[1].toInt();
        if (kv[0] == QLatin1String("sample_rate")) p.rate = kv[1].toInt();
        if (kv[0] == QLatin1String("channels")) p.channels = kv[1].toInt();
    }
    return p;
}

// Decoded mono 16-bit samples of the first channel.
std::vector<qint16> decode(const QString &mp3, const QString &tool, int channels)
{
    const QString raw = mp3 + QStringLiteral(".") + tool + QStringLiteral(".raw");
    const QString cmd = tool == QLatin1String("ffmpeg")
        ? QStringLiteral("ffmpeg -v error -y -i %1 -f s16le -acodec pcm_s16le %2").arg(q(mp3), q(raw))
        : QStringLiteral("mpg123 -q -s %1 > %2").arg(q(mp3), q(raw));
    EXPECT_EQ(runShell(cmd), 0) << cmd.toStdString();
    const QByteArray b = readFile(raw);
    QFile::remove(raw);
    std::vector<qint16> s;
    const auto *p = reinterpret_cast<const qint16 *>(b.constData());
    const qsizetype n = b.size() / 2 / channels;
    s.reserve(size_t(n));
    for (qsizetype i = 0; i < n; ++i)
        s.push_back(p[i * channels]);
    return s;
}

double toneHz(const std::vector<qint16> &s, int rate)
{
    // Zero crossings in the middle half, away from the encoder's edges.
    const size_t a = s.size() / 4, b = 3 * s.size() / 4;
    int crossings = 0;
    for (size_t i = a + 1; i < b; ++i)
        if ((s[i - 1] < 0) != (s[i] < 0))
            ++crossings;
    return crossings / 2.0 / (double(b - a) / rate);
}

struct EncRun {
    int finished = 0;
    bool onUiThread = true;
    int hundreds = 0;
    qint16 started = 0, status = 0;
    QString error;
};

// Encodes and waits for Finished().
EncRun encodeWith(Mp3Enc &enc, const QString &in, const QString &out)
{
    EncRun r;
    auto c1 = QObject::connect(&enc, &Mp3Enc::Finished, [&] {
        ++r.finished;
        r.onUiThread = r.onUiThread && QThread::currentThread() == qApp->thread();
        r.error = enc.lastError();
    });
    auto c2 = QObject::connect(&enc, &Mp3Enc::Progress, [&](int p) { r.hundreds += p == 100; });
    r.started = enc.StartEncoding(in, out);
    r.status = enc.Status();
    EXPECT_EQ(r.finished, 0) << "Finished raised inside the start call";
    EXPECT_TRUE(waitFor([&] { return r.finished > 0; }, 60000));
    // Nothing more may follow.
    waitFor([] { return false; }, 100);
    QObject::disconnect(c1);
    QObject::disconnect(c2);
    return r;
}

std::int64_t wavFrames(const QString &wav, int *rate)
{
    QString out;
    runShell(QStringLiteral("soxi -s %1").arg(q(wav)), &out);
    QString r;
    runShell(QStringLiteral("soxi -r %1").arg(q(wav)), &r);
    *rate = r.trimmed().toInt();
    return out.trimmed().toLongLong();
}

// The full check of one good encoding.
void checkGood(const QString &wav, const QString &mp3, int kbps, int channels)
{
    SCOPED_TRACE(wav.toStdString() + " at " + std::to_string(kbps));
    Mp3Enc enc;
    enc.setBitRate(kbps);
    const EncRun r = encodeWith(enc, wav, mp3);
    EXPECT_EQ(r.started, 0);
    EXPECT_EQ(r.status, Mp3Enc::StatusBusy);
    EXPECT_EQ(r.finished, 1);
    EXPECT_TRUE(r.onUiThread);
    EXPECT_EQ(r.hundreds, 1);
    EXPECT_EQ(r.error, QString());
    EXPECT_EQ(enc.Status(), 0);
    ASSERT_TRUE(QFileInfo(mp3).isFile());
    // No temporary file stays beside it.
    EXPECT_EQ(QDir(QFileInfo(mp3).absolutePath()).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden).size(), 0);

    int inRate = 0;
    const std::int64_t inFrames = wavFrames(wav, &inRate);
    const Probe p = probe(mp3);
    EXPECT_EQ(p.bitRate, kbps * 1000);
    EXPECT_EQ(p.channels, channels);
    // The input's rate is kept, except where the bit rate does not exist at
    // it (256 kbit/s at 22.05 kHz) or its frames cannot hold the info frame
    // (56 kbit/s stereo at 44.1 kHz): then the nearest rate of its family.
    int expectRate = inRate;
    if (inRate == 22050 && kbps > 160)
        expectRate = 44100;
    if (inRate == 44100 && channels == 2 && kbps == 56)
        expectRate = 22050;
    EXPECT_EQ(p.rate, expectRate);
    // The LAME info frame is the first frame.
    const QByteArray head = readFile(mp3).left(400);
    EXPECT_TRUE(head.contains("Info") && head.contains("LAME")) << "no LAME info frame";
    const double frameSec = (p.rate >= 32000 ? 1152.0 : 576.0) / p.rate;
    const double inSec = double(inFrames) / inRate;
    for (const QString tool : {QStringLiteral("ffmpeg"), QStringLiteral("mpg123")}) {
        SCOPED_TRACE(tool.toStdString());
        const auto s = decode(mp3, tool, channels);
        const double outSec = double(s.size()) / p.rate;
        EXPECT_NEAR(outSec, inSec, frameSec);
        EXPECT_NEAR(toneHz(s, p.rate), 1000.0, 10.0);
    }
}

class Mp3EncTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!haveTools())
            GTEST_SKIP() << "sox, ffprobe, ffmpeg and mpg123 are needed";
        dir = env.root() + QStringLiteral("/files");
        QDir().mkpath(dir);
    }
    QString file(const QString &name) const { return dir + QLatin1Char('/') + name; }
    TestEnv env;
    QString dir;
};

} // namespace

TEST_F(Mp3EncTest, StereoToneAtEveryBitRate)
{
    const QString wav = soxTone(file(QStringLiteral("tone.wav")), 44100, 2, QStringLiteral("-b 16"));
    for (int kbps : {56, 96, 128, 256})
        checkGood(wav, file(QStringLiteral("tone%1.mp3").arg(kbps)), kbps, 2);
}

TEST_F(Mp3EncTest, Mono22050)
{
    const QString wav = soxTone(file(QStringLiteral("mono.wav")), 22050, 1, QStringLiteral("-b 16"));
    for (int kbps : {56, 96, 128})
        checkGood(wav, file(QStringLiteral("mono%1.mp3").arg(kbps)), kbps, 1);
    // 256 kbit/s does not exist at 22.05 kHz: the bit rate wins, the rate goes up.
    checkGood(wav, file(QStringLiteral("mono256.mp3")), 256, 1);
}

TEST_F(Mp3EncTest, SampleLayouts)
{
    checkGood(soxTone(file(QStringLiteral("u8.wav")), 44100, 2, QStringLiteral("-b 8 -e unsigned-integer")), file(QStringLiteral("u8.mp3")), 96, 2);
    checkGood(soxTone(file(QStringLiteral("s24.wav")), 44100, 2, QStringLiteral("-b 24")), file(QStringLiteral("s24.mp3")), 128, 2);
    checkGood(soxTone(file(QStringLiteral("s32.wav")), 48000, 2, QStringLiteral("-b 32")), file(QStringLiteral("s32.mp3")), 128, 2);
    checkGood(soxTone(file(QStringLiteral("f32.wav")), 44100, 2, QStringLiteral("-b 32 -e floating-point")), file(QStringLiteral("f32.mp3")), 256, 2);
    checkGood(soxTone(file(QStringLiteral("m8.wav")), 22050, 1, QStringLiteral("-b 8 -e unsigned-integer")), file(QStringLiteral("m8.mp3")), 56, 1);
}

TEST_F(Mp3EncTest, ListChunkAndExtensible)
{
    const QString list = env.homeFile(QStringLiteral("list.wav"), handWav(44100, 2, 2.0, true, false));
    checkGood(list, file(QStringLiteral("list.mp3")), 128, 2);
    const QString ext = env.homeFile(QStringLiteral("ext.wav"), handWav(44100, 2, 2.0, true, true));
    checkGood(ext, file(QStringLiteral("ext.mp3")), 96, 2);
    const QString extMono = env.homeFile(QStringLiteral("extm.wav"), handWav(32000, 1, 1.5, false, true));
    checkGood(extMono, file(QStringLiteral("extm.mp3")), 56, 1);
}

TEST_F(Mp3EncTest, BitRatePropertyKeepsWhatItIsGiven)
{
    Mp3Enc enc;
    EXPECT_EQ(enc.BitRate().toInt(), 128);
    enc.setBitRate(QStringLiteral(" 96 "));
    EXPECT_EQ(enc.BitRate(), QVariant(QStringLiteral(" 96 ")));
    EXPECT_EQ(enc.effectiveBitRate(), 96);
    enc.setBitRate(QString());
    EXPECT_EQ(enc.BitRate(), QVariant(QString()));
    EXPECT_EQ(enc.effectiveBitRate(), 128);
    enc.setBitRate(QStringLiteral("abc"));
    EXPECT_EQ(enc.effectiveBitRate(), 128);
    enc.setBitRate(QVariant());
    EXPECT_EQ(enc.effectiveBitRate(), 128);
    enc.setBitRate(256);
    EXPECT_EQ(enc.effectiveBitRate(), 256);
    EXPECT_EQ(enc.property("BitRate").toInt(), 256);
}

TEST_F(Mp3EncTest, EmptyOrNonNumericBitRateEncodesAt128)
{
    const QString wav = soxTone(file(QStringLiteral("t.wav")), 44100, 2, QStringLiteral("-b 16"), 1.0);
    for (const QString &value : {QString(), QStringLiteral("abc")}) {
        Mp3Enc enc;
        enc.setBitRate(value);
        const QString mp3 = file(QStringLiteral("t%1.mp3").arg(value));
        const EncRun r = encodeWith(enc, wav, mp3);
        EXPECT_EQ(r.finished, 1);
        EXPECT_EQ(r.error, QString());
        EXPECT_EQ(probe(mp3).bitRate, 128000) << value.toStdString();
    }
}

namespace {
// A failing job: Finished once on the UI thread, an error naming `names`, no
// output left (or the old one untouched), no temporary file.
void checkFails(Mp3Enc &enc, const QString &in, const QString &out, const QString &names, const QByteArray &oldOut = {})
{
    SCOPED_TRACE(in.toStdString() + " -> " + out.toStdString());
    const EncRun r = encodeWith(enc, in, out);
    EXPECT_EQ(r.finished, 1);
    EXPECT_TRUE(r.onUiThread);
    EXPECT_EQ(r.hundreds, 0);
    EXPECT_TRUE(r.error.contains(names)) << r.error.toStdString();
    EXPECT_LT(enc.Status(), 0);
    EXPECT_EQ(enc.lastError(), r.error);
    if (oldOut.isNull())
        EXPECT_FALSE(QFileInfo::exists(out));
    else
        EXPECT_EQ(readFile(out), oldOut);
    const QString folder = QFileInfo(out).absolutePath();
    if (QFileInfo(folder).isDir())
        EXPECT_EQ(QDir(folder).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden).size(), 0);
}
} // namespace

TEST_F(Mp3EncTest, FailuresFinishOnceAndNameTheFile)
{
    Mp3Enc enc;
    const QString good = soxTone(file(QStringLiteral("good.wav")), 44100, 2, QStringLiteral("-b 16"), 1.0);

    checkFails(enc, file(QStringLiteral("missing.wav")), file(QStringLiteral("a.mp3")), QStringLiteral("missing.wav"));
    const QString text = env.homeFile(QStringLiteral("text.wav"), "This is not a sound at all, just some text.\n");
    checkFails(enc, text, file(QStringLiteral("b.mp3")), QStringLiteral("text.wav"));
    const QByteArray whole = readFile(good);
    const QString headerOnly = env.homeFile(QStringLiteral("head.wav"), whole.left(20));
    checkFails(enc, headerOnly, file(QStringLiteral("d.mp3")), QStringLiteral("head.wav"));

    // An existing output stays as it was when the input is bad.
    const QString old = env.homeFile(QStringLiteral("old.mp3"), "old contents");
    checkFails(enc, text, old, QStringLiteral("text.wav"), QByteArray("old contents"));

    checkFails(enc, good, file(QStringLiteral("nofolder/x.mp3")), QStringLiteral("x.mp3"));

    if (::geteuid() != 0) {
        const QString ro = file(QStringLiteral("ro"));
        QDir().mkpath(ro);
        writeFile(ro + QStringLiteral("/kept.mp3"), "kept");
        ::chmod(QFile::encodeName(ro).constData(), 0555);
        checkFails(enc, good, ro + QStringLiteral("/y.mp3"), QStringLiteral("y.mp3"));
        checkFails(enc, good, ro + QStringLiteral("/kept.mp3"), QStringLiteral("kept.mp3"), QByteArray("kept"));
        ::chmod(QFile::encodeName(ro).constData(), 0755);
    } else if (QFileInfo(QStringLiteral("/sys")).isDir()) {
        // Root writes into any 0555 folder; sysfs refuses even root.
        checkFails(enc, good, QStringLiteral("/sys/clipforge-mp3enc-test.mp3"), QStringLiteral("clipforge-mp3enc-test.mp3"));
    }

    // An empty path cannot even be queued, yet Finished still follows.
    const EncRun r = encodeWith(enc, QString(), file(QStringLiteral("e.mp3")));
    EXPECT_LT(r.started, 0);
    EXPECT_EQ(r.status, r.started);
    EXPECT_EQ(r.finished, 1);
    EXPECT_FALSE(r.error.isEmpty());

    // After all that, the component still encodes.
    const EncRun ok = encodeWith(enc, good, file(QStringLiteral("ok.mp3")));
    EXPECT_EQ(ok.finished, 1);
    EXPECT_EQ(ok.error, QString());
    EXPECT_EQ(probe(file(QStringLiteral("ok.mp3"))).bitRate, 128000);
}

// A WAV cut short is what it holds, as everywhere else in the program.
TEST_F(Mp3EncTest, AWavCutShortEncodesWhatItHolds)
{
    const QByteArray whole = readFile(soxTone(file(QStringLiteral("whole.wav")), 44100, 2, QStringLiteral("-b 16"), 2.0));
    const QString cut = env.homeFile(QStringLiteral("cut.wav"), whole.left(44 + (whole.size() - 44) / 2));
    Mp3Enc enc;
    const EncRun r = encodeWith(enc, cut, file(QStringLiteral("cut.mp3")));
    EXPECT_EQ(r.error, QString());
    const auto samples = decode(file(QStringLiteral("cut.mp3")), QStringLiteral("ffmpeg"), 2);
    EXPECT_NEAR(double(samples.size()) / 44100, 1.0, 1152.0 / 44100);
}

TEST_F(Mp3EncTest, ReplacesAnExistingOutput)
{
    const QString wav = soxTone(file(QStringLiteral("r.wav")), 44100, 2, QStringLiteral("-b 16"), 1.0);
    const QString out = env.homeFile(QStringLiteral("r.mp3"), "old");
    checkGood(wav, out, 96, 2);
}

TEST_F(Mp3EncTest, OverlappingEncodingsBothFinish)
{
    const QString a = soxTone(file(QStringLiteral("a.wav")), 44100, 2, QStringLiteral("-b 16"), 20.0);
    const QString b = soxTone(file(QStringLiteral("b.wav")), 22050, 1, QStringLiteral("-b 16"), 3.0);
    Mp3Enc enc;
    int finished = 0;
    bool uiThread = true;
    QStringList errors;
    QObject::connect(&enc, &Mp3Enc::Finished, [&] {
        ++finished;
        uiThread = uiThread && QThread::currentThread() == qApp->thread();
        errors << enc.lastError();
    });
    enc.setBitRate(128);
    EXPECT_EQ(enc.StartEncoding(a, file(QStringLiteral("a.mp3"))), 0);
    enc.setBitRate(56);
    EXPECT_EQ(enc.StartEncoding(b, file(QStringLiteral("b.mp3"))), 0);
    // The second reads what the first writes: it waits for the finished file.
    enc.setBitRate(96);
    EXPECT_EQ(enc.StartEncoding(file(QStringLiteral("a.mp3")), file(QStringLiteral("c.mp3"))), 0);
    EXPECT_EQ(finished, 0);
    ASSERT_TRUE(waitFor([&] { return finished == 3; }, 120000));
    waitFor([] { return false; }, 200);
    EXPECT_EQ(finished, 3);
    EXPECT_TRUE(uiThread);
    EXPECT_EQ(errors.value(0), QString());
    EXPECT_EQ(errors.value(1), QString());
    // An MP3 is not a WAV: the third fails cleanly, naming its input.
    EXPECT_TRUE(errors.value(2).contains(QStringLiteral("a.mp3")));
    EXPECT_EQ(probe(file(QStringLiteral("a.mp3"))).bitRate, 128000);
    const Probe pb = probe(file(QStringLiteral("b.mp3")));
    EXPECT_EQ(pb.bitRate, 56000);
    EXPECT_EQ(pb.rate, 22050);
    EXPECT_EQ(pb.channels, 1);
}

TEST_F(Mp3EncTest, DestroyedWhileEncodingLeavesNoFiles)
{
    const QString a = soxTone(file(QStringLiteral("long.wav")), 44100, 2, QStringLiteral("-b 16"), 60.0);
    {
        Mp3Enc enc;
        enc.StartEncoding(a, file(QStringLiteral("long.mp3")));
        enc.StartEncoding(a, file(QStringLiteral("long2.mp3")));
        QThread::msleep(50);
    }
    QCoreApplication::processEvents();
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral("long2.mp3"))));
    EXPECT_EQ(QDir(dir).entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden).size(), 0);
}

#include "bass_fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <cstdio>
#include <cstring>

QString appLibraryPath() { return QCoreApplication::applicationDirPath() + QStringLiteral("/libbass.so"); }

int runProgram(const QString &program, const QStringList &args, QByteArray *out, int timeoutMs)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(program, args);
    if (!p.waitForStarted(10000))
        return -1;
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    if (out)
        *out = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

namespace {

void put16be(QByteArray &b, int v)
{
    b.append(char((v >> 8) & 0xFF));
    b.append(char(v & 0xFF));
}

class BitWriter {
public:
    void put(unsigned value, int bits)
    {
        for (int i = bits - 1; i >= 0; --i) {
            acc_ = (acc_ << 1) | ((value >> i) & 1u);
            if (++n_ == 8) {
                bytes.append(char(acc_));
                acc_ = 0;
                n_ = 0;
            }
        }
    }
    void padTo(int totalBytes)
    {
        while (n_ != 0)
            put(0, 1);
        while (bytes.size() < totalBytes)
            bytes.append('\0');
    }
    QByteArray bytes;

private:
    unsigned acc_ = 0;
    int n_ = 0;
};

} // namespace

QByteArray makeProTrackerModule(int rows)
{
    QByteArray m;
    QByteArray title("clipforge test");
    title.resize(20, '\0');
    m += title;
    const int sampleWords = 32; // 64 bytes: one period of a square wave
    for (int s = 0; s < 31; ++s) {
        QByteArray name(22, '\0');
        if (s == 0)
            std::memcpy(name.data(), "square", 6);
        m += name;
        put16be(m, s == 0 ? sampleWords : 0); // length in words
        m.append('\0');                       // finetune
        m.append(char(s == 0 ? 64 : 0));      // volume
        put16be(m, 0);                        // repeat start
        put16be(m, s == 0 ? sampleWords : 1); // repeat length: the whole sample loops
    }
    m.append(char(1));   // song length: one order
    m.append(char(127)); // restart byte
    QByteArray orders(128, '\0');
    m += orders;
    m += "M.K.";
    // Pattern 0: 64 rows x 4 channels x 4 bytes.
    QByteArray pattern(64 * 4 * 4, '\0');
    auto cell = [&](int row, int channel, int sample, int period, int effect, int param) {
        unsigned char *c = reinterpret_cast<unsigned char *>(pattern.data()) + (row * 4 + channel) * 4;
        c[0] = static_cast<unsigned char>((sample & 0xF0) | ((period >> 8) & 0x0F));
        c[1] = static_cast<unsigned char>(period & 0xFF);
        c[2] = static_cast<unsigned char>(((sample & 0x0F) << 4) | (effect & 0x0F));
        c[3] = static_cast<unsigned char>(param);
    };
    cell(0, 0, 1, 428, 0, 0);                   // C-2 on channel 1
    cell(rows / 2, 1, 1, 320, 0, 0);            // F-2 on channel 2 half way
    if (rows < 64)
        cell(rows - 1, 3, 0, 0, 0xD, 0); // pattern break: the song ends after `rows` rows
    m += pattern;
    for (int i = 0; i < sampleWords * 2; ++i)
        m.append(char(i < sampleWords ? 100 : -100));
    return m;
}

QByteArray makeLayer1Stream(int frames)
{
    // 48 kHz, 64 kbit/s, no padding: 12 * 64000 / 48000 = 16 slots of 4 bytes.
    constexpr int frameBytes = 64;
    QByteArray out;
    for (int f = 0; f < frames; ++f) {
        BitWriter w;
        w.put(0xFFF, 12); // sync
        w.put(1, 1);      // MPEG-1
        w.put(3, 2);      // layer I
        w.put(1, 1);      // no CRC
        w.put(2, 4);      // 64 kbit/s (layer I's table: free, 32, 64, 96, ...)
        w.put(1, 2);      // 48 kHz
        w.put(0, 1);      // no padding
        w.put(0, 1);      // private
        w.put(3, 2);      // mono
        w.put(0, 2);      // mode extension
        w.put(0, 1);      // not copyrighted
        w.put(1, 1);      // original
        w.put(0, 2);      // no emphasis
        // Allocation: subbands 1 and 3 get 4-bit samples (code 3), the rest none.
        for (int sb = 0; sb < 32; ++sb)
            w.put(sb == 1 || sb == 3 ? 3 : 0, 4);
        w.put(8, 6);  // scale factor of subband 1
        w.put(12, 6); // scale factor of subband 3
        for (int s = 0; s < 12; ++s) {
            w.put(unsigned((s * 5 + f) % 15), 4);  // subband 1: never the all-ones code
            w.put(unsigned((s * 3 + 7) % 15), 4);  // subband 3
        }
        w.padTo(frameBytes);
        out += w.bytes;
    }
    return out;
}

void BassTest::SetUp()
{
    ASSERT_TRUE(dir_.isValid());
    if (qEnvironmentVariableIsSet("BASS_TEST_KEEP")) { // for looking at the fixtures afterwards
        dir_.setAutoRemove(false);
        std::printf("fixtures in %s\n", qPrintable(dir_.path()));
    }
    auto loaded = BassLibrary::load(appLibraryPath());
    ASSERT_TRUE(loaded) << loaded.error().toStdString();
    lib_ = loaded.take();
    ASSERT_EQ(bass().BASS_GetVersion(), 0x00020002u);
    ASSERT_TRUE(bass().BASS_Init(0, 44100, 0, nullptr, nullptr)) << bass().BASS_ErrorGetCode();
}

void BassTest::TearDown()
{
    if (lib_)
        bass().BASS_Free();
}

void BassTest::make(const QString &program, const QStringList &args)
{
    QByteArray out;
    ASSERT_EQ(runProgram(program, args, &out), 0) << program.toStdString() << " " << args.join(' ').toStdString();
}

QString BassTest::tone(const QString &name, const QStringList &extra, double seconds, const QString &synth)
{
    const QString file = path(name);
    QStringList args{QStringLiteral("-n")};
    args += extra;
    args << file << QStringLiteral("synth") << QString::number(seconds);
    args += synth.split(' ');
    args << QStringLiteral("vol") << QStringLiteral("0.5");
    make(QStringLiteral("sox"), args);
    return file;
}

DWORD BassTest::open(const QString &file, DWORD flags)
{
    const QByteArray native = QFile::encodeName(file);
    return bass().BASS_StreamCreateFile(0, native.constData(), 0, 0, flags);
}

Decoded BassTest::decode(DWORD handle, DWORD block)
{
    Decoded d;
    bass().BASS_ChannelGetInfo(handle, &d.info);
    bass().BASS_ChannelGetAttributes(handle, &d.rate, nullptr, nullptr);
    d.length = bass().BASS_ChannelGetLength(handle);
    QByteArray buf(int(block), '\0');
    while (bass().BASS_ChannelIsActive(handle)) {
        const DWORD got = bass().BASS_ChannelGetData(handle, buf.data(), block);
        if (got == 0xFFFFFFFFu)
            break;
        d.pcm.append(buf.constData(), int(got));
        ++d.blocks;
        if (d.blocks > 1000000)
            break;
    }
    return d;
}

QByteArray BassTest::ffmpegS16(const QString &file)
{
    QByteArray out;
    EXPECT_EQ(runProgram(QStringLiteral("ffmpeg"),
                         {"-v", "error", "-i", file, "-f", "s16le", "-acodec", "pcm_s16le", "-"}, &out),
              0);
    return out;
}

QByteArray BassTest::mpg123S16(const QString &file)
{
    QByteArray out;
    EXPECT_EQ(runProgram(QStringLiteral("mpg123"), {"-q", "-s", file}, &out), 0);
    return out;
}

::testing::AssertionResult samplesMatch(const QByteArray &ours, const QByteArray &theirs, int tolerance)
{
    if (ours.size() != theirs.size())
        return ::testing::AssertionFailure() << "sizes differ: ours " << ours.size() << " bytes, theirs "
                                             << theirs.size();
    const auto *a = reinterpret_cast<const int16_t *>(ours.constData());
    const auto *b = reinterpret_cast<const int16_t *>(theirs.constData());
    const qsizetype n = ours.size() / 2;
    int worst = 0;
    qsizetype where = -1;
    for (qsizetype i = 0; i < n; ++i) {
        const int d = std::abs(int(a[i]) - int(b[i]));
        if (d > worst) {
            worst = d;
            where = i;
        }
    }
    if (worst > tolerance)
        return ::testing::AssertionFailure() << "sample " << where << " differs by " << worst << " (ours "
                                             << a[where] << ", theirs " << b[where] << ")";
    return ::testing::AssertionSuccess() << "max difference " << worst;
}

int peak16(const QByteArray &pcm)
{
    const auto *a = reinterpret_cast<const int16_t *>(pcm.constData());
    int p = 0;
    for (qsizetype i = 0; i < pcm.size() / 2; ++i)
        p = std::max(p, std::abs(int(a[i])));
    return p;
}

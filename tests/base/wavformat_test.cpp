// The 44-byte WAV header and the reader of any RIFF WAVE file.
#include "base/wavformat.h"
#include "base/wavheader.h"
#include "support/testenv.h"
#include "support/testwav.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <cmath>
#include <vector>

namespace {

QByteArray chunk(const char *id, const QByteArray &body, bool pad = true) { return riffChunk(id, body, pad); }
QByteArray riff(const QByteArray &chunks) { return riffWave(chunks); }
QByteArray ramp(int n) { QByteArray b; for (int i = 0; i < n; ++i) b.append(char(i * 7)); return b; }

WavInfo infoOf(const QByteArray &bytes)
{
    QBuffer buf;
    buf.setData(bytes);
    buf.open(QIODevice::ReadOnly);
    return readWavInfo(buf);
}

} // namespace

TEST(WavHeader, LayoutAndThreePieces)
{
    WavHeader h = WavHeader::make(2, 44100, 16, 1000);
    EXPECT_EQ(sizeof(WavHeader), 44u);
    EXPECT_EQ(h.blockAlign, 4);
    EXPECT_EQ(h.bytesPerSecond, 176400u);
    EXPECT_EQ(h.riffSize, 1036);
    EXPECT_EQ(wavRiffPart(h).size(), 12);
    EXPECT_EQ(wavFormatPart(h).size(), 24);
    EXPECT_EQ(wavDataPart(h).size(), 8);
    const QByteArray b = wavHeaderBytes(h);
    ASSERT_EQ(b.size(), 44);
    const QByteArray expect = "RIFF" + le32(1036) + "WAVE" + "fmt " + le32(16) + fmtBody(1, 2, 44100, 16) + "data" + le32(1000);
    EXPECT_EQ(b, expect);
    // The one reader takes it back; the header claims more than it holds.
    const WavInfo back = infoOf(b);
    ASSERT_TRUE(back.ok) << back.error.toStdString();
    EXPECT_TRUE(back.canonical);
    EXPECT_EQ(back.sampleRate, 44100u);
    EXPECT_EQ(back.channels, 2);
    EXPECT_EQ(back.dataSize, 0);
    EXPECT_TRUE(back.cutShort);

    WavHeader mono8 = WavHeader::make(1, 22050, 8);
    EXPECT_EQ(mono8.blockAlign, 1);
    EXPECT_EQ(mono8.bytesPerSecond, 22050u);
    EXPECT_EQ(mono8.riffSize, 36);
    EXPECT_EQ(mono8.dataSize, 0);
}

TEST(WavHeader, WriteAndPatch)
{
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    ASSERT_TRUE(writeWavHeader(buf, WavHeader::make(2, 44100, 16)));
    buf.write(ramp(400));
    ASSERT_TRUE(patchWavSizes(buf, 400));
    EXPECT_EQ(buf.pos(), 444);
    const QByteArray d = buf.data();
    EXPECT_EQ(qFromLittleEndian<quint32>(d.constData() + 4), 436u);
    EXPECT_EQ(qFromLittleEndian<quint32>(d.constData() + 40), 400u);
    WavInfo i = infoOf(d);
    ASSERT_TRUE(i.ok) << i.error.toStdString();
    EXPECT_TRUE(i.canonical);
    EXPECT_EQ(i.dataOffset, 44);
    EXPECT_EQ(i.dataSize, 400);
    EXPECT_EQ(i.frames(), 100);

    QByteArray mem = wavHeaderBytes(WavHeader::make(2, 44100, 16)) + ramp(8);
    ASSERT_TRUE(patchWavSizes(mem, mem.size() - 44));
    EXPECT_EQ(qFromLittleEndian<quint32>(mem.constData() + 4), quint32(mem.size() - 8));
}

TEST(WavReader, CanonicalFileRoundTrip)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.wav");
    const QByteArray samples = ramp(4410 * 4);
    ASSERT_TRUE(writeFile(path, wavHeaderBytes(WavHeader::make(2, 44100, 16, samples.size())) + samples));
    WavInfo info;
    const Result<QByteArray> read = readWavData(path, &info);
    ASSERT_TRUE(read.ok()) << read.error().toStdString();
    const QByteArray &data = read.value();
    EXPECT_EQ(info.formatTag, 1);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.sampleRate, 44100u);
    EXPECT_EQ(info.bitsPerSample, 16);
    EXPECT_EQ(info.blockAlign, 4);
    EXPECT_EQ(info.durationMs(), 100);
    EXPECT_EQ(data, samples);
}

TEST(WavReader, ExtraChunksAndOddChunkPad)
{
    const QByteArray samples = ramp(1000);
    const QByteArray file = riff(chunk("LIST", QByteArray("INFOISFT\x05\0\0\0abcde\0", 18)) +
                                 chunk("fmt ", fmtBody(1, 1, 8000, 16)) +
                                 chunk("fact", le32(500)) +
                                 chunk("junk", QByteArray("xyz")) + // odd: 3 bytes + pad
                                 chunk("data", samples) +
                                 chunk("LIST", QByteArray("INFOtail")));
    WavInfo i = infoOf(file);
    ASSERT_TRUE(i.ok) << i.error.toStdString();
    EXPECT_FALSE(i.canonical);
    EXPECT_EQ(i.sampleRate, 8000u);
    EXPECT_EQ(i.dataSize, 1000);
    EXPECT_EQ(file.mid(int(i.dataOffset), int(i.dataSize)), samples);
}

TEST(WavReader, OddDataChunkThenFmt)
{
    // data before fmt, data of odd size followed by its pad byte.
    const QByteArray samples = ramp(9);
    const QByteArray file = riff(chunk("data", samples) + chunk("fmt ", fmtBody(1, 1, 8000, 8)));
    WavInfo i = infoOf(file);
    ASSERT_TRUE(i.ok) << i.error.toStdString();
    EXPECT_EQ(i.dataSize, 9);
    EXPECT_EQ(i.bitsPerSample, 8);
    EXPECT_EQ(file.mid(int(i.dataOffset), 9), samples);
}

TEST(WavReader, ExtensibleResolvesToSubFormat)
{
    auto ext = [](quint16 sub, quint16 bits, quint16 valid) {
        QByteArray b = fmtBody(0xFFFE, 2, 48000, bits) + le16(22) + le16(valid) + le32(3) + le16(sub) +
                       QByteArray("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
        return b;
    };
    WavInfo i = infoOf(riff(chunk("fmt ", ext(1, 24, 20)) + chunk("data", ramp(600))));
    ASSERT_TRUE(i.ok) << i.error.toStdString();
    EXPECT_EQ(i.formatTag, 1);
    EXPECT_EQ(i.bitsPerSample, 24);
    EXPECT_EQ(i.validBits, 20);
    EXPECT_EQ(i.sampleFormat(), SampleFormat::S24);
    WavInfo f = infoOf(riff(chunk("fmt ", ext(3, 32, 32)) + chunk("data", ramp(800))));
    ASSERT_TRUE(f.ok) << f.error.toStdString();
    EXPECT_EQ(f.formatTag, 3);
    EXPECT_EQ(f.sampleFormat(), SampleFormat::F32);
    // An unknown sub-format GUID is refused.
    QByteArray bad = ext(1, 16, 16);
    bad[bad.size() - 1] = 0;
    EXPECT_FALSE(infoOf(riff(chunk("fmt ", bad) + chunk("data", ramp(8)))).ok);
}

TEST(WavReader, TruncatedDataIsClamped)
{
    QByteArray file = wavHeaderBytes(WavHeader::make(2, 44100, 16, 100000)) + ramp(1002);
    WavInfo i = infoOf(file);
    ASSERT_TRUE(i.ok) << i.error.toStdString();
    EXPECT_EQ(i.dataSize, 1002);
    EXPECT_EQ(i.frames(), 250);
    // Streaming writers leave 0xFFFFFFFF.
    patchWavSizes(file, 0);
    qToLittleEndian<quint32>(0xFFFFFFFFu, file.data() + 40);
    i = infoOf(file);
    ASSERT_TRUE(i.ok);
    EXPECT_EQ(i.dataSize, 1002);
}

TEST(WavReader, BadInputs)
{
    EXPECT_FALSE(infoOf(QByteArray()).ok);
    EXPECT_FALSE(infoOf(QByteArray("RIFF")).ok);
    QByteArray noise;
    for (int i = 0; i < 5000; ++i)
        noise.append(char((i * 2654435761u) >> 13));
    EXPECT_FALSE(infoOf(noise).ok);
    EXPECT_FALSE(infoOf("RIFF" + noise).ok);
    EXPECT_FALSE(infoOf("RIFF" + le32(100) + "WAVE" + noise).ok);
    EXPECT_FALSE(infoOf("RIFF" + le32(100) + "AVI " + chunk("fmt ", fmtBody(1, 1, 8000, 8))).ok);
    // No data chunk.
    WavInfo nd = infoOf(riff(chunk("fmt ", fmtBody(1, 2, 44100, 16)) + chunk("LIST", "INFO")));
    EXPECT_FALSE(nd.ok);
    EXPECT_FALSE(nd.error.isEmpty());
    // No fmt chunk; a short fmt chunk; bad values.
    EXPECT_FALSE(infoOf(riff(chunk("data", ramp(10)))).ok);
    EXPECT_FALSE(infoOf(riff(chunk("fmt ", ramp(10)) + chunk("data", ramp(10)))).ok);
    EXPECT_FALSE(infoOf(riff(chunk("fmt ", fmtBody(1, 0, 44100, 16)) + chunk("data", ramp(10)))).ok);
    EXPECT_FALSE(infoOf(riff(chunk("fmt ", fmtBody(2, 2, 44100, 4)) + chunk("data", ramp(10)))).ok); // ADPCM
    // Samples of 8194 bytes, whose 65552 bits would wrap round to 16.
    QByteArray wide = fmtBody(1, 1, 8000, 16);
    wide.replace(12, 2, le16(8194));
    EXPECT_FALSE(infoOf(riff(chunk("fmt ", wide) + chunk("data", ramp(8194 * 2)))).ok);
    // A chunk size that runs past the end.
    EXPECT_FALSE(infoOf(riff("fmt " + le32(0x7FFFFFF0u) + ramp(20))).ok);
    // Missing file, empty file, not RIFF.
    QTemporaryDir dir;
    EXPECT_FALSE(readWavInfo(dir.filePath("none.wav")).ok);
    writeFile(dir.filePath("empty.wav"), QByteArray());
    EXPECT_FALSE(readWavInfo(dir.filePath("empty.wav")).ok);
    writeFile(dir.filePath("text.wav"), QByteArray("this is not a wave file at all, just words\n"));
    EXPECT_FALSE(readWavInfo(dir.filePath("text.wav")).ok);
    const Result<QByteArray> read = readWavData(dir.filePath("text.wav"));
    ASSERT_FALSE(read.ok());
    EXPECT_FALSE(read.error().isEmpty());
}

TEST(WavReader, SoxFiles)
{
    if (!haveTool("sox"))
        GTEST_SKIP() << "sox missing";
    QTemporaryDir dir;
    struct Case { const char *args; quint16 tag, ch, bits; quint32 rate; };
    const Case cases[] = {
        {"-r 22050 -c 1 -b 8 -e unsigned-integer", 1, 1, 8, 22050},
        {"-r 48000 -c 2 -b 16 -e signed-integer", 1, 2, 16, 48000},
        {"-r 44100 -c 2 -b 24 -e signed-integer", 1, 2, 24, 44100},
        {"-r 44100 -c 1 -b 32 -e signed-integer", 1, 1, 32, 44100},
        {"-r 44100 -c 2 -b 32 -e floating-point", 3, 2, 32, 44100},
    };
    int n = 0;
    for (const Case &c : cases) {
        const QString path = dir.filePath(QStringLiteral("s%1.wav").arg(n++));
        ASSERT_EQ(runShell(QStringLiteral("sox -n %1 '%2' synth 0.5 sine 440").arg(c.args, path)), 0);
        WavInfo i = readWavInfo(path);
        ASSERT_TRUE(i.ok) << c.args << ": " << i.error.toStdString();
        EXPECT_EQ(i.formatTag, c.tag) << c.args;
        EXPECT_EQ(i.channels, c.ch) << c.args;
        EXPECT_EQ(i.bitsPerSample, c.bits) << c.args;
        EXPECT_EQ(i.sampleRate, c.rate) << c.args;
        EXPECT_EQ(i.frames(), c.rate / 2) << c.args;
        // The samples decode to a loud sine (sox writes about 0.7 of full scale).
        const QByteArray data = readWavData(path).take();
        std::vector<float> f(size_t(data.size() / (c.bits / 8)));
        samplesToFloat(data.constData(), i.sampleFormat(), qint64(f.size()), f.data());
        float peak = 0;
        for (float v : f)
            peak = std::max(peak, std::fabs(v));
        EXPECT_GT(peak, 0.6f) << c.args;
        EXPECT_LE(peak, 1.0f) << c.args;
    }
}

TEST(SampleConversion, AllLayouts)
{
    // 16-bit round trip through float and int16 is lossless.
    QByteArray s16;
    for (int v : {-32768, -12345, -1, 0, 1, 12345, 32767})
        s16 += le16(quint16(qint16(v)));
    EXPECT_EQ(convertSamples(convertSamples(s16, SampleFormat::S16, SampleFormat::F32), SampleFormat::F32, SampleFormat::S16), s16);
    EXPECT_EQ(convertSamples(convertSamples(s16, SampleFormat::S16, SampleFormat::S24), SampleFormat::S24, SampleFormat::S16), s16);
    EXPECT_EQ(convertSamples(convertSamples(s16, SampleFormat::S16, SampleFormat::S32), SampleFormat::S32, SampleFormat::S16), s16);

    const unsigned char u8[] = {0, 64, 128, 192, 255};
    float f[5];
    samplesToFloat(reinterpret_cast<const char *>(u8), SampleFormat::U8, 5, f);
    EXPECT_FLOAT_EQ(f[0], -1.0f);
    EXPECT_FLOAT_EQ(f[2], 0.0f);
    EXPECT_FLOAT_EQ(f[3], 0.5f);
    qint16 i16[5];
    samplesToInt16(reinterpret_cast<const char *>(u8), SampleFormat::U8, 5, i16);
    EXPECT_EQ(i16[0], -32768);
    EXPECT_EQ(i16[2], 0);
    EXPECT_EQ(i16[4], 127 * 256);

    const unsigned char s24[] = {0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF};
    samplesToFloat(reinterpret_cast<const char *>(s24), SampleFormat::S24, 4, f);
    EXPECT_NEAR(f[0], 1.0f, 1e-6);
    EXPECT_FLOAT_EQ(f[1], -1.0f);
    EXPECT_FLOAT_EQ(f[2], 0.0f);
    EXPECT_FLOAT_EQ(f[3], -1.0f / 8388608.0f);
    samplesToInt16(reinterpret_cast<const char *>(s24), SampleFormat::S24, 4, i16);
    EXPECT_EQ(i16[0], 32767);
    EXPECT_EQ(i16[1], -32768);

    // Float clipping.
    const float big[] = {2.0f, -2.0f, 0.5f, NAN};
    char out[8];
    samplesFromFloat(big, 4, SampleFormat::S16, out);
    EXPECT_EQ(qFromLittleEndian<qint16>(out), 32767);
    EXPECT_EQ(qFromLittleEndian<qint16>(out + 2), -32768);
    EXPECT_EQ(qFromLittleEndian<qint16>(out + 4), 16384);
    EXPECT_EQ(qFromLittleEndian<qint16>(out + 6), 0);
    unsigned char o8[4];
    samplesFromFloat(big, 4, SampleFormat::U8, reinterpret_cast<char *>(o8));
    EXPECT_EQ(o8[0], 255);
    EXPECT_EQ(o8[1], 0);
    EXPECT_EQ(o8[2], 192);
}

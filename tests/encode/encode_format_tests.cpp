// Each format, from WAVs of several layouts, judged by ffprobe and ffmpeg:
// container, codec, rate, channels, length and title; the lossless ones
// sample for sample.
#include "encodefixture.h"

#include "testenv.h"

#include <QJsonArray>
#include <cmath>

namespace {

struct FormatCase {
    RingtoneFormat format;
    const char *container; // ffprobe's format_name
    const char *codec;     // nullptr: the WAV's own
    int rate;              // 0: the WAV's
    int channels;          // 0: the WAV's
    bool lossless;         // sample for sample
};

const FormatCase kFormats[] = {
    {RingtoneFormat::M4r, "mov,mp4,m4a,3gp,3g2,mj2", "aac", 44100, 2, false},
    {RingtoneFormat::Ogg, "ogg", "vorbis", 0, 0, false},
    {RingtoneFormat::Opus, "ogg", "opus", 48000, 0, false},
    {RingtoneFormat::Flac, "flac", "flac", 0, 0, true},
    {RingtoneFormat::Mp3, "mp3", "mp3", 0, 0, false},
    {RingtoneFormat::Wav, "wav", nullptr, 0, 0, true},
};

const WavLayout kLayouts[] = {{44100, 2, 16}, {22050, 1, 16}, {48000, 2, 24}, {32000, 1, 8}};

qint64 audioFrames(const QByteArray &samples32, int channels) { return samples32.size() / 4 / channels; }

} // namespace

class EncodeFormatTest : public EncodeFixture, public ::testing::TestWithParam<std::tuple<FormatCase, WavLayout>> {};

TEST_P(EncodeFormatTest, ContainerCodecRateChannelsLengthAndTitleAreRight)
{
    const auto [fc, layout] = GetParam();
    const double seconds = 3.3;
    const QString wav = makeWav(QStringLiteral("joined.wav"), seconds, layout);
    const QString name = QStringLiteral("My Ring.") + extensionFor(fc.format);
    ASSERT_EQ(save(wav, name, fc.format), QString());

    const QJsonObject probed = probe(file(name));
    const QJsonObject audio = firstAudioStream(probed);
    EXPECT_EQ(probed[QLatin1String("format")][QLatin1String("format_name")].toString(), QLatin1String(fc.container));
    const QString wavCodec = firstAudioStream(probe(wav))[QLatin1String("codec_name")].toString();
    EXPECT_EQ(audio[QLatin1String("codec_name")].toString(), fc.codec ? QLatin1String(fc.codec) : wavCodec);
    const int rate = fc.rate ? fc.rate : layout.rate;
    const int channels = fc.channels ? fc.channels : layout.channels;
    EXPECT_EQ(audio[QLatin1String("sample_rate")].toString().toInt(), rate);
    EXPECT_EQ(audio[QLatin1String("channels")].toInt(), channels);

    // A phone repeats the ringtone: decoded, it holds exactly its frames,
    // with no gap of codec padding at either end.
    const QByteArray decoded = decode32(file(name), file(QStringLiteral("out.raw")));
    EXPECT_EQ(audioFrames(decoded, channels), std::llround(seconds * rate));
    if (fc.lossless)
        EXPECT_TRUE(decoded == decode32(wav, file(QStringLiteral("wav.raw")))) << "the samples differ";

    const auto tags = tagsOf(probed);
    EXPECT_EQ(tags.value(QStringLiteral("title")), QStringLiteral("My Ring"));
    if (fc.format == RingtoneFormat::M4r)
        EXPECT_EQ(tags.value(QStringLiteral("major_brand")), QStringLiteral("M4A "));
}

INSTANTIATE_TEST_SUITE_P(AllFormats, EncodeFormatTest,
                         ::testing::Combine(::testing::ValuesIn(kFormats), ::testing::ValuesIn(kLayouts)),
                         [](const auto &info) {
                             const FormatCase &fc = std::get<0>(info.param);
                             const WavLayout &layout = std::get<1>(info.param);
                             return (extensionFor(fc.format) + QStringLiteral("_%1Hz_%2ch_%3bit")
                                                                   .arg(layout.rate)
                                                                   .arg(layout.channels)
                                                                   .arg(layout.bits))
                                 .toStdString();
                         });

// M4R over 40 s: kept to its first 40 s with a 1 s fade, or saved whole.
class RingtoneLimitTest : public EncodeFixture, public ::testing::TestWithParam<bool> {};

namespace {
// Root mean square of the left channel over [from, to) seconds.
double rms(const QByteArray &samples32, double from, double to)
{
    const auto *s = reinterpret_cast<const qint32 *>(samples32.constData());
    const qint64 a = qint64(from * 44100), b = qint64(to * 44100);
    double sum = 0;
    for (qint64 i = a; i < b; ++i)
        sum += std::pow(s[2 * i] / 2147483648.0, 2);
    return std::sqrt(sum / double(b - a));
}
} // namespace

TEST_P(RingtoneLimitTest, FirstFortySecondsFadeOutOrTheWholeSong)
{
    const bool keep = GetParam();
    const QString wav = makeWav(QStringLiteral("long.wav"), 45.0);
    ASSERT_EQ(ringtoneLimitSeconds(RingtoneFormat::M4r), 40.0);
    ASSERT_EQ(save(wav, QStringLiteral("long.m4r"), RingtoneFormat::M4r, {},
                   keep ? ringtoneLimitSeconds(RingtoneFormat::M4r) : std::nullopt, keep ? kRingtoneFadeSeconds : 0),
              QString());
    const QByteArray decoded = decode32(file(QStringLiteral("long.m4r")), file(QStringLiteral("out.raw")));
    const double length = keep ? 40.0 : 45.0;
    EXPECT_EQ(decoded.size() / 8, qint64(length * 44100));

    const double full = rms(decoded, length - 2.0, length - 1.0);
    ASSERT_GT(full, 0.05);
    double before = full;
    for (double from = length - 1.0; from < length - 0.1; from += 0.25) {
        const double level = rms(decoded, from, from + 0.2);
        if (keep) {
            EXPECT_LT(level, before) << "not fading at " << from << " s";
            EXPECT_NEAR(level / full, (length - from - 0.1) / 1.0, 0.15) << "at " << from << " s";
        } else {
            EXPECT_GT(level, 0.8 * full) << "fading at " << from << " s";
        }
        before = level;
    }
}

INSTANTIATE_TEST_SUITE_P(BothAnswers, RingtoneLimitTest, ::testing::Values(true, false),
                         [](const auto &info) { return std::string(info.param ? "KeepFortySeconds" : "SaveWhole"); });

// The M4R declares the encoder's priming and padding as players read them
// (iTunSMPB: priming, remainder, the sound's frames), and the decoded sound
// lies exactly where the source's does: no frame early or late.
class M4rGapless : public EncodeFixture, public ::testing::Test {};

TEST_F(M4rGapless, DeclaresItsPaddingAndTheSoundStartsOnTheFirstFrame)
{
    const QString wav = makeWav(QStringLiteral("joined.wav"), 2.5);
    ASSERT_EQ(save(wav, QStringLiteral("ring.m4r"), RingtoneFormat::M4r), QString());
    const qint64 frames = 2.5 * 44100;
    const QStringList smpb = tagsOf(probe(file(QStringLiteral("ring.m4r")))).value(QStringLiteral("itunsmpb"))
                                 .split(QLatin1Char(' '), Qt::SkipEmptyParts);
    ASSERT_EQ(smpb.size(), 12);
    const qint64 priming = smpb[1].toLongLong(nullptr, 16), remainder = smpb[2].toLongLong(nullptr, 16);
    EXPECT_EQ(smpb[3].toLongLong(nullptr, 16), frames);
    EXPECT_GE(priming, 1024);
    EXPECT_EQ((priming + frames + remainder) % 1024, 0);

    const QByteArray decoded = decode32(file(QStringLiteral("ring.m4r")), file(QStringLiteral("out.raw")));
    const QByteArray source = decode32(wav, file(QStringLiteral("wav.raw")));
    ASSERT_EQ(decoded.size(), source.size());
    const auto *d = reinterpret_cast<const qint32 *>(decoded.constData());
    const auto *s = reinterpret_cast<const qint32 *>(source.constData());
    // The error against the source, left channel, shifted by `lag` frames.
    const auto error = [&](int lag) {
        double sum = 0;
        for (qint64 i = 4410; i < frames - 4410; ++i)
            sum += std::pow((double(d[2 * i]) - s[2 * (i + lag)]) / 2147483648.0, 2);
        return sum;
    };
    for (int lag : {-3, -2, -1, 1, 2, 3})
        EXPECT_LT(error(0) * 3, error(lag)) << "the sound is shifted by " << -lag << " frames";
}

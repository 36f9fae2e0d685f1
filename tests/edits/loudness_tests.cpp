// Loudness to the ringtone target, judged by ffmpeg's EBU R128 meter: a quiet
// clip is raised and a loud one lowered to -14 LUFS, and a deep rumble (which
// the loudness weighting hardly hears) is raised only as far as its peaks allow.
#include "editsfixture.h"
#include "edits/loudness.h"

#include "base/wavformat.h"

namespace {

struct LoudnessCase {
    const char *name;
    const char *format;
    const char *synth;
    bool peakLimited; // the true peak, not the loudness, sets the gain
};
void PrintTo(const LoudnessCase &c, std::ostream *os) { *os << c.name; }


class LoudnessTest : public EditsTest, public ::testing::WithParamInterface<LoudnessCase> {};

} // namespace

TEST_P(LoudnessTest, ReachesTheTargetWithinHalfALoudnessUnitAndKeepsThePeakDown)
{
    const LoudnessCase c = GetParam();
    const QString clip = makeClip(QStringLiteral("clip.wav"), QString::fromLatin1(c.format), QString::fromLatin1(c.synth));
    const WavInfo before = readWavInfo(clip);
    const FfmpegLoudness measuredBefore = ffmpegLoudness(clip);
    ASSERT_TRUE(measuredBefore.ok);

    const Result<LoudnessMeasurement> ours = measureLoudness(clip);
    ASSERT_TRUE(ours) << ours.error().toStdString();
    EXPECT_NEAR(ours.value().integratedLufs, measuredBefore.integratedLufs, 0.15);
    EXPECT_NEAR(ours.value().truePeakDbtp, measuredBefore.truePeakDbtp, 0.25);

    double gainDb = 0;
    const Outcome done = normalizeLoudness(clip, &gainDb);
    ASSERT_TRUE(done.ok()) << done.error().toStdString();
    const FfmpegLoudness after = ffmpegLoudness(clip);
    ASSERT_TRUE(after.ok);
    EXPECT_LE(after.truePeakDbtp, kTruePeakCeilingDbtp);
    if (c.peakLimited) {
        EXPECT_LT(after.integratedLufs, kTargetLoudnessLufs - 0.5);
        EXPECT_GT(after.truePeakDbtp, kTruePeakCeilingDbtp - kTruePeakMarginDb - 0.5);
    } else {
        EXPECT_NEAR(after.integratedLufs, kTargetLoudnessLufs, 0.5);
    }
    EXPECT_NEAR(after.integratedLufs - measuredBefore.integratedLufs, gainDb, 0.2);
    const WavInfo layout = readWavInfo(clip);
    EXPECT_EQ(layout.fileSize, before.fileSize);
    EXPECT_EQ(layout.sampleFormat(), before.sampleFormat());
}

INSTANTIATE_TEST_SUITE_P(
    Clips, LoudnessTest,
    ::testing::Values(
        LoudnessCase{"QuietStereo16bit", "-r 44100 -c 2 -b 16", "synth 6 sine 440 sine 660 vol 0.03", false},
        LoudnessCase{"TooLoudMono24bit", "-r 48000 -c 1 -b 24", "synth 6 square 220 vol 0.95", false},
        LoudnessCase{"DeepRumblePeaksFirst", "-r 44100 -c 2 -b 16", "synth 6 sine 15 vol 0.5", true},
        LoudnessCase{"NoiseBurstsPeaksFirst", "-r 44100 -c 2 -b 16", "synth 8 pinknoise tremolo 1 100 vol 0.2", true}),
    [](const auto &info) { return std::string(info.param.name); });

// Fades of a clip file: every frame of a steady tone against the quarter-sine
// curve, for several sample layouts, fade lengths and overlaps.
#include "editsfixture.h"
#include "edits/fades.h"

#include "base/wavformat.h"

#include <cmath>
#include <numbers>

namespace {

struct FadeCase {
    const char *name;
    const char *format; // sox's output options
    int channels;
    double seconds;     // of the clip
    double in, out;     // fade lengths
    double step;        // one step of the sample layout, as float
};
void PrintTo(const FadeCase &c, std::ostream *os) { *os << c.name; }


// The documented curve, written out here on its own: frame i of a fade of n
// frames gets sin(pi/2 * i / n); the fade-out is its mirror image.
double expectedGain(qint64 i, qint64 total, qint64 in, qint64 out)
{
    double g = 1;
    if (i < in)
        g *= std::sin(std::numbers::pi / 2 * double(i) / double(in));
    if (i >= total - out)
        g *= std::sin(std::numbers::pi / 2 * double(total - 1 - i) / double(out));
    return g;
}

class FadeCurveTest : public EditsTest, public ::testing::WithParamInterface<FadeCase> {};

} // namespace

TEST_P(FadeCurveTest, EveryFrameFollowsTheCurve)
{
    const FadeCase c = GetParam();
    const QString clip = makeClip(QStringLiteral("tone.wav"), QString::fromLatin1(c.format),
                                  QStringLiteral("synth %1 sine 440 vol 0.5").arg(c.seconds));
    const WavInfo before = readWavInfo(clip);
    const std::vector<float> original = soxSamples(clip);
    ASSERT_TRUE(before.ok);

    const Outcome faded = fadeClip(clip, c.in, c.out);
    ASSERT_TRUE(faded.ok()) << faded.error().toStdString();

    const WavInfo after = readWavInfo(clip);
    EXPECT_EQ(after.fileSize, before.fileSize);
    EXPECT_EQ(after.sampleFormat(), before.sampleFormat());
    const std::vector<float> result = soxSamples(clip);
    ASSERT_EQ(result.size(), original.size());
    const qint64 total = qint64(original.size()) / c.channels;
    const qint64 in = std::min<qint64>(std::llround(c.in * before.sampleRate), total);
    const qint64 out = std::min<qint64>(std::llround(c.out * before.sampleRate), total);
    int wrong = 0;
    for (qint64 i = 0; i < total && wrong < 5; ++i) {
        const double gain = expectedGain(i, total, in, out);
        // Rounding to the layout costs at most half a step; untouched frames stay exact.
        const double tolerance = gain == 1 ? 0 : c.step / 2 + 1e-6;
        for (int ch = 0; ch < c.channels; ++ch) {
            const size_t k = size_t(i * c.channels + ch);
            const double want = original[k] * gain;
            if (std::abs(result[k] - want) > tolerance) {
                ADD_FAILURE() << "frame " << i << " channel " << ch << ": " << result[k] << " instead of " << want;
                ++wrong;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, FadeCurveTest,
    ::testing::Values(FadeCase{"Stereo16bit44k", "-r 44100 -c 2 -b 16", 2, 4, 1, 2, 1.0 / 32768},
                      FadeCase{"Mono24bit48k", "-r 48000 -c 1 -b 24", 1, 2, 0.5, 0, 1.0 / 8388608},
                      FadeCase{"Stereo8bitOverlapping", "-r 22050 -c 2 -b 8", 2, 3, 2.5, 2.5, 1.0 / 128},
                      FadeCase{"MonoFloatLongerThanClip", "-r 32000 -c 1 -e floating-point -b 32", 1, 3, 5, 0.5, 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FadeLengths, HalfSecondsFromNoneToFive)
{
    for (double s : {0.0, 0.5, 1.0, 2.5, 5.0})
        EXPECT_TRUE(isFadeLength(s)) << s;
    for (double s : {-0.5, 0.25, 0.3, 5.5, 10.0})
        EXPECT_FALSE(isFadeLength(s)) << s;
}

// Beats of a click track, and the beats laid on a song's onsets.
#include "analysis/beatgrid.h"
#include "analysis/beats.h"
#include "testsongs.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>

TEST(Beats, OfA120BpmClickTrackLieOnTheClicks)
{
    std::vector<double> clicks;
    const TestAudio track = makeClickTrack(120, 30, 0.25, 44100, &clicks);
    const Result<std::vector<double>> found = findBeats(PcmSource::fromBuffer(track.samples.data(), track.frames(), track.channels, track.rate));
    ASSERT_TRUE(found) << found.error().toStdString();
    const std::vector<double> &beats = found.value();
    // The tracker settles within the first seconds; from then on every beat
    // is a click and every click a beat.
    auto nearest = [](const std::vector<double> &times, double t) {
        double best = 1e9;
        for (double x : times)
            best = std::min(best, std::abs(x - t));
        return best;
    };
    for (double beat : beats)
        if (beat > 5)
            EXPECT_LE(nearest(clicks, beat), 0.010) << "beat at " << beat;
    for (double click : clicks)
        if (click > 5)
            EXPECT_LE(nearest(beats, click), 0.010) << "click at " << click;
}

TEST(Beats, UnusableSourceGivesAnError)
{
    EXPECT_FALSE(findBeats(PcmSource{0, 44100, -1, {}}).error().isEmpty());
    const Result<std::vector<double>> none = findBeats(PcmSource::fromBuffer(nullptr, 0, 2, 44100));
    ASSERT_TRUE(none) << none.error().toStdString();
    EXPECT_TRUE(none.value().empty());
}

// Onsets every half second from 0.1 s; the tracker's beats, 2 per cent
// slow, drift off them by a beat within 25 s.
class BeatsOfTheSong : public testing::TestWithParam<double> {};

TEST_P(BeatsOfTheSong, LieOnTheOnsetsFromTheStartToTheEnd)
{
    OnsetStrength onsets{100.0, std::vector<float>(6000, 0.0f)};
    for (size_t i = 10; i < onsets.values.size(); i += 50)
        onsets.values[i] = 3.0f;
    std::vector<double> tracked;
    for (double t = 3.0; t < 50 && GetParam() > 0; t += GetParam())
        tracked.push_back(t);
    const std::vector<double> beats = beatsOfTheSong(onsets, tracked, 60.0);
    ASSERT_GE(beats.size(), 100u);
    EXPECT_NEAR(beats.front(), 0.1, 0.011);
    EXPECT_GT(beats.back(), 59.5);
    EXPECT_LT(beats.back(), 60.0);
    for (double b : beats)
        EXPECT_NEAR(std::remainder(b - 0.1, 0.5), 0.0, 0.011) << "beat at " << b;
}

// No tracked beats at all: the pace comes from the onsets.
INSTANTIATE_TEST_SUITE_P(TrackedPace, BeatsOfTheSong, testing::Values(0.51, 0.49, 0.0));

// Bars of 2 s (four beats of 0.5 s from 0) in a 100 s song: 50 bars.
struct PhraseCase {
    BarSpan section, expected;
};
class PhrasedStretch : public testing::TestWithParam<PhraseCase> {};

TEST_P(PhrasedStretch, RunsOnOrEndsAtAPhraseBoundary)
{
    std::vector<double> beats;
    for (int i = 0; i < 200; ++i)
        beats.push_back(0.5 * i);
    const BarGrid grid{4, 0, 50};
    const BarTimes times(grid, beats, 100.0);
    const BarSpan got = times.phrased(GetParam().section, 10.0, 40.0);
    EXPECT_EQ(got.start, GetParam().expected.start);
    EXPECT_EQ(got.end, GetParam().expected.end);
    EXPECT_DOUBLE_EQ(times.startOf(got.start), 2.0 * got.start);
}

INSTANTIATE_TEST_SUITE_P(
    Sections, PhrasedStretch,
    testing::Values(PhraseCase{{10, 13}, {10, 18}}, // 6 s: a phrase of 8 s is still short, two are 16 s
                    PhraseCase{{10, 15}, {10, 15}}, // 10 s as it is
                    PhraseCase{{10, 34}, {10, 30}}, // 48 s: five phrases, 40 s
                    PhraseCase{{10, 31}, {10, 30}},
                    PhraseCase{{46, 49}, {46, 50}}, // the song ends before the phrase does
                    PhraseCase{{0, 26}, {0, 20}}),
    [](const testing::TestParamInfo<PhraseCase> &info) {
        return "bars_" + std::to_string(info.param.section.start) + "_to_" + std::to_string(info.param.section.end);
    });

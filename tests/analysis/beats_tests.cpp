// Beats of a click track.
#include "analysis/beats.h"
#include "testsongs.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>

TEST(Beats, OfA120BpmClickTrackLieOnTheClicks)
{
    std::vector<double> clicks;
    const TestAudio track = makeClickTrack(120, 30, 0.25, 44100, &clicks);
    const BeatResult result = findBeats(PcmSource::fromBuffer(track.samples.data(), track.frames(), track.channels, track.rate));
    ASSERT_TRUE(result.error.isEmpty());
    // The tracker settles within the first seconds; from then on every beat
    // is a click and every click a beat.
    auto nearest = [](const std::vector<double> &times, double t) {
        double best = 1e9;
        for (double x : times)
            best = std::min(best, std::abs(x - t));
        return best;
    };
    for (double beat : result.beats)
        if (beat > 5)
            EXPECT_LE(nearest(clicks, beat), 0.010) << "beat at " << beat;
    for (double click : clicks)
        if (click > 5)
            EXPECT_LE(nearest(result.beats, click), 0.010) << "click at " << click;
}

TEST(Beats, UnusableSourceGivesAnError)
{
    EXPECT_FALSE(findBeats(PcmSource{0, 44100, -1, {}}).error.isEmpty());
    EXPECT_TRUE(findBeats(PcmSource::fromBuffer(nullptr, 0, 2, 44100)).beats.empty());
}

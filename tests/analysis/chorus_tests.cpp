// The chorus search on songs of known structure, and on clips without any
// repetition.
#include "analysis/chorus.h"
#include "testsongs.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <sstream>
#include <string>

namespace {

ChorusResult analyse(const TestAudio &a)
{
    return findChorus(PcmSource::fromBuffer(a.samples.data(), a.frames(), a.channels, a.rate));
}

std::string describe(const ChorusResult &r, const std::vector<SongSection> &sections)
{
    std::ostringstream s;
    s << "sections:";
    for (const SongSection &sec : sections)
        s << ' ' << sec.kind << ' ' << sec.startSec << '-' << sec.endSec;
    s << "\ncandidates:";
    for (const ChorusCandidate &c : r.candidates)
        s << ' ' << c.startSec << '-' << c.endSec << " (" << c.score << ')';
    s << "\nerror: " << r.error.toStdString();
    return s.str();
}

double overlap(double a0, double a1, double b0, double b1) { return std::max(0.0, std::min(a1, b1) - std::max(a0, b0)); }

class ChorusOfSong : public testing::TestWithParam<SongPlan> {};

TEST_P(ChorusOfSong, MarksOneChorusAndOffersOtherSectionsNext)
{
    const TestSong song = makeSong(GetParam());
    const ChorusResult result = analyse(song.audio);
    const std::string why = describe(result, song.sections);
    ASSERT_TRUE(result.error.isEmpty()) << why;
    ASSERT_GE(result.candidates.size(), 2u) << why;

    std::vector<SongSection> choruses;
    std::copy_if(song.sections.begin(), song.sections.end(), std::back_inserter(choruses),
                 [](const SongSection &s) { return s.kind == 'C'; });
    const ChorusCandidate &best = result.candidates.front();
    EXPECT_TRUE(std::any_of(choruses.begin(), choruses.end(), [&](const SongSection &c) {
        return std::abs(best.startSec - c.startSec) <= 1.0 && std::abs(best.endSec - c.endSec) <= 2.0;
    })) << why;

    for (size_t i = 1; i < result.candidates.size(); ++i) {
        const ChorusCandidate &next = result.candidates[i];
        EXPECT_LE(next.score, result.candidates[i - 1].score) << why;
        EXPECT_GE(next.endSec - next.startSec, 10.0 - 1e-6) << why;
        EXPECT_LE(next.endSec - next.startSec, 40.0 + 1e-6) << why;
        for (const SongSection &c : choruses)
            EXPECT_LT(overlap(next.startSec, next.endSec, c.startSec, c.endSec), 0.3 * (c.endSec - c.startSec))
                << "candidate " << i << " repeats a chorus\n" << why;
        EXPECT_TRUE(std::any_of(song.sections.begin(), song.sections.end(),
                                [&](const SongSection &s) { return std::abs(next.startSec - s.startSec) <= 1.0; }))
            << "candidate " << i << " starts inside a section\n" << why;
    }
}

INSTANTIATE_TEST_SUITE_P(Songs, ChorusOfSong,
                         testing::Values(SongPlan{"IVCVCBCO", 120, 0, 22050, 1, 11},
                                         SongPlan{"IVCVCBCO", 96, 1, 44100, 2, 12},
                                         SongPlan{"VCVCBCO", 132, 0, 22050, 1, 13},
                                         SongPlan{"IVVCVCBCCO", 104, 2, 22050, 1, 14}),
                         [](const testing::TestParamInfo<SongPlan> &info) {
                             const SongPlan &p = info.param;
                             return p.form + "_" + std::to_string(int(p.bpm)) + "bpm" +
                                    (p.lastChorusShift ? "_last_chorus_up_" + std::to_string(p.lastChorusShift) : "");
                         });

struct Unrepeated {
    const char *name;
    TestAudio (*make)();
};

class NoRepetition : public testing::TestWithParam<Unrepeated> {};

TEST_P(NoRepetition, GivesTheMessageAndNoCandidate)
{
    const ChorusResult result = analyse(GetParam().make());
    EXPECT_TRUE(result.candidates.empty()) << describe(result, {});
    EXPECT_EQ(result.error, QStringLiteral("No repeated section was found in this clip."));
    EXPECT_FALSE(result.cancelled);
}

INSTANTIATE_TEST_SUITE_P(
    Clips, NoRepetition,
    testing::Values(Unrepeated{"speech", [] { return makeSpeechLike(90, 22050, 5); }},
                    Unrepeated{"tone", [] { return makeTone(60, 440, 44100); }},
                    Unrepeated{"silence", [] { return makeSilence(60, 44100); }},
                    Unrepeated{"short_song", [] {
                                   TestAudio a = makeSong({"VCVC", 180, 0, 22050, 1, 3}).audio;
                                   a.samples.resize(size_t(19.5 * a.rate));
                                   return a;
                               }}),
    [](const testing::TestParamInfo<Unrepeated> &info) { return std::string(info.param.name); });

TEST(ChorusInput, UnusableSourcesAndCancelGiveNoCandidate)
{
    const TestAudio song = makeSong({"VCVC", 120, 0, 22050, 1, 4}).audio;
    const std::atomic<bool> cancelled{true};
    const ChorusResult stopped = findChorus(PcmSource::fromBuffer(song.samples.data(), song.frames(), 1, song.rate), &cancelled);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(stopped.candidates.empty());

    for (PcmSource bad : {PcmSource::fromBuffer(song.samples.data(), song.frames(), 0, song.rate),
                          PcmSource::fromBuffer(song.samples.data(), song.frames(), 1, 0), PcmSource{1, 22050, -1, {}},
                          PcmSource{1, 22050, -1, [](float *, int64_t) -> int64_t { return -1; }}}) {
        const ChorusResult r = findChorus(bad);
        EXPECT_TRUE(r.candidates.empty());
        EXPECT_FALSE(r.error.isEmpty());
    }
}

} // namespace

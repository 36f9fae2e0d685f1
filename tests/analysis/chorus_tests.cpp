// The chorus search on songs of known structure, and on clips without any
// repetition.
#include "analysis/chorus.h"
#include "analysis/monoaudio.h"
#include "chorusscore.h"
#include "songset.h"
#include "testsongs.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <sstream>
#include <string>

namespace {

Result<ChorusCandidates> analyse(const TestAudio &a)
{
    return findChorus(PcmSource::fromBuffer(a.samples.data(), a.frames(), a.channels, a.rate));
}

std::string describe(const Result<ChorusCandidates> &r, const std::vector<SongSection> &sections)
{
    std::ostringstream s;
    s << "sections:";
    for (const SongSection &sec : sections)
        s << ' ' << sec.kind << ' ' << sec.startSec << '-' << sec.endSec;
    s << "\ncandidates:";
    for (const ChorusCandidate &c : r ? r.value() : ChorusCandidates())
        s << ' ' << c.startSec << '-' << c.endSec << " (" << c.score << ')';
    s << "\nerror: " << r.error().toStdString();
    return s.str();
}

double overlap(double a0, double a1, double b0, double b1) { return std::max(0.0, std::min(a1, b1) - std::max(a0, b0)); }

// One song of the evaluation set for each of its forms; the whole set is
// measured by bench/chorus_set.sh.
class ChorusOfSetSong : public testing::TestWithParam<uint32_t> {};

TEST_P(ChorusOfSetSong, ProposesAChorusFromItsStartThenOtherSections)
{
    const TestSong song = makeSetSong(GetParam());
    const Result<ChorusCandidates> found = analyse(song.audio);
    const std::string why = song.description + "\n" + describe(found, song.sections);
    ASSERT_TRUE(found) << why;
    const ChorusCandidates &candidates = found.value();
    ASSERT_GE(candidates.size(), 2u) << why;

    // The chorus from its first downbeat (a beat off would be 0.4 s and more).
    const ProposalScore first = scoreProposal(candidates.front(), song.sections);
    EXPECT_GE(first.f1, 0.95) << why;
    EXPECT_LE(first.startError, 0.15) << why;
    for (size_t i = 0; i < candidates.size(); ++i) {
        const ChorusCandidate &c = candidates[i];
        EXPECT_GE(c.endSec - c.startSec, 10.0 - 1e-6) << why;
        EXPECT_LE(c.endSec - c.startSec, 40.0 + 1e-6) << why;
        if (i == 0)
            continue;
        EXPECT_LE(c.score, candidates[i - 1].score) << why;
        for (const SongSection &s : song.sections)
            if (s.kind == 'C')
                EXPECT_LT(overlap(c.startSec, c.endSec, s.startSec, s.endSec), 0.3 * (s.endSec - s.startSec))
                    << "candidate " << i << " repeats a chorus\n" << why;
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, ChorusOfSetSong, testing::Range(uint32_t(1), uint32_t(1 + setForms)),
                         [](const testing::TestParamInfo<uint32_t> &info) { return "seed_" + std::to_string(info.param); });

struct Unrepeated {
    const char *name;
    TestAudio (*make)();
};

class NoRepetition : public testing::TestWithParam<Unrepeated> {};

TEST_P(NoRepetition, GivesTheMessageAndNoCandidate)
{
    const Result<ChorusCandidates> found = analyse(GetParam().make());
    EXPECT_FALSE(found) << describe(found, {});
    EXPECT_EQ(found.error(), QStringLiteral("No repeated section was found in this clip."));
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
    const Result<ChorusCandidates> stopped = findChorus(PcmSource::fromBuffer(song.samples.data(), song.frames(), 1, song.rate), &cancelled);
    EXPECT_FALSE(stopped);
    EXPECT_EQ(stopped.error(), analysisStopped().text);

    for (PcmSource bad : {PcmSource::fromBuffer(song.samples.data(), song.frames(), 0, song.rate),
                          PcmSource::fromBuffer(song.samples.data(), song.frames(), 1, 0), PcmSource{1, 22050, -1, {}},
                          PcmSource{1, 22050, -1, [](float *, int64_t) -> int64_t { return -1; }}}) {
        const Result<ChorusCandidates> r = findChorus(bad);
        EXPECT_FALSE(r);
        EXPECT_FALSE(r.error().isEmpty());
        EXPECT_NE(r.error(), analysisStopped().text);
    }
}

} // namespace

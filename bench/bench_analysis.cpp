// bench_analysis song OUT.wav FORM BPM
//   writes a song of known structure (44.1 kHz stereo 16-bit), its sections
//   in the order FORM gives (I intro, V verse, C chorus, B bridge, O outro;
//   intro and outro four bars, the others eight)
// bench_analysis chorus CLIP.wav
//   finds the clip's chorus, reading it block by block as the program does;
//   prints the analysis's wall ms and then the candidates (start-end s)
// bench_analysis beats CLIP.wav
//   finds the clip's beats; prints the wall ms and the number of beats
// bench_analysis setsong OUT.wav SEED
//   writes the evaluation set's song of that seed (songset.h; 44.1 kHz mono
//   16-bit) and prints its sections
// bench_analysis set FIRST_SEED COUNT
//   finds the chorus of COUNT songs of the evaluation set (songset.h), from
//   seed FIRST_SEED on; prints a line a song and then the summary line
//   "set SONGS MEAN_F1 WORST_F1 WORST_SEED STARTS_WITHIN_1.5S CHORUS_IN_FIRST_3
//   MEAN_START_ERROR_S MEAN_MS MAX_MS"
// Exit 1 when the clip cannot be read or written.
#include "analysis/beats.h"
#include "analysis/chorus.h"
#include "chorusscore.h"
#include "songset.h"
#include "testsongs.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sndfile.h>

namespace {

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

int writeAudio(const char *path, const TestAudio &audio)
{
    SF_INFO info{};
    info.samplerate = audio.rate;
    info.channels = audio.channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *f = sf_open(path, SFM_WRITE, &info);
    if (!f)
        return 1;
    const bool ok = sf_writef_float(f, audio.samples.data(), audio.frames()) == audio.frames();
    return sf_close(f) == 0 && ok ? 0 : 1;
}

int writeSetSong(const char *path, uint32_t seed)
{
    const TestSong song = makeSetSong(seed, 44100);
    std::printf("%s\n", song.description.c_str());
    for (const SongSection &s : song.sections)
        std::printf("%c %.2f-%.2f\n", s.kind, s.startSec, s.endSec);
    return writeAudio(path, song.audio);
}

int measureSet(uint32_t first, int count)
{
    double sumF1 = 0, worstF1 = 2, sumError = 0, sumMs = 0, maxMs = 0;
    int within = 0, inFirstThree = 0;
    uint32_t worstSeed = first;
    for (uint32_t seed = first; seed < first + uint32_t(count); ++seed) {
        const TestSong song = makeSetSong(seed);
        const TestAudio &a = song.audio;
        const Clock::time_point start = Clock::now();
        const Result<ChorusCandidates> found = findChorus(PcmSource::fromBuffer(a.samples.data(), a.frames(), a.channels, a.rate));
        const double ms = msSince(start);
        const ChorusCandidates candidates = found ? found.value() : ChorusCandidates();
        const ProposalScore first = candidates.empty() ? ProposalScore{} : scoreProposal(candidates.front(), song.sections);
        const bool three = chorusAmongFirst(candidates, song.sections, 3);
        std::printf("%s: F1 %.2f, start off by %.2f s, chorus in the first three: %s, %.0f ms\n  choruses", song.description.c_str(),
                    first.f1, std::min(first.startError, 999.0), three ? "yes" : "NO", ms);
        for (const SongSection &c : song.sections)
            if (c.kind == 'C')
                std::printf(" %.1f-%.1f", c.startSec, c.endSec);
        std::printf("\n  proposals");
        for (const ChorusCandidate &c : candidates)
            std::printf(" %.1f-%.1f", c.startSec, c.endSec);
        std::printf("%s\n", found ? "" : qPrintable(" " + found.error()));
        sumF1 += first.f1;
        sumError += std::min(first.startError, 60.0);
        within += first.startError <= 1.5;
        inFirstThree += three;
        sumMs += ms;
        maxMs = std::max(maxMs, ms);
        if (first.f1 < worstF1)
            worstF1 = first.f1, worstSeed = seed;
    }
    std::printf("set %d %.3f %.3f %u %d %d %.2f %.0f %.0f\n", count, sumF1 / count, worstF1, worstSeed, within, inFirstThree,
                sumError / count, sumMs / count, maxMs);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 5 && !std::strcmp(argv[1], "song"))
        return writeAudio(argv[2], makeSong({argv[3], std::atof(argv[4]), 0, 44100, 2, 1}).audio);
    if (argc == 4 && !std::strcmp(argv[1], "setsong"))
        return writeSetSong(argv[2], uint32_t(std::atol(argv[3])));
    if (argc == 4 && !std::strcmp(argv[1], "set") && std::atoi(argv[3]) > 0)
        return measureSet(uint32_t(std::atol(argv[2])), std::atoi(argv[3]));
    if (argc != 3 || (std::strcmp(argv[1], "chorus") && std::strcmp(argv[1], "beats"))) {
        std::fprintf(stderr, "usage: %s song OUT.wav FORM BPM | setsong OUT.wav SEED | chorus CLIP.wav | beats CLIP.wav | set FIRST_SEED COUNT\n", argv[0]);
        return 2;
    }
    const Clock::time_point start = Clock::now();
    SF_INFO info{};
    std::unique_ptr<SNDFILE, int (*)(SNDFILE *)> file(sf_open(argv[2], SFM_READ, &info), sf_close);
    if (!file) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    PcmSource source{info.channels, info.samplerate, info.frames,
                     [&](float *frames, int64_t most) -> int64_t { return sf_readf_float(file.get(), frames, most); }};
    if (!std::strcmp(argv[1], "beats")) {
        const Result<std::vector<double>> beats = findBeats(source);
        std::printf("%.1f %zu\n", msSince(start), beats ? beats.value().size() : size_t(0));
        return beats ? 0 : 1;
    }
    const Result<ChorusCandidates> found = findChorus(source);
    std::printf("%.1f", msSince(start));
    for (const ChorusCandidate &c : found ? found.value() : ChorusCandidates())
        std::printf(" %.1f-%.1f", c.startSec, c.endSec);
    std::printf("\n");
    if (!found)
        std::fprintf(stderr, "%s\n", qPrintable(found.error()));
    return 0;
}

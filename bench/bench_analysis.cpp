// bench_analysis song OUT.wav FORM BPM
//   writes a song of known structure (44.1 kHz stereo 16-bit), its sections
//   in the order FORM gives (I intro, V verse, C chorus, B bridge, O outro;
//   intro and outro four bars, the others eight)
// bench_analysis chorus CLIP.wav
//   finds the clip's chorus, reading it block by block as the program does;
//   prints the analysis's wall ms and then the candidates (start-end s)
// bench_analysis beats CLIP.wav
//   finds the clip's beats; prints the wall ms and the number of beats
// Exit 1 when the clip cannot be read or written.
#include "analysis/beats.h"
#include "analysis/chorus.h"
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

int writeSong(const char *path, const char *form, double bpm)
{
    const TestSong song = makeSong({form, bpm, 0, 44100, 2, 1});
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *f = sf_open(path, SFM_WRITE, &info);
    if (!f)
        return 1;
    const bool ok = sf_writef_float(f, song.audio.samples.data(), song.audio.frames()) == song.audio.frames();
    return sf_close(f) == 0 && ok ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 5 && !std::strcmp(argv[1], "song"))
        return writeSong(argv[2], argv[3], std::atof(argv[4]));
    if (argc != 3 || (std::strcmp(argv[1], "chorus") && std::strcmp(argv[1], "beats"))) {
        std::fprintf(stderr, "usage: %s song OUT.wav FORM BPM | chorus CLIP.wav | beats CLIP.wav\n", argv[0]);
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
        const BeatResult r = findBeats(source);
        std::printf("%.1f %zu\n", msSince(start), r.beats.size());
        return r.error.isEmpty() ? 0 : 1;
    }
    const ChorusResult r = findChorus(source);
    std::printf("%.1f", msSince(start));
    for (const ChorusCandidate &c : r.candidates)
        std::printf(" %.1f-%.1f", c.startSec, c.endSec);
    std::printf("\n");
    if (!r.error.isEmpty())
        std::fprintf(stderr, "%s\n", qPrintable(r.error));
    return 0;
}

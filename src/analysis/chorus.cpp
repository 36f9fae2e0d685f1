// The chorus of a song, found as the stretch of bars it repeats most.
//
// The song is mixed to mono at 22050 Hz (libsoxr). Aubio's tempo tracker
// gives the pace of the beats; the beats themselves are the chain of note
// onsets (FFTW spectra, 46 ms) a beat apart that rises most, carried on at
// that pace to the song's start and end. FFTW spectra of 0.37 s windows
// every 93 ms are summed up between two beats into what each beat holds:
// the pitch classes of its low register (bass and chords), the pitch
// classes of the notes that start in it above 150 Hz (the melody), and
// the log energy of sixteen bands (the sound).
//
// A bar holds four beats (eight or two where the tracker counted eighths
// or half notes). Its downbeat is the beat where the harmony of the half
// bar after it differs most from that of the half bar before, as chords
// change on the first beat of a bar. Phrases are four bars.
//
// Every two bars are compared beat by beat, under pitch moves of up to two
// semitones (a last chorus a tone up still matches). What counts is how
// exactly a bar comes back: its likeness above what the song's closest
// tenth of bar pairs reach anyway, squared, from -1 to 1. A chorus comes
// back with its chords, its melody and its sound; a verse brings back its
// chords under another melody, which scores about zero. Every stretch of
// whole bars of 6 to 60 s is rated by the places it comes back at: the sum
// of their bars' scores (a bar before or after the chorus that does not
// come back with it costs, a stretch played three times beats one played
// twice), up to 30 per cent more where the sound changes clearly at the
// places' starts (sections start with a new sound), over the stretch's
// length to the power 0.25 (a phrase sung twice in every chorus rates
// below the whole chorus). A stretch that comes back right after itself
// is half of its section: the two together are taken when they repeat
// nearly as well. The best stretch becomes the first proposal; the next
// ones are the best of the rest that share at most a bar with an earlier
// proposal or its repetitions, and may repeat less clearly.
//
// A proposal runs from its first bar's downbeat to the end of its last
// bar. When that is shorter than 10 s it runs on to the next phrase
// boundary where it is at least 10 s long; when it is longer than 40 s it
// ends at the last phrase boundary within 40 s. A double chorus is a
// stretch that does not come back: the first of its two is proposed. A
// clip under 20 s, silent, or without bars that come back clearly above
// the song's general likeness (a single tone, noise, speech) gets none.
//
// What it gives up: bars of three or six beats (a waltz) are read as bars
// of four; chords that change on the third beat as often as on the first
// may put the downbeat there; the beats keep one pace, so a song that
// speeds up or slows down drifts off its bars; a chorus must come back at
// least once with most of its melody, so one sung once, or changed in
// most bars each time, is missed; of two stretches that repeat alike the
// one with more places wins, and a pre-chorus that comes back with every
// chorus is taken with it unless the sound changes between them.
#include "analysis/chorus.h"
#include "analysis/beatgrid.h"
#include "analysis/beats.h"
#include "analysis/monoaudio.h"
#include "analysis/repetition.h"
#include "analysis/songfeatures.h"

#include <algorithm>
#include <cmath>
#include <future>

namespace {

constexpr double shortestSong = 20.0;
constexpr double longestSong = 15 * 60.0; // beyond, a long recording: its start is searched
constexpr double shortestStretch = 10.0, longestStretch = 40.0;
constexpr double shortestSection = 6.0, longestSection = 60.0;
constexpr double smallestScore = 2.0; // about two bars back exactly
// The next proposals may repeat less clearly: a verse brings back its
// chords and its sound under another melody.
constexpr double smallestOtherScore = 0.5;
constexpr int sharedBars = 1; // a proposal may share with an earlier one or its repetitions
constexpr int mostCandidates = 5;
constexpr double wholeShare = 0.45; // of its half's rating, for a section sung as one phrase twice
constexpr float soundingDb = -70.0f;

int overlap(BarSpan a, BarSpan b) { return std::max(0, std::min(a.end, b.end) - std::max(a.start, b.start)); }

// The proposal of a stretch: from its first downbeat, 10 to 40 s long at
// phrase boundaries as far as the song allows.
ChorusCandidate proposalOf(const BarTimes &times, BarSpan bars, double score, double duration)
{
    ChorusCandidate c;
    c.score = score;
    c.startSec = times.startOf(bars.start);
    c.endSec = std::min(times.startOf(bars.end), c.startSec + longestStretch);
    if (c.endSec - c.startSec < shortestStretch) {
        c.endSec = std::min(duration, c.startSec + shortestStretch);
        c.startSec = std::max(0.0, c.endSec - shortestStretch);
    }
    return c;
}

// A stretch played twice in a row wherever it comes (a chorus made of one
// phrase sung twice) is half of its section: the two halves together, when
// they repeat nearly as well.
const Repetition &wholeOf(const Repetition &half, const std::vector<Repetition> &stretches)
{
    const int length = half.span.length();
    const Repetition *whole = &half;
    for (const BarSpan &o : half.others) {
        BarSpan doubled{};
        if (o.start == half.span.end)
            doubled = {half.span.start, o.end};
        else if (o.end == half.span.start)
            doubled = {o.start, half.span.end};
        else
            continue;
        for (const Repetition &r : stretches)
            if (r.span.start == doubled.start && r.span.length() == 2 * length && r.score >= wholeShare * half.score &&
                r.score > (whole == &half ? 0.0 : whole->score))
                whole = &r;
    }
    return *whole;
}

Result<ChorusCandidates> chorusOf(const PcmSource &source, const std::atomic<bool> *cancel)
{
    const Result<MonoAudio> read = readMono(source, analysisRate, cancel, longestSong);
    if (!read)
        return read.failure();
    const MonoAudio &audio = read.value();
    if (audio.seconds() < shortestSong)
        return noRepetition();
    // The beats come on the second core while the spectrum is worked out.
    std::future<std::vector<double>> tracked = std::async(std::launch::async, [&] { return beatsOf(audio, cancel); });
    const Spectrogram spectrogram = spectrogramOf(audio, cancel);
    const OnsetStrength onsets = onsetStrengthOf(audio, cancel);
    const std::vector<double> beats = beatsOfTheSong(onsets, tracked.get(), audio.seconds());
    if (isCancelled(cancel))
        return analysisStopped();
    const BeatFeatures features = beatFeaturesOf(spectrogram, beats);
    double sounding = 0;
    for (size_t i = 0; i + 1 < beats.size(); ++i)
        if (features.loudnessDb[i] > soundingDb)
            sounding += beats[i + 1] - beats[i];
    if (sounding < shortestSong)
        return noRepetition();
    const BarGrid grid = barGridOf(features, beats);
    const BarRepetition repetition(features, grid);
    const double barSeconds = grid.bars > 0 ? (beats[size_t(grid.beatOf(grid.bars) - 1)] - beats[size_t(grid.first)]) / grid.bars : 2.0;
    const int shortest = std::max(2, int(std::ceil(shortestSection / barSeconds)));
    const int longest = std::max(shortest, int(longestSection / barSeconds));
    const std::vector<Repetition> stretches = repetition.stretches(shortest, longest, cancel);
    if (isCancelled(cancel))
        return analysisStopped();

    const BarTimes times(grid, beats, audio.seconds());
    std::vector<BarSpan> taken; // earlier proposals and their repetitions
    ChorusCandidates candidates;
    for (const Repetition &found : stretches) {
        if (found.score < (candidates.empty() ? smallestScore : smallestOtherScore))
            break;
        const Repetition &r = wholeOf(found, stretches);
        const BarSpan bars = times.phrased(r.span, shortestStretch, longestStretch);
        const bool duplicate =
            std::any_of(taken.begin(), taken.end(), [&](BarSpan t) { return overlap(bars, t) > sharedBars; });
        if (duplicate)
            continue;
        taken.push_back(bars);
        taken.insert(taken.end(), r.others.begin(), r.others.end());
        candidates.push_back(proposalOf(times, bars, r.score, audio.seconds()));
        if (int(candidates.size()) == mostCandidates)
            break;
    }
    if (candidates.empty())
        return noRepetition();
    return candidates;
}

} // namespace

Failure noRepetition() { return Failure(QStringLiteral("No repeated section was found in this clip.")); }

Result<ChorusCandidates> findChorus(const PcmSource &source, const std::atomic<bool> *cancel)
{
    return withinMemory<ChorusCandidates>([&] { return chorusOf(source, cancel); });
}

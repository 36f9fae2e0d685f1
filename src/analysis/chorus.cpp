// The chorus of a song, found as its most repeated section.
//
// The song is mixed to mono at 22050 Hz (libsoxr). FFTW power spectra of
// 0.37 s windows every 93 ms give two descriptions of it. The harmony:
// chroma, the energy of each of the twelve pitch classes, shared out so that
// each window sums to one (a soft and a loud passage of the same chords look
// alike), less its mean over the classes (what noise and drums spread over
// all of them). The sound: the log energy of sixteen bands. Both are
// smoothed over about a second and kept about five times a second.
//
// The self-similarity of the chroma compares every two frames under all
// twelve circular shifts of the pitch classes and keeps the best, after
// averaging along the diagonals over six seconds: a repeated passage shows
// as a stripe parallel to the diagonal, even when it comes back a key
// higher, while chance likeness of a chord or two fades.
//
// Sections are bounded where the song changes: at peaks of a novelty curve,
// a checkerboard kernel slid along the diagonal of the plain similarity of
// the harmony and of the sound. Every stretch between two boundaries, of 6
// to 45 s, is rated by its repetition fitness: the best family of
// non-overlapping paths through the similarity that covers it elsewhere in
// the song, each at about its own tempo; the paths that follow a clear
// stripe are its repetitions, rated by how strongly (the similarity along
// them) and how much (the share of the song they cover, so how often) it
// repeats. A tenth more for each further repetition, a little more for a
// louder section, a little less for one in the first seconds (intros repeat
// their material without being the hook), and less for a stretch across a
// strong boundary (two sections, such as a verse and its chorus, are not
// one). The best becomes the first candidate; the next ones are the best of
// the rest that neither overlap an earlier candidate nor are one of its
// repetitions.
//
// A candidate starts at its section's start and lasts the section's length,
// both ends moved to the nearest beat (aubio), at least 10 s (a shorter
// section runs on to the next boundaries) and at most 40 s. A clip under
// 20 s, silent, or without any passage that repeats clearly above the
// song's general likeness (a single tone, noise, speech) gets no candidate.
#include "analysis/chorus.h"
#include "analysis/beats.h"
#include "analysis/songfeatures.h"
#include "analysis/monoaudio.h"
#include "analysis/repetition.h"
#include "analysis/selfsimilarity.h"

#include <algorithm>
#include <cmath>
#include <future>

namespace {

constexpr double shortestSong = 20.0;
constexpr double longestSong = 15 * 60.0; // beyond, a long recording: its start is searched
constexpr double shortestStretch = 10.0, longestStretch = 40.0;
constexpr double shortestSection = 6.0, longestSection = 45.0;
constexpr int mostFeatureFrames = 1800;  // about 5.6 minutes at full detail
constexpr double diagonalSeconds = 6.0;  // the averaging along the diagonals
constexpr double kernelSeconds = 8.0;    // each half of the novelty kernel
constexpr double boundarySpacing = 4.0;  // seconds between two boundaries at least
constexpr double snapReach = 0.6;        // how far a boundary moves to a beat
constexpr float clearRepetition = 0.1f;  // above the song's median likeness
constexpr double smallestFitness = 0.02;
constexpr int mostCandidates = 5;

QString noRepetition() { return QStringLiteral("No repeated section was found in this clip."); }

// Frames where a section may begin: the song's ends and the novelty's
// peaks (highest within boundarySpacing, above the curve's mean).
std::vector<int> sectionBoundaries(const std::vector<float> &novelty, int spacing)
{
    const int n = int(novelty.size());
    double mean = 0;
    for (float v : novelty)
        mean += v;
    mean /= std::max(1, n);
    std::vector<int> bounds{0};
    for (int i = 1; i < n; ++i) {
        if (novelty[size_t(i)] <= mean)
            continue;
        bool peak = true;
        for (int j = std::max(0, i - spacing); j <= std::min(n - 1, i + spacing) && peak; ++j)
            peak = novelty[size_t(j)] < novelty[size_t(i)] || (novelty[size_t(j)] == novelty[size_t(i)] && j >= i);
        if (peak && i - bounds.back() >= spacing && n - i >= spacing)
            bounds.push_back(i);
    }
    bounds.push_back(n);
    return bounds;
}

struct Section {
    FrameSpan span;
    SegmentFitness fit;
    double innerChange = 0; // the strongest boundary inside, 0..1
    double score = 0;
};

double meanLoudness(const SongFeatures &f, FrameSpan span)
{
    double sum = 0;
    for (int i = span.start; i < span.end; ++i)
        sum += f.loudnessDb[size_t(i)];
    return sum / std::max(1, span.length());
}

// The fitness with the small preferences: a tenth more for each further
// repetition, a few per cent for every 3 dB above the song's loudness, up
// to 15 per cent less for a start within the first 15 s. A stretch across
// a clear change is two sections rather than one: it loses up to 40 per
// cent by the strength of the boundary inside.
double sectionScore(const SongFeatures &f, const Section &s, double songLoudness)
{
    const double whole = 1.0 - 0.4 * s.innerChange;
    const double repeats = 1.0 + 0.1 * std::min(s.fit.repeats - 1, 4);
    const double louder = 1.0 + std::clamp((meanLoudness(f, s.span) - songLoudness) / 3.0 * 0.03, -0.1, 0.1);
    const double early = 0.85 + 0.15 * std::min(1.0, f.secondsOf(s.span.start) / 15.0);
    return s.fit.fitness * repeats * louder * early * whole;
}

double overlap(FrameSpan a, FrameSpan b) { return std::max(0, std::min(a.end, b.end) - std::max(a.start, b.start)); }

bool isRepetition(const SegmentFitness &fit, const RepetitionFinder &finder)
{
    return fit.repeats > 0 && fit.fitness >= smallestFitness && fit.similarity >= finder.background() + clearRepetition;
}

// Seconds of a boundary frame: the change lies between frames i - 1 and i.
double boundarySeconds(const SongFeatures &f, int frame, double duration)
{
    return frame >= f.frames ? duration : std::max(0.0, (frame - 0.5) / f.frameRate);
}

double snapToBeat(double t, const std::vector<double> &beats)
{
    auto next = std::lower_bound(beats.begin(), beats.end(), t);
    double best = t, distance = snapReach;
    if (next != beats.end() && *next - t <= distance)
        best = *next, distance = *next - t;
    if (next != beats.begin() && t - *(next - 1) < distance)
        best = *(next - 1);
    return best;
}

class ChorusSearch {
public:
    ChorusSearch(const SongFeatures &f, double duration) : f_(f), duration_(duration) {}

    // `beats` are waited for only once the sections are rated.
    ChorusResult run(std::future<std::vector<double>> &beats, const std::atomic<bool> *cancel);

private:
    std::vector<float> novelty() const; // 0..1
    std::vector<Section> rateSections(const RepetitionFinder &finder, const std::atomic<bool> *cancel) const;
    ChorusCandidate stretchOf(const Section &s) const;

    const SongFeatures &f_;
    double duration_;
    std::vector<double> beats_;
    std::vector<float> novelty_;
    std::vector<int> bounds_;
};

// Changes of harmony and changes of sound, each of them scaled to its
// greatest, count alike.
std::vector<float> ChorusSearch::novelty() const
{
    const int halfWidth = std::max(2, int(std::lround(kernelSeconds * f_.frameRate)));
    std::vector<float> sum(size_t(f_.frames), 0.0f);
    for (const FrameVectors *v : {&f_.chroma, &f_.timbre}) {
        const std::vector<float> part = noveltyOf(*v, halfWidth);
        const float top = std::max(1e-9f, *std::max_element(part.begin(), part.end()));
        for (size_t i = 0; i < part.size(); ++i)
            sum[i] += part[i] / top / 2;
    }
    const float top = std::max(1e-9f, *std::max_element(sum.begin(), sum.end()));
    for (float &v : sum)
        v /= top;
    return sum;
}

std::vector<Section> ChorusSearch::rateSections(const RepetitionFinder &finder, const std::atomic<bool> *cancel) const
{
    double songLoudness = 0;
    int sounding = 0;
    for (float db : f_.loudnessDb)
        if (db > -70)
            songLoudness += db, ++sounding;
    songLoudness /= std::max(1, sounding);

    std::vector<Section> sections;
    for (size_t a = 0; a < bounds_.size(); ++a)
        for (size_t b = a + 1; b < bounds_.size(); ++b) {
            if (isCancelled(cancel))
                return {};
            Section s;
            s.span = {bounds_[a], bounds_[b]};
            for (size_t inner = a + 1; inner < b; ++inner)
                s.innerChange = std::max(s.innerChange, double(novelty_[size_t(bounds_[inner])]));
            const double seconds = s.span.length() / f_.frameRate;
            if (seconds < shortestSection)
                continue;
            if (seconds > longestSection)
                break;
            s.fit = finder.fitnessOf(s.span);
            if (!isRepetition(s.fit, finder))
                continue;
            s.score = sectionScore(f_, s, songLoudness);
            sections.push_back(s);
        }
    std::stable_sort(sections.begin(), sections.end(), [](const Section &x, const Section &y) { return x.score > y.score; });
    return sections;
}

ChorusCandidate ChorusSearch::stretchOf(const Section &s) const
{
    ChorusCandidate c;
    c.score = s.score;
    c.startSec = snapToBeat(boundarySeconds(f_, s.span.start, duration_), beats_);
    c.endSec = s.span.end >= f_.frames ? duration_ : snapToBeat(boundarySeconds(f_, s.span.end, duration_), beats_);
    // Too short: on to the next boundaries, or to the shortest length.
    for (int b : bounds_) {
        if (c.endSec - c.startSec >= shortestStretch)
            break;
        if (b > s.span.end)
            c.endSec = b >= f_.frames ? duration_ : snapToBeat(boundarySeconds(f_, b, duration_), beats_);
    }
    if (c.endSec - c.startSec < shortestStretch) {
        c.endSec = std::min(duration_, c.startSec + shortestStretch);
        c.startSec = std::max(0.0, c.endSec - shortestStretch);
    }
    if (c.endSec - c.startSec > longestStretch) {
        // The last beat within the longest length, if one is near its end.
        const double limit = c.startSec + longestStretch;
        auto beat = std::upper_bound(beats_.begin(), beats_.end(), limit);
        c.endSec = beat != beats_.begin() && limit - *(beat - 1) <= snapReach ? *(beat - 1) : limit;
    }
    return c;
}

ChorusResult ChorusSearch::run(std::future<std::vector<double>> &beats, const std::atomic<bool> *cancel)
{
    ChorusResult result;
    const SelfSimilarity similarity =
        selfSimilarityOf(f_, std::max(1, int(std::lround(diagonalSeconds * f_.frameRate))), cancel);
    if (isCancelled(cancel)) {
        result.cancelled = true;
        return result;
    }
    const int spacing = std::max(1, int(std::lround(boundarySpacing * f_.frameRate)));
    novelty_ = novelty();
    bounds_ = sectionBoundaries(novelty_, spacing);
    const RepetitionFinder finder(similarity);
    const std::vector<Section> sections = rateSections(finder, cancel);
    beats_ = beats.get();
    if (isCancelled(cancel)) {
        result.cancelled = true;
        return result;
    }

    std::vector<FrameSpan> taken; // earlier candidates and their repetitions
    for (const Section &s : sections) {
        const bool duplicate = std::any_of(taken.begin(), taken.end(), [&](FrameSpan t) {
            return overlap(s.span, t) > 0.25 * std::min(s.span.length(), t.length());
        });
        if (duplicate)
            continue;
        taken.insert(taken.end(), s.fit.occurrences.begin(), s.fit.occurrences.end());
        result.candidates.push_back(stretchOf(s));
        if (int(result.candidates.size()) == mostCandidates)
            break;
    }
    if (result.candidates.empty())
        result.error = noRepetition();
    return result;
}

} // namespace

namespace {

ChorusResult chorusOf(const PcmSource &source, const std::atomic<bool> *cancel)
{
    ChorusResult result;
    const MonoAudio audio = readMono(source, analysisRate, cancel, longestSong);
    if (passOnFailure(audio, result))
        return result;
    if (audio.seconds() < shortestSong) {
        result.error = noRepetition();
        return result;
    }
    // The beats come on the second core while the harmony is worked out.
    std::future<std::vector<double>> beats = std::async(std::launch::async, [&] { return beatsOf(audio, cancel); });
    const SongFeatures features = featuresOf(audio, mostFeatureFrames, cancel);
    int sounding = 0;
    for (float db : features.loudnessDb)
        sounding += db > -70;
    if (isCancelled(cancel) || sounding < shortestSong * features.frameRate) {
        beats.wait();
        result.cancelled = isCancelled(cancel);
        if (!result.cancelled)
            result.error = noRepetition();
        return result;
    }
    ChorusSearch search(features, audio.seconds());
    return search.run(beats, cancel);
}

} // namespace

ChorusResult findChorus(const PcmSource &source, const std::atomic<bool> *cancel)
{
    return withinMemory<ChorusResult>([&] { return chorusOf(source, cancel); });
}

#include "analysis/songfeatures.h"
#include "analysis/fftwplanlock.h"

#include <algorithm>
#include <cmath>
#include <fftw3.h>
#include <memory>
#include <numbers>

namespace {

constexpr int classes = BeatFeatures::classes;
constexpr int bands = BeatFeatures::bands;
constexpr int dims = BeatFeatures::dims;
constexpr double windowSeconds = 0.37;
constexpr double lowestPitchHz = 60.0;    // the bass line's overtones and above
constexpr double harmonyTopHz = 520.0;    // about C5: bass and chords lie below
constexpr double attackFromHz = 150.0;    // above the bass notes' fundamentals
constexpr double highestPitchHz = 4200.0; // beyond it mostly overtones and noise
constexpr double lowestBandHz = 60.0, highestBandHz = 10000.0;
constexpr double silentPower = 1e-8; // mean square of a window below -80 dBFS
constexpr double onsetWindowSeconds = 0.045;
constexpr double onsetTopHz = 8000.0;
constexpr float onsetGain = 100.0f; // of the amplitude, before the log

struct FftwDeleter {
    void operator()(void *p) const { fftwf_free(p); }
};
template <typename T> using FftwBuffer = std::unique_ptr<T[], FftwDeleter>;

// Where each spectrum bin goes: the places of the beat vector for its
// pitch (as harmony, as a note's start) and for its band; -1 for none.
struct BinMap {
    std::vector<int> harmony, attack, band;
};

BinMap binMap(int size, int rate)
{
    const size_t bins = size_t(size / 2 + 1);
    BinMap map{std::vector<int>(bins, -1), std::vector<int>(bins, -1), std::vector<int>(bins, -1)};
    for (int k = 1; k <= size / 2; ++k) {
        const double hz = double(k) * rate / size;
        if (hz >= lowestPitchHz && hz <= highestPitchHz) {
            const int pitchClass = int(std::lround(69.0 + 12.0 * std::log2(hz / 440.0)) % 12);
            if (hz < harmonyTopHz)
                map.harmony[size_t(k)] = BeatFeatures::lowAt + pitchClass;
            if (hz >= attackFromHz)
                map.attack[size_t(k)] = BeatFeatures::highAt + pitchClass;
        }
        if (hz >= lowestBandHz && hz < highestBandHz)
            map.band[size_t(k)] =
                BeatFeatures::bandsAt + int(bands * std::log(hz / lowestBandHz) / std::log(highestBandHz / lowestBandHz));
    }
    return map;
}

// FFTW's plan and buffers for the windows of one song.
class Transform {
public:
    explicit Transform(int size)
    {
        in_.reset(static_cast<float *>(fftwf_malloc(sizeof(float) * size_t(size))));
        out_.reset(static_cast<fftwf_complex *>(fftwf_malloc(sizeof(fftwf_complex) * size_t(size / 2 + 1))));
        std::lock_guard<std::mutex> planning(fftwPlanLock());
        plan_ = fftwf_plan_dft_r2c_1d(size, in_.get(), out_.get(), FFTW_ESTIMATE);
    }
    ~Transform()
    {
        std::lock_guard<std::mutex> planning(fftwPlanLock());
        fftwf_destroy_plan(plan_);
    }
    Transform(const Transform &) = delete;
    Transform &operator=(const Transform &) = delete;

    float *in() { return in_.get(); }
    const fftwf_complex *run()
    {
        fftwf_execute(plan_);
        return out_.get();
    }

private:
    FftwBuffer<float> in_;
    FftwBuffer<fftwf_complex> out_;
    fftwf_plan plan_ = nullptr;
};

// Less its mean if asked, then of unit length;
// near nothing becomes all zero.
void normalise(float *v, int count, bool lessMean, double floor)
{
    double mean = 0, norm = 0;
    for (int d = 0; d < count && lessMean; ++d)
        mean += v[d] / count;
    for (int d = 0; d < count; ++d) {
        v[d] -= float(mean);
        norm += double(v[d]) * v[d];
    }
    norm = std::sqrt(norm);
    for (int d = 0; d < count; ++d)
        v[d] = norm > floor ? float(v[d] / norm) : 0.0f;
}

// The log band energies as standard scores over the song's sounding beats.
void standardiseBands(BeatFeatures &f)
{
    for (int b = BeatFeatures::bandsAt; b < dims; ++b) {
        double sum = 0, squares = 0;
        int count = 0;
        for (int i = 0; i < f.beats; ++i) {
            float &v = f.values[size_t(i) * dims + size_t(b)];
            v = std::log10(v + 1e-10f);
            if (f.loudnessDb[size_t(i)] > -70)
                sum += v, squares += double(v) * v, ++count;
        }
        const double mean = count ? sum / count : 0;
        const double deviation = count ? std::sqrt(std::max(squares / count - mean * mean, 0.0)) : 0;
        for (int i = 0; i < f.beats; ++i) {
            float &v = f.values[size_t(i) * dims + size_t(b)];
            v = f.loudnessDb[size_t(i)] > -70 && deviation > 1e-6 ? float((v - mean) / deviation) : 0.0f;
        }
    }
}

std::vector<float> hann(int size)
{
    std::vector<float> window(static_cast<size_t>(size));
    for (int i = 0; i < size; ++i)
        window[size_t(i)] = float(0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / size));
    return window;
}

// Fills the transform's input with the windowed samples from `start` on
// (silence outside the song); returns their mean square.
double windowAt(const std::vector<float> &x, int64_t start, const std::vector<float> &window, float *in)
{
    double squares = 0, weights = 0;
    for (size_t i = 0; i < window.size(); ++i) {
        const int64_t at = start + int64_t(i);
        const float v = at >= 0 && at < int64_t(x.size()) ? x[size_t(at)] * window[i] : 0.0f;
        in[i] = v;
        squares += double(v) * v;
        weights += double(window[i]) * window[i];
    }
    return squares / weights;
}

int windowSize(int rate, double seconds)
{
    int size = 1;
    while (size < int(rate * seconds))
        size *= 2;
    return size;
}

} // namespace

Spectrogram spectrogramOf(const MonoAudio &audio, const std::atomic<bool> *cancel)
{
    Spectrogram g;
    const int size = windowSize(audio.rate, windowSeconds);
    const int hop = size / 4;
    const auto &x = audio.samples;
    g.windows = int((x.size() + size_t(hop) - 1) / size_t(hop));
    g.windowRate = double(audio.rate) / hop;
    g.values.assign(size_t(g.windows) * (dims + 1), 0.0f);

    Transform fft(size);
    const std::vector<float> window = hann(size);
    const BinMap map = binMap(size, audio.rate);
    std::vector<float> previous(map.band.size(), 0.0f);
    for (int w = 0; w < g.windows; ++w) {
        if ((w & 255) == 0 && isCancelled(cancel))
            return {};
        float *values = g.values.data() + size_t(w) * (dims + 1);
        values[dims] = float(windowAt(x, int64_t(w) * hop - size / 2, window, fft.in()));
        if (values[dims] < silentPower) {
            std::fill(previous.begin(), previous.end(), 0.0f);
            continue;
        }
        const fftwf_complex *out = fft.run();
        for (size_t k = 0; k < map.band.size(); ++k) {
            const float e = out[k][0] * out[k][0] + out[k][1] * out[k][1];
            const float amplitude = std::sqrt(e);
            // The melody shows in the notes as they start: what sustains
            // under it (the chords) adds nothing after its first window.
            if (map.harmony[k] >= 0)
                values[map.harmony[k]] += amplitude;
            if (map.attack[k] >= 0)
                values[map.attack[k]] += std::max(0.0f, amplitude - previous[k]);
            previous[k] = amplitude;
            if (map.band[k] >= 0)
                values[map.band[k]] += e / float(size);
        }
    }
    return g;
}

BeatFeatures beatFeaturesOf(const Spectrogram &g, const std::vector<double> &beats)
{
    BeatFeatures f;
    if (beats.empty() || g.windows == 0)
        return f;
    f.beats = int(beats.size());
    f.values.assign(size_t(f.beats) * dims, 0.0f);
    f.loudnessDb.assign(size_t(f.beats), -100.0f);
    int w = std::max(0, int(std::ceil(beats.front() * g.windowRate)));
    for (int i = 0; i < f.beats; ++i) {
        const double end = i + 1 < f.beats ? beats[size_t(i) + 1] : beats[size_t(i)] + (i > 0 ? beats[size_t(i)] - beats[size_t(i) - 1] : 0.5);
        double sum[dims + 1] = {};
        int count = 0;
        for (; w < g.windows && w < end * g.windowRate; ++w, ++count) {
            const float *values = g.values.data() + size_t(w) * (dims + 1);
            for (int d = 0; d <= dims; ++d)
                sum[d] += values[d];
        }
        float *v = f.values.data() + size_t(i) * dims;
        for (int d = 0; d < dims; ++d)
            v[d] = float(sum[d]);
        f.loudnessDb[size_t(i)] = count ? float(10.0 * std::log10(sum[dims] / count + 1e-10)) : -100.0f;
        normalise(v + BeatFeatures::lowAt, classes, true, 1e-6);
        normalise(v + BeatFeatures::highAt, classes, true, 1e-6);
    }
    standardiseBands(f);
    for (int i = 0; i < f.beats; ++i)
        normalise(f.values.data() + size_t(i) * dims + BeatFeatures::bandsAt, bands, false, 1e-6);
    return f;
}

OnsetStrength onsetStrengthOf(const MonoAudio &audio, const std::atomic<bool> *cancel)
{
    OnsetStrength o;
    const int size = windowSize(audio.rate, onsetWindowSeconds);
    const int hop = size / 4;
    const auto &x = audio.samples;
    const int windows = int((x.size() + size_t(hop) - 1) / size_t(hop));
    o.rate = double(audio.rate) / hop;
    o.values.assign(size_t(windows), 0.0f);
    Transform fft(size);
    const std::vector<float> window = hann(size);
    const int bins = std::min(size / 2, int(onsetTopHz * size / audio.rate));
    std::vector<float> previous(size_t(bins), 0.0f);
    for (int w = 0; w < windows; ++w) {
        if ((w & 1023) == 0 && isCancelled(cancel))
            return {};
        windowAt(x, int64_t(w) * hop - size / 2, window, fft.in());
        const fftwf_complex *out = fft.run();
        float rise = 0;
        for (int k = 1; k < bins; ++k) {
            const float level = std::log1p(onsetGain / float(size) * std::sqrt(out[k][0] * out[k][0] + out[k][1] * out[k][1]));
            rise += std::max(0.0f, level - previous[size_t(k)]);
            previous[size_t(k)] = level;
        }
        o.values[size_t(w)] = rise;
    }
    // Less the running mean over about a second, rises only, then scaled to
    // unit spread.
    const int half = std::max(1, int(o.rate / 2));
    std::vector<double> prefix(o.values.size() + 1, 0.0);
    for (size_t i = 0; i < o.values.size(); ++i)
        prefix[i + 1] = prefix[i] + o.values[i];
    std::vector<float> peaks(o.values.size());
    double squares = 0;
    for (int i = 0; i < windows; ++i) {
        const int from = std::max(0, i - half), to = std::min(windows, i + half + 1);
        peaks[size_t(i)] = std::max(0.0f, o.values[size_t(i)] - float((prefix[size_t(to)] - prefix[size_t(from)]) / (to - from)));
        squares += double(peaks[size_t(i)]) * peaks[size_t(i)];
    }
    const double spread = std::sqrt(squares / std::max(1, windows));
    for (int i = 0; i < windows; ++i)
        o.values[size_t(i)] = spread > 1e-9 ? float(peaks[size_t(i)] / spread) : 0.0f;
    return o;
}

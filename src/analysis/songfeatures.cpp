#include "analysis/songfeatures.h"
#include "analysis/fftwplanlock.h"

#include <algorithm>
#include <cmath>
#include <fftw3.h>
#include <memory>
#include <numbers>

namespace {

constexpr int classes = SongFeatures::classes;
constexpr int bands = SongFeatures::bands;
constexpr double lowestPitchHz = 55.0;    // A1: the bass line's range starts here
constexpr double highestPitchHz = 4200.0; // beyond it mostly overtones and noise
constexpr double lowestBandHz = 60.0, highestBandHz = 10000.0;
constexpr double silentPower = 1e-8; // mean square of a window below -80 dBFS

struct FftwDeleter {
    void operator()(void *p) const { fftwf_free(p); }
};
template <typename T> using FftwBuffer = std::unique_ptr<T[], FftwDeleter>;

// Where each spectrum bin goes: its pitch class and its band, -1 for none.
struct BinMap {
    std::vector<int> pitchClass, band;
};

BinMap binMap(int size, int rate)
{
    BinMap map{std::vector<int>(size_t(size / 2 + 1), -1), std::vector<int>(size_t(size / 2 + 1), -1)};
    for (int k = 1; k <= size / 2; ++k) {
        const double hz = double(k) * rate / size;
        if (hz >= lowestPitchHz && hz <= highestPitchHz) {
            const long midi = std::lround(69.0 + 12.0 * std::log2(hz / 440.0));
            map.pitchClass[size_t(k)] = int(((midi % 12) + 12) % 12);
        }
        if (hz >= lowestBandHz && hz < highestBandHz)
            map.band[size_t(k)] = int(bands * std::log(hz / lowestBandHz) / std::log(highestBandHz / lowestBandHz));
    }
    return map;
}

// Per window, centred every `hop` samples: pitch-class shares, band
// energies and mean square, frame by frame.
struct WindowValues {
    static constexpr int width = classes + bands + 1;
    std::vector<float> values; // `width` per window
    int windows = 0;
};

WindowValues windowValues(const MonoAudio &audio, int size, int hop, const std::atomic<bool> *cancel)
{
    WindowValues w;
    const auto &x = audio.samples;
    w.windows = int((x.size() + size_t(hop) - 1) / size_t(hop));
    w.values.assign(size_t(w.windows) * WindowValues::width, 0.0f);

    FftwBuffer<float> in(static_cast<float *>(fftwf_malloc(sizeof(float) * size_t(size))));
    FftwBuffer<fftwf_complex> out(static_cast<fftwf_complex *>(fftwf_malloc(sizeof(fftwf_complex) * size_t(size / 2 + 1))));
    fftwf_plan plan;
    {
        std::lock_guard<std::mutex> planning(fftwPlanLock());
        plan = fftwf_plan_dft_r2c_1d(size, in.get(), out.get(), FFTW_ESTIMATE);
    }
    std::vector<float> window(static_cast<size_t>(size));
    double windowSquares = 0;
    for (int i = 0; i < size; ++i) {
        window[size_t(i)] = float(0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / size));
        windowSquares += double(window[size_t(i)]) * window[size_t(i)];
    }
    const BinMap map = binMap(size, audio.rate);

    for (int f = 0; f < w.windows; ++f) {
        if ((f & 255) == 0 && isCancelled(cancel))
            break;
        float *values = w.values.data() + size_t(f) * WindowValues::width;
        const int64_t start = int64_t(f) * hop - size / 2;
        double squares = 0;
        for (int i = 0; i < size; ++i) {
            const int64_t at = start + i;
            const float v = at >= 0 && at < int64_t(x.size()) ? x[size_t(at)] * window[size_t(i)] : 0.0f;
            in[size_t(i)] = v;
            squares += double(v) * v;
        }
        const double meanSquare = squares / windowSquares;
        values[classes + bands] = float(meanSquare);
        if (meanSquare < silentPower)
            continue;
        fftwf_execute(plan);
        double pitch[classes] = {}, band[bands] = {}, pitched = 0;
        for (size_t k = 0; k < map.band.size(); ++k) {
            const double e = double(out[k][0]) * out[k][0] + double(out[k][1]) * out[k][1];
            if (map.pitchClass[k] >= 0)
                pitch[map.pitchClass[k]] += e, pitched += e;
            if (map.band[k] >= 0)
                band[map.band[k]] += e;
        }
        for (int c = 0; c < classes && pitched > 0; ++c)
            values[c] = float(pitch[c] / pitched);
        for (int b = 0; b < bands; ++b)
            values[classes + b] = float(band[b] / size);
    }
    {
        std::lock_guard<std::mutex> planning(fftwPlanLock());
        fftwf_destroy_plan(plan);
    }
    return w;
}

// Scales a frame's vector to unit length, less its mean first if asked;
// near nothing (no pitch, a flat profile) becomes all zero.
void normalise(FrameVectors &v, int frame, bool lessMean, double floor)
{
    double mean = 0, norm = 0;
    for (int d = 0; d < v.dims && lessMean; ++d)
        mean += v.row(d)[frame] / v.dims;
    for (int d = 0; d < v.dims; ++d) {
        v.row(d)[frame] -= float(mean);
        norm += double(v.row(d)[frame]) * v.row(d)[frame];
    }
    norm = std::sqrt(norm);
    for (int d = 0; d < v.dims; ++d)
        v.row(d)[frame] = norm > floor ? float(v.row(d)[frame] / norm) : 0.0f;
}

// The log band energies as standard scores over the song's sounding frames.
void standardiseBands(FrameVectors &timbre, const std::vector<float> &loudnessDb)
{
    for (int b = 0; b < bands; ++b) {
        float *row = timbre.row(b);
        double sum = 0, squares = 0;
        int count = 0;
        for (int f = 0; f < timbre.frames; ++f) {
            row[f] = std::log10(row[f] + 1e-10f);
            if (loudnessDb[size_t(f)] > -70)
                sum += row[f], squares += double(row[f]) * row[f], ++count;
        }
        const double mean = count ? sum / count : 0;
        const double deviation = count ? std::sqrt(std::max(squares / count - mean * mean, 0.0)) : 0;
        for (int f = 0; f < timbre.frames; ++f)
            row[f] = loudnessDb[size_t(f)] > -70 && deviation > 1e-6 ? float((row[f] - mean) / deviation) : 0.0f;
    }
}

} // namespace

SongFeatures featuresOf(const MonoAudio &audio, int maxFrames, const std::atomic<bool> *cancel)
{
    SongFeatures features;
    int size = 1;
    while (size < int(audio.rate * 0.37))
        size *= 2;
    const int hop = size / 4;
    const WindowValues w = windowValues(audio, size, hop, cancel);
    if (isCancelled(cancel) || w.windows == 0)
        return features;

    const double windowRate = double(audio.rate) / hop;
    // Every `step`-th window, averaged with its neighbours over about a
    // second (Hann-weighted), which evens out single notes and drum hits.
    const int step = std::max(2, (w.windows + maxFrames - 1) / std::max(1, maxFrames));
    const int half = std::max(step / 2, int(std::lround(windowRate * 0.5)));
    std::vector<double> weight(static_cast<size_t>(2 * half + 1));
    for (int i = -half; i <= half; ++i)
        weight[size_t(i + half)] = 0.5 + 0.5 * std::cos(std::numbers::pi * i / (half + 1));

    const int n = (w.windows + step - 1) / step;
    features.frames = n;
    features.frameRate = windowRate / step;
    features.chroma = {classes, n, std::vector<float>(size_t(classes) * size_t(n))};
    features.timbre = {bands, n, std::vector<float>(size_t(bands) * size_t(n))};
    features.loudnessDb.assign(size_t(n), -100.0f);
    for (int j = 0; j < n; ++j) {
        const int centre = j * step;
        double sum[WindowValues::width] = {}, weights = 0;
        for (int i = std::max(0, centre - half); i <= std::min(w.windows - 1, centre + half); ++i) {
            const double wt = weight[size_t(i - centre + half)];
            const float *values = w.values.data() + size_t(i) * WindowValues::width;
            for (int d = 0; d < WindowValues::width; ++d)
                sum[d] += wt * values[d];
            weights += wt;
        }
        for (int c = 0; c < classes; ++c)
            features.chroma.row(c)[j] = float(sum[c] / weights);
        for (int b = 0; b < bands; ++b)
            features.timbre.row(b)[j] = float(sum[classes + b] / weights);
        features.loudnessDb[size_t(j)] = float(10.0 * std::log10(sum[classes + bands] / weights + 1e-10));
        // Only how the classes differ from their mean counts: the share
        // that noise and drums spread over all of them says nothing of the
        // harmony (and would make every two frames look alike).
        normalise(features.chroma, j, true, 1e-4);
    }
    standardiseBands(features.timbre, features.loudnessDb);
    for (int j = 0; j < n; ++j)
        normalise(features.timbre, j, false, 1e-6);
    return features;
}

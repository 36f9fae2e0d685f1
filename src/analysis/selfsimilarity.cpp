#include "analysis/selfsimilarity.h"

#include <algorithm>
#include <cmath>

namespace {

template <int dims> void sumProducts(const float *const *a, const float *const *b, int count, float *out)
{
    for (int i = 0; i < count; ++i) {
        float sum = 0;
        for (int d = 0; d < dims; ++d)
            sum += a[d][i] * b[d][i];
        out[i] = sum;
    }
}

// dots[i] = v(i) . shift(v(i + lag), by), for i < frames - lag: the
// values of a vector shifted circularly by `by` places.
void diagonalDots(const FrameVectors &v, int lag, int by, std::vector<float> &dots)
{
    const int count = v.frames - lag;
    dots.resize(size_t(count));
    float *out = dots.data();
    // Pitch classes and bands alike come in twelves or sixteens: the sum
    // over them stays in registers while the frames run in vectors.
    const float *a[SongFeatures::bands] = {}, *b[SongFeatures::bands] = {};
    for (int d = 0; d < v.dims && d < SongFeatures::bands; ++d) {
        a[d] = v.row(d);
        b[d] = v.row((d + by) % v.dims) + lag;
    }
    if (v.dims == SongFeatures::classes)
        sumProducts<SongFeatures::classes>(a, b, count, out);
    else if (v.dims == SongFeatures::bands)
        sumProducts<SongFeatures::bands>(a, b, count, out);
}

// Centred moving average of `width` values (fewer at the ends), in place.
void smoothAlong(std::vector<float> &v, int width, std::vector<double> &prefix)
{
    const int count = int(v.size());
    prefix.resize(size_t(count) + 1);
    prefix[0] = 0;
    for (int i = 0; i < count; ++i)
        prefix[size_t(i) + 1] = prefix[size_t(i)] + v[size_t(i)];
    const int before = width / 2, after = width - 1 - before;
    for (int i = 0; i < count; ++i) {
        const int from = std::max(0, i - before), to = std::min(count, i + after + 1);
        v[size_t(i)] = float((prefix[size_t(to)] - prefix[size_t(from)]) / (to - from));
    }
}

} // namespace

SelfSimilarity selfSimilarityOf(const SongFeatures &features, int smoothFrames, const std::atomic<bool> *cancel)
{
    SelfSimilarity s;
    const FrameVectors &chroma = features.chroma;
    const int n = chroma.frames;
    // The upper triangle by diagonals first (each contiguous), then spread
    // into the square the path search walks row by row.
    std::vector<std::vector<float>> diagonals(static_cast<size_t>(n));
    std::vector<float> dots;
    std::vector<double> prefix;
    for (int lag = 0; lag < n; ++lag) {
        if ((lag & 63) == 0 && isCancelled(cancel))
            return s;
        auto &best = diagonals[size_t(lag)];
        best.assign(size_t(n - lag), 0.0f);
        for (int by = 0; by < chroma.dims; ++by) {
            diagonalDots(chroma, lag, by, dots);
            smoothAlong(dots, smoothFrames, prefix);
            for (size_t i = 0; i < dots.size(); ++i)
                best[i] = std::max(best[i], dots[i]);
        }
    }
    s.n = n;
    s.values.assign(size_t(n) * size_t(n), 0.0f);
    for (int lag = 0; lag < n; ++lag) {
        const auto &d = diagonals[size_t(lag)];
        for (int i = 0; i + lag < n; ++i) {
            s.values[size_t(i) * size_t(n) + size_t(i + lag)] = d[size_t(i)];
            s.values[size_t(i + lag) * size_t(n) + size_t(i)] = d[size_t(i)];
        }
        std::vector<float>().swap(diagonals[size_t(lag)]);
    }
    return s;
}

std::vector<float> noveltyOf(const FrameVectors &features, int halfWidth)
{
    const int n = features.frames, w = 2 * halfWidth;
    // near[lag][i]: the plain similarity of frames i and i + lag, lag < w.
    std::vector<std::vector<float>> near(static_cast<size_t>(w));
    for (int lag = 0; lag < w && lag < n; ++lag)
        diagonalDots(features, lag, 0, near[size_t(lag)]);
    auto similarity = [&](int i, int j) -> float {
        if (i > j)
            std::swap(i, j);
        if (i < 0 || j >= n)
            return 0.0f;
        return near[size_t(j - i)][size_t(i)];
    };
    // Kernel: + where both frames lie on one side of the centre, - across.
    std::vector<float> taper(static_cast<size_t>(w));
    const double sigma = 0.5 * halfWidth;
    for (int a = -halfWidth; a < halfWidth; ++a) {
        const double x = a + 0.5;
        taper[size_t(a + halfWidth)] = float(std::exp(-0.5 * x * x / (sigma * sigma)));
    }
    std::vector<float> novelty(size_t(n), 0.0f);
    for (int i = 0; i < n; ++i) {
        double sum = 0;
        for (int a = -halfWidth; a < halfWidth; ++a)
            for (int b = -halfWidth; b < halfWidth; ++b) {
                const float sign = (a < 0) == (b < 0) ? 1.0f : -1.0f;
                sum += sign * taper[size_t(a + halfWidth)] * taper[size_t(b + halfWidth)] * similarity(i + a, i + b);
            }
        novelty[size_t(i)] = float(std::max(0.0, sum));
    }
    return novelty;
}

#include "analysis/beatgrid.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double standInBeat = 0.5;
constexpr double shortestBeat = 0.35, longestBeat = 1.0;
constexpr int pacedBeats = 8;
constexpr double paceReach = 0.04, paceStep = 0.0005;
constexpr double tightness = 100; // how dearly a beat a little off the pace is bought
constexpr int fewestTracked = 8;
constexpr double shortestBar = 1.2, longestBar = 4.0;

double medianGap(const std::vector<double> &beats, size_t from, size_t to)
{
    std::vector<double> gaps;
    for (size_t i = from + 1; i < to; ++i)
        gaps.push_back(beats[i] - beats[i - 1]);
    std::nth_element(gaps.begin(), gaps.begin() + ptrdiff_t(gaps.size() / 2), gaps.end());
    return gaps[gaps.size() / 2];
}

// The autocorrelation of the onsets at lags 0..most (in onset values).
std::vector<double> autocorrelation(const std::vector<float> &o, int most)
{
    std::vector<double> ac(size_t(most) + 1, 0.0);
    const int n = int(o.size());
    for (int lag = 0; lag <= most && lag < n; ++lag) {
        double sum = 0;
        for (int t = 0; t + lag < n; ++t)
            sum += double(o[size_t(t)]) * o[size_t(t + lag)];
        ac[size_t(lag)] = sum;
    }
    return ac;
}

double at(const std::vector<double> &v, double x)
{
    const size_t i = size_t(x);
    if (i + 1 >= v.size())
        return v.empty() ? 0.0 : v.back();
    return v[i] + (x - double(i)) * (v[i + 1] - v[i]);
}

// The beat length, in seconds, the onsets repeat at best within a few per
// cent of `guess`, over eight beats.
double exactPace(const OnsetStrength &onsets, double guess)
{
    const double widest = 1.0 + paceReach;
    const std::vector<double> ac = autocorrelation(onsets.values, int(std::ceil(pacedBeats * widest * guess * onsets.rate)) + 1);
    double best = guess, bestSum = -1;
    for (double p = guess * (1.0 - paceReach); p <= guess * widest; p += guess * paceStep) {
        double sum = 0;
        for (int k = 1; k <= pacedBeats; ++k)
            sum += at(ac, k * p * onsets.rate);
        if (sum > bestSum)
            bestSum = sum, best = p;
    }
    return best;
}

// The beat length the onsets repeat at best between 0.35 and 1 s.
double onsetPace(const OnsetStrength &onsets)
{
    const std::vector<double> ac = autocorrelation(onsets.values, int(std::ceil(longestBeat * onsets.rate)) + 1);
    double best = standInBeat, bestSum = -1;
    for (int lag = int(shortestBeat * onsets.rate); lag < int(ac.size()); ++lag)
        if (ac[size_t(lag)] > bestSum)
            bestSum = ac[size_t(lag)], best = lag / onsets.rate;
    return best;
}

double dot(const float *a, const float *b, int count)
{
    double sum = 0;
    for (int d = 0; d < count; ++d)
        sum += double(a[d]) * b[d];
    return sum;
}

} // namespace

std::vector<double> beatsOfTheSong(const OnsetStrength &onsets, const std::vector<double> &tracked, double seconds)
{
    const std::vector<float> &o = onsets.values;
    const double rate = onsets.rate;
    std::vector<double> beats;
    if (o.empty() || rate <= 0)
        return beats;
    const double guess = tracked.size() >= size_t(fewestTracked) ? medianGap(tracked, 0, tracked.size()) : onsetPace(onsets);
    const double pace = exactPace(onsets, guess) * rate; // in onset values
    // best[t]: the most a chain of beats ending at t rises; from[t]: its
    // beat before, -1 for none.
    const int n = int(o.size()), nearest = int(pace / 2), farthest = int(std::ceil(2 * pace));
    std::vector<float> penalty(size_t(farthest) + 1, 0.0f);
    for (int d = nearest; d <= farthest; ++d)
        penalty[size_t(d)] = float(tightness * std::pow(std::log(d / pace), 2));
    std::vector<float> best(static_cast<size_t>(n));
    std::vector<int> from(size_t(n), -1);
    for (int t = 0; t < n; ++t) {
        float before = 0;
        for (int d = std::max(1, nearest); d <= farthest && d <= t; ++d) {
            const float chain = best[size_t(t - d)] - penalty[size_t(d)];
            if (chain > before)
                before = chain, from[size_t(t)] = t - d;
        }
        best[size_t(t)] = o[size_t(t)] + before;
    }
    int last = n - 1;
    for (int t = std::max(0, n - int(pace)); t < n; ++t)
        if (best[size_t(t)] > best[size_t(last)])
            last = t;
    for (int t = last; t >= 0; t = from[size_t(t)])
        beats.push_back(t / rate);
    std::reverse(beats.begin(), beats.end());
    const double step = pace / rate;
    std::vector<double> covering;
    for (double t = beats.front() - step * std::floor(beats.front() / step); t < beats.front() - step / 2; t += step)
        covering.push_back(t);
    covering.insert(covering.end(), beats.begin(), beats.end());
    for (double t = beats.back() + step; t < seconds; t += step)
        covering.push_back(t);
    return covering;
}

BarGrid barGridOf(const BeatFeatures &f, const std::vector<double> &beats)
{
    BarGrid grid;
    const int n = f.beats;
    if (n < 2)
        return grid;
    const double beat = medianGap(beats, 0, beats.size());
    grid.beatsPerBar = 4 * beat < shortestBar ? 8 : 4 * beat > longestBar ? 2 : 4;
    const int perBar = grid.beatsPerBar, half = std::max(1, perBar / 2);
    // At each beat: how much the harmony of the half bar from it on differs
    // from that of the half bar before it.
    std::vector<double> change(size_t(n), 0.0);
    for (int i = half; i + half <= n; ++i) {
        float before[BeatFeatures::classes] = {}, after[BeatFeatures::classes] = {};
        for (int j = 0; j < half; ++j)
            for (int c = 0; c < BeatFeatures::classes; ++c) {
                before[c] += f.beat(i - half + j)[BeatFeatures::lowAt + c];
                after[c] += f.beat(i + j)[BeatFeatures::lowAt + c];
            }
        const double norms = std::sqrt(dot(before, before, BeatFeatures::classes) * dot(after, after, BeatFeatures::classes));
        change[size_t(i)] = norms > 1e-9 ? 1.0 - dot(before, after, BeatFeatures::classes) / norms : 0.0;
    }
    double clearest = -1;
    for (int phase = 0; phase < perBar; ++phase) {
        double sum = 0;
        int count = 0;
        for (int i = phase; i < n; i += perBar)
            sum += change[size_t(i)], ++count;
        if (count && sum / count > clearest)
            clearest = sum / count, grid.first = phase;
    }
    grid.bars = std::max(0, (n - grid.first) / grid.beatsPerBar);
    return grid;
}

double BarTimes::startOf(int bar) const
{
    const int beat = grid_.beatOf(bar);
    return bar < grid_.bars && beat < int(beats_.size()) ? beats_[size_t(beat)] : duration_;
}

BarSpan BarTimes::phrased(BarSpan span, double shortest, double longest) const
{
    const double start = startOf(span.start);
    while (startOf(span.end) - start < shortest && span.end < grid_.bars)
        span.end = std::min(grid_.bars, span.start + (span.length() / phraseBars + 1) * phraseBars);
    while (startOf(span.end) - start > longest && span.length() > phraseBars)
        span.end = span.start + (span.length() - 1) / phraseBars * phraseBars;
    return span;
}


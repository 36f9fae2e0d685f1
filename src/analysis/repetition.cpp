#include "analysis/repetition.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int classes = BeatFeatures::classes;
// The weights of harmony, melody and sound in the likeness of two beats.
constexpr float harmonyWeight = 0.35f, melodyWeight = 0.4f, soundWeight = 0.25f;
// A pair of bars is a repetition above the likeness the song's closest
// `chanceShare` of pairs reach, and never below `leastAlike`.
constexpr double chanceShare = 0.1;
constexpr float leastAlike = 0.6f;
constexpr float leastSpread = 0.05f;
constexpr int pitchMoves[5] = {0, 1, 2, -1, -2};
// A stretch's rating grows with its length to the power 0.75: of two
// stretches that come back equally exactly, one twice as long must come
// back at about 0.6 times as many places to rate the same. A phrase sung
// twice in each chorus so comes second to the whole chorus.
constexpr double lengthWeight = 0.75;
// Sections start where the sound changes: a stretch gains up to 30 per
// cent by how clearly it does so at each place it comes at.
constexpr double changeWeight = 0.3;
constexpr int changeBars = 4; // bars on each side of the change measured

// Sum over the classes of a[c] * b[c + move].
float movedDot(const float *a, const float *b, int move)
{
    float sum = 0;
    for (int c = 0; c < classes; ++c)
        sum += a[c] * b[(c + move + classes) % classes];
    return sum;
}

float beatLikeness(const BeatFeatures &f, int i, int j, int move)
{
    const float *a = f.beat(i), *b = f.beat(j);
    float sound = 0;
    for (int d = 0; d < BeatFeatures::bands; ++d)
        sound += a[BeatFeatures::bandsAt + d] * b[BeatFeatures::bandsAt + d];
    return harmonyWeight * movedDot(a + BeatFeatures::lowAt, b + BeatFeatures::lowAt, move) +
           melodyWeight * movedDot(a + BeatFeatures::highAt, b + BeatFeatures::highAt, move) + soundWeight * sound;
}

float quantile(std::vector<float> values, double share)
{
    if (values.empty())
        return 0;
    auto nth = values.begin() + ptrdiff_t(share * double(values.size() - 1));
    std::nth_element(values.begin(), nth, values.end());
    return *nth;
}

// How much the sound changes at the start of each bar, 0..1: how much
// more alike the `half` bars before it are among themselves, and the `half`
// bars from it on, than the bars before are to the bars after. A bar's
// sound is its beats' mean band energies; two bars differing in loudness
// by 6 dB count as unlike whatever their bands.
std::vector<float> soundChanges(const BeatFeatures &f, const BarGrid &grid, int half)
{
    const int n = grid.bars;
    constexpr int bands = BeatFeatures::bands;
    std::vector<float> sound(size_t(n) * bands, 0.0f), loud(size_t(n), 0.0f);
    for (int x = 0; x < n; ++x) {
        float *v = sound.data() + size_t(x) * bands;
        for (int j = 0; j < grid.beatsPerBar; ++j) {
            const float *b = f.beat(grid.beatOf(x) + j) + BeatFeatures::bandsAt;
            for (int d = 0; d < bands; ++d)
                v[d] += b[d];
            loud[size_t(x)] += f.loudnessDb[size_t(grid.beatOf(x) + j)] / float(grid.beatsPerBar);
        }
        float norm = 0;
        for (int d = 0; d < bands; ++d)
            norm += v[d] * v[d];
        norm = std::sqrt(norm);
        for (int d = 0; d < bands; ++d)
            v[d] = norm > 1e-6f ? v[d] / norm : 0.0f;
    }
    auto like = [&](int x, int y) {
        float sum = 0;
        for (int d = 0; d < bands; ++d)
            sum += sound[size_t(x) * bands + size_t(d)] * sound[size_t(y) * bands + size_t(d)];
        return sum - std::min(1.0f, std::abs(loud[size_t(x)] - loud[size_t(y)]) / 6.0f);
    };
    std::vector<float> change(size_t(n), 0.0f);
    for (int i = 1; i < n; ++i) {
        double within = 0, across = 0;
        int w = 0, a = 0;
        for (int x = std::max(0, i - half); x < std::min(n, i + half); ++x)
            for (int y = x + 1; y < std::min(n, i + half); ++y) {
                if ((x < i) == (y < i))
                    within += like(x, y), ++w;
                else
                    across += like(x, y), ++a;
            }
        if (w && a)
            change[size_t(i)] = float(std::max(0.0, within / w - across / a));
    }
    const float top = n ? *std::max_element(change.begin(), change.end()) : 0.0f;
    for (float &v : change)
        v = top > 0 ? v / top : 0.0f;
    return change;
}

} // namespace

BarRepetition::BarRepetition(const BeatFeatures &f, const BarGrid &grid) : bars_(grid.bars)
{
    const int n = bars_;
    if (n < 2)
        return;
    change_ = soundChanges(f, grid, changeBars);
    std::vector<float> likeness[moves];
    for (int m = 0; m < moves; ++m)
        likeness[m].assign(size_t(n) * size_t(n), 0.0f);
    std::vector<float> best;
    best.reserve(size_t(n) * size_t(n - 1) / 2);
    for (int x = 0; x < n; ++x)
        for (int y = x + 1; y < n; ++y) {
            float top = -1;
            for (int m = 0; m < moves; ++m) {
                float sum = 0;
                for (int j = 0; j < grid.beatsPerBar; ++j)
                    sum += beatLikeness(f, grid.beatOf(x) + j, grid.beatOf(y) + j, pitchMoves[m]);
                const float bar = sum / float(grid.beatsPerBar);
                likeness[m][size_t(x) * size_t(n) + size_t(y)] = bar;
                top = std::max(top, bar);
            }
            best.push_back(top);
        }
    // Bar y against bar x under a move is bar x against bar y under the
    // opposite move.
    for (int m = 0; m < moves; ++m) {
        const int opposite = m == 0 ? 0 : (m + 2 - 1) % 4 + 1;
        for (int x = 0; x < n; ++x)
            for (int y = x + 1; y < n; ++y)
                likeness[opposite][size_t(y) * size_t(n) + size_t(x)] = likeness[m][size_t(x) * size_t(n) + size_t(y)];
    }
    const float median = quantile(best, 0.5), top = quantile(best, 0.995);
    const float threshold = std::max(leastAlike, quantile(best, 1.0 - chanceShare));
    contrast_ = top - median > 0.1f && top > threshold;
    const float spread = std::max(leastSpread, 1.0f - threshold);
    for (int m = 0; m < moves; ++m) {
        exactness_[m].resize(likeness[m].size());
        // Squared, keeping the sign: a bar that comes back nearly exactly
        // counts much more than one that merely resembles.
        for (size_t k = 0; k < likeness[m].size(); ++k) {
            const float e = std::clamp((likeness[m][k] - threshold) / spread, -1.0f, 1.0f);
            exactness_[m][k] = e * std::abs(e);
        }
        auto &sums = diagonalSums_[m];
        sums.assign(size_t(n + 1) * size_t(n + 1), 0.0f);
        for (int x = 0; x < n; ++x)
            for (int y = 0; y < n; ++y)
                sums[size_t(x + 1) * size_t(n + 1) + size_t(y + 1)] =
                    sums[size_t(x) * size_t(n + 1) + size_t(y)] + exactness(m, x, y);
    }
}

float BarRepetition::along(int move, int a, int b, int length) const
{
    const auto &sums = diagonalSums_[move];
    const size_t row = size_t(bars_ + 1);
    return sums[size_t(a + length) * row + size_t(b + length)] - sums[size_t(a) * row + size_t(b)];
}

std::vector<Repetition> BarRepetition::stretches(int shortest, int longest, const std::atomic<bool> *cancel) const
{
    std::vector<Repetition> found;
    if (!contrast_)
        return found;
    const int n = bars_;
    struct Place {
        int at;
        float score;
    };
    std::vector<float> score(static_cast<size_t>(n));
    std::vector<Place> peaks;
    for (int length = std::max(1, shortest); length <= std::min(longest, n / 2); ++length)
        for (int a = 0; a + length <= n; ++a) {
            if (isCancelled(cancel))
                return {};
            for (int b = 0; b + length <= n; ++b) {
                score[size_t(b)] = -1e9f;
                if (std::abs(b - a) < length)
                    continue;
                for (int m = 0; m < moves; ++m)
                    score[size_t(b)] = std::max(score[size_t(b)], along(m, a, b, length));
            }
            // The other places: the best first, none overlapping another.
            peaks.clear();
            for (int b = 0; b + length <= n; ++b)
                if (score[size_t(b)] > 0 && (b == 0 || score[size_t(b)] >= score[size_t(b - 1)]) &&
                    (b + length == n || score[size_t(b)] >= score[size_t(b + 1)]))
                    peaks.push_back({b, score[size_t(b)]});
            if (peaks.empty())
                continue;
            std::sort(peaks.begin(), peaks.end(), [](Place p, Place q) { return p.score > q.score; });
            Repetition r;
            r.span = {a, a + length};
            for (const Place &p : peaks) {
                const bool overlaps = std::any_of(r.others.begin(), r.others.end(), [&](BarSpan o) {
                    return p.at < o.end && o.start < p.at + length;
                });
                if (overlaps)
                    continue;
                r.others.push_back({p.at, p.at + length});
                r.score += p.score;
            }
            double changes = change_[size_t(a)];
            for (const BarSpan &o : r.others)
                changes += change_[size_t(o.start)];
            r.score *= (1.0 + changeWeight * changes / double(r.others.size() + 1)) / std::pow(double(length), 1.0 - lengthWeight);
            std::sort(r.others.begin(), r.others.end(), [](BarSpan p, BarSpan q) { return p.start < q.start; });
            found.push_back(std::move(r));
        }
    std::stable_sort(found.begin(), found.end(), [](const Repetition &p, const Repetition &q) { return p.score > q.score; });
    return found;
}

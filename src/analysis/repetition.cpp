#include "analysis/repetition.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace {

constexpr float keptShare = 0.1f;  // the share of cell pairs counted as alike
constexpr float penalty = -2.0f;   // of a path's step through an unlike cell
constexpr float minimumSpread = 0.02f; // between the threshold and a perfect match
constexpr float bend = 1.0f;       // the cost of a step off the diagonal
// A repetition runs at about the segment's own tempo: its length is within
// these shares of the segment's.
constexpr double shortestPath = 0.9, longestPath = 1.1;
constexpr float unreachable = -1e30f;
constexpr double clearPath = 0.4; // the least mean score of a repetition's cells

enum Step : uint8_t { Diagonal, TwoRows, TwoColumns, Begin };

} // namespace

RepetitionFinder::RepetitionFinder(const SelfSimilarity &similarity) : similarity_(similarity)
{
    const int n = similarity.n;
    std::vector<float> offDiagonal;
    offDiagonal.reserve(size_t(n) * size_t(std::max(n - 1, 0)) / 2);
    for (int i = 0; i < n; ++i)
        offDiagonal.insert(offDiagonal.end(), similarity.row(i) + i + 1, similarity.row(i) + n);
    if (offDiagonal.empty())
        return;
    auto at = [&](double share) {
        auto nth = offDiagonal.begin() + ptrdiff_t(share * double(offDiagonal.size() - 1));
        std::nth_element(offDiagonal.begin(), nth, offDiagonal.end());
        return *nth;
    };
    background_ = at(0.5);
    const float threshold = at(1.0 - keptShare);
    const float top = *std::max_element(offDiagonal.begin() + ptrdiff_t(double(offDiagonal.size() - 1) * (1.0 - keptShare)),
                                        offDiagonal.end());
    contrast_ = top - threshold > minimumSpread && threshold - background_ > minimumSpread;
    const float spread = std::max(1.0f - threshold, minimumSpread);
    scored_.resize(similarity.values.size());
    for (size_t k = 0; k < scored_.size(); ++k) {
        const float v = similarity.values[k];
        scored_[k] = v >= threshold ? std::min(1.0f, (v - threshold) / spread) : penalty;
    }
}

SegmentFitness RepetitionFinder::fitnessOf(FrameSpan segment) const
{
    SegmentFitness result;
    const int n = similarity_.n, m = segment.length();
    if (!contrast_ || m < 2 || segment.start < 0 || segment.end > n)
        return result;

    // best[r][c]: the best score of a family whose last path is at row r of
    // the song and column c of the segment (three rows kept); `ended` the
    // best of a family whose paths all end before the current row.
    std::vector<float> rows[3] = {std::vector<float>(size_t(m)), std::vector<float>(size_t(m)), std::vector<float>(size_t(m))};
    // The first row of the path through each cell, to check its tempo.
    std::vector<int> starts[3] = {std::vector<int>(size_t(m)), std::vector<int>(size_t(m)), std::vector<int>(size_t(m))};
    std::vector<uint8_t> steps(size_t(n) * size_t(m));
    std::vector<uint8_t> endedAt(size_t(n) + 1, 0);
    float ended = 0;
    for (int r = 0; r < n; ++r) {
        float *cur = rows[r % 3].data();
        const float *up = rows[(r + 2) % 3].data(), *up2 = rows[(r + 1) % 3].data();
        int *start = starts[r % 3].data();
        const int *startUp = starts[(r + 2) % 3].data(), *startUp2 = starts[(r + 1) % 3].data();
        const float *scored = scored_.data() + size_t(r) * size_t(n) + size_t(segment.start);
        uint8_t *step = steps.data() + size_t(r) * size_t(m);
        cur[0] = ended + scored[0];
        start[0] = r;
        step[0] = Begin;
        for (int c = 1; c < m; ++c) {
            float best = r > 0 ? up[c - 1] : unreachable;
            int from = startUp[c - 1];
            uint8_t how = Diagonal;
            if (r > 1 && up2[c - 1] - bend > best)
                best = up2[c - 1] - bend, from = startUp2[c - 1], how = TwoRows;
            if (r > 0 && c > 1 && up[c - 2] - bend > best)
                best = up[c - 2] - bend, from = startUp[c - 2], how = TwoColumns;
            cur[c] = best > unreachable ? best + scored[c] : unreachable;
            start[c] = from;
            step[c] = how;
        }
        // A path ends here only at about the segment's tempo.
        const int length = r - start[m - 1] + 1;
        if (cur[m - 1] > ended && length >= shortestPath * m && length <= longestPath * m) {
            ended = cur[m - 1];
            endedAt[size_t(r) + 1] = 1;
        }
    }
    rateFamily(segment, steps, endedAt, result);
    return result;
}

// Walks the chosen paths back from the last row; the one on the segment
// itself aside, those that follow a clear stripe are its repetitions.
void RepetitionFinder::rateFamily(FrameSpan segment, const std::vector<uint8_t> &steps, const std::vector<uint8_t> &endedAt,
                                  SegmentFitness &result) const
{
    const int n = similarity_.n, m = segment.length();
    struct Path {
        FrameSpan rows;
        double scored = 0, plain = 0;
        int cells = 0;
    };
    std::vector<Path> paths;
    for (int r = n; r > 0;) {
        if (!endedAt[size_t(r)]) {
            --r;
            continue;
        }
        Path p;
        int row = r - 1, c = m - 1;
        for (;;) {
            const size_t k = size_t(row) * size_t(n) + size_t(segment.start + c);
            p.scored += scored_[k];
            p.plain += similarity_.values[k];
            ++p.cells;
            if (c == 0)
                break;
            const uint8_t s = steps[size_t(row) * size_t(m) + size_t(c)];
            row -= s == TwoRows ? 2 : 1;
            c -= s == TwoColumns ? 2 : 1;
        }
        p.rows = {row, r};
        paths.push_back(p);
        r = row;
    }
    auto overlap = [&](FrameSpan a) { return std::min(a.end, segment.end) - std::max(a.start, segment.start); };
    const auto self = std::max_element(paths.begin(), paths.end(), [&](const Path &a, const Path &b) {
        return overlap(a.rows) < overlap(b.rows);
    });
    double scored = 0, plain = 0;
    int cells = 0, covered = 0;
    result.occurrences.push_back(segment);
    for (auto p = paths.begin(); p != paths.end(); ++p) {
        if ((p == self && overlap(p->rows) > m / 2) || p->scored < clearPath * p->cells)
            continue;
        ++result.repeats;
        scored += p->scored, plain += p->plain, cells += p->cells, covered += p->rows.length();
        result.occurrences.push_back(p->rows);
    }
    std::sort(result.occurrences.begin(), result.occurrences.end(), [](FrameSpan a, FrameSpan b) { return a.start < b.start; });
    if (result.repeats == 0)
        return;
    result.strength = std::clamp(scored / cells, 0.0, 1.0);
    result.similarity = plain / cells;
    result.coverage = double(covered) / n;
    result.fitness = 2 * result.strength * result.coverage / (result.strength + result.coverage);
}

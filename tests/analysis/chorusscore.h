#pragma once
#include "analysis/chorus.h"
#include "testsongs.h"

#include <algorithm>
#include <cmath>
#include <vector>

// How well a proposed stretch matches the song's choruses: the overlap F1
// against the chorus it matches best, and how far apart the two starts are.
struct ProposalScore {
    double f1 = 0;
    double startError = 1e9; // seconds
};

inline ProposalScore scoreProposal(const ChorusCandidate &p, const std::vector<SongSection> &sections)
{
    ProposalScore best;
    for (const SongSection &s : sections) {
        if (s.kind != 'C')
            continue;
        const double common = std::max(0.0, std::min(p.endSec, s.endSec) - std::max(p.startSec, s.startSec));
        const double f1 = 2 * common / (p.endSec - p.startSec + s.endSec - s.startSec);
        if (f1 > best.f1)
            best = {f1, std::abs(p.startSec - s.startSec)};
    }
    return best;
}

// A proposal counts as a chorus when it overlaps one with an F1 of 0.8 or
// more: a stretch of the right length two bars off, or a verse and a chorus
// together, do not.
constexpr double chorusF1 = 0.8;

inline bool chorusAmongFirst(const ChorusCandidates &candidates, const std::vector<SongSection> &sections, size_t count)
{
    for (size_t i = 0; i < std::min(count, candidates.size()); ++i)
        if (scoreProposal(candidates[i], sections).f1 >= chorusF1)
            return true;
    return false;
}

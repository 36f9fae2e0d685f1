#pragma once
#include <functional>

// Told how much of a long job is done (a fraction, 0..1) now and then, on
// the thread that does the job; false asks the job to stop where it can,
// and a stopped job leaves nothing behind. Null: nobody listens.
using JobProgress = std::function<bool(double fraction)>;

// Tells `progress`, when there is one; false when it asks to stop.
inline bool reportProgress(const JobProgress &progress, double fraction)
{
    return !progress || progress(fraction);
}

// The stretch [from, to] of a larger job: a step's own fractions 0..1 come
// to `whole` as from..to.
inline JobProgress progressPart(const JobProgress &whole, double from, double to)
{
    if (!whole)
        return {};
    return [whole, from, to](double fraction) { return whole(from + (to - from) * fraction); };
}

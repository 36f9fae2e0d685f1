#pragma once
#include "analysis/songfeatures.h"

#include <vector>

// The beats of a song from its start to its end, laid on its onsets. The
// tracker's beats (aubio's) give the pace, which the autocorrelation of
// the onsets over eight beats makes exact; the beats are then the chain of
// onsets a beat apart, give or take a little, that rises most in all
// (dynamic programming), carried on at the pace to both ends of the song.
// A tracker's own beats drift against the music by a beat and more over a
// minute, which would move a bar's start by as much. Without enough
// tracked beats the pace is the onsets' own.
std::vector<double> beatsOfTheSong(const OnsetStrength &onsets, const std::vector<double> &tracked, double seconds);

// The bars of a song, in beats: bar b spans beats [first + b * beatsPerBar,
// first + (b + 1) * beatsPerBar). A bar holds four tracked beats, or eight
// when four would last under 1.2 s (the tracker counted eighths), or two
// when four would last over 4 s (it counted half notes). The downbeats are
// where the harmony of the half bar after a beat differs most from that of
// the half bar before it, as chords change on the first beat of a bar.
// Where the tracker counted eighths of a slow song, a bar of the grid is
// half a bar of the music, still starting on its downbeat.
struct BarGrid {
    int beatsPerBar = 4;
    int first = 0; // the first downbeat
    int bars = 0;

    int beatOf(int bar) const { return first + bar * beatsPerBar; }
};

BarGrid barGridOf(const BeatFeatures &features, const std::vector<double> &beats);

// Bars [start, end) of a song.
struct BarSpan {
    int start = 0;
    int end = 0;
    int length() const { return end - start; }
};

// Where the bars of a grid lie in a song of `duration` seconds.
class BarTimes {
public:
    static constexpr int phraseBars = 4;

    BarTimes(const BarGrid &grid, const std::vector<double> &beats, double duration)
        : grid_(grid), beats_(beats), duration_(duration)
    {
    }

    // The downbeat of a bar; the song's end for the bar after the last.
    double startOf(int bar) const;
    // `span` made `shortest` to `longest` seconds long at phrase
    // boundaries, every `phraseBars` bars from its start: run on to the
    // first where it is long enough, or ended at the last within the
    // longest, as far as the song's bars allow.
    BarSpan phrased(BarSpan span, double shortest, double longest) const;

private:
    const BarGrid &grid_;
    const std::vector<double> &beats_;
    double duration_;
};


#pragma once
// Loudness of a clip after EBU R128 (measured with libebur128), and the one
// edit that brings a clip to the ringtone target.
#include "base/result.h"

#include <QString>

// The ringtone target: -14 LUFS integrated, the true peak at most -1 dBTP.
constexpr double kTargetLoudnessLufs = -14.0;
constexpr double kTruePeakCeilingDbtp = -1.0;
// True-peak meters rebuild the wave between the samples in different ways and
// read up to about half a dB apart; a gain that the peak limits aims this far
// under the ceiling, so that the peak stays under it on any meter.
constexpr double kTruePeakMarginDb = 0.5;
// Gated integrated loudness needs at least one 400 ms block.
constexpr double kShortestMeasurableSeconds = 0.4;

struct LoudnessMeasurement {
    double integratedLufs = 0;    // gated integrated loudness, LUFS
    double truePeakDbtp = 0;      // highest true peak of any channel, dBTP
};

// Measures the clip file. A clip shorter than kShortestMeasurableSeconds, or
// one that is silent (nothing above the absolute gate of -70 LUFS), fails.
Result<LoudnessMeasurement> measureLoudness(const QString &clipFile);

// The gain in dB that moves `m` to the target, lowered where needed so that
// the true peak lands at or below the ceiling less the margin.
double normalizingGainDb(const LoudnessMeasurement &m);

// Measures the clip and applies normalizingGainDb() to every sample in one
// rewrite of the file (same sample layout, integers rounded and clipped;
// the file is replaced in one step and stays as it was on any failure).
// A clip too short or silent to measure gets the measurement's error and no
// change. *appliedGainDb, when given, receives the gain used.
Outcome normalizeLoudness(const QString &clipFile, double *appliedGainDb = nullptr);

#pragma once
// Fade-in and fade-out of a clip: a gain that rises from silence over the
// first frames and falls to silence over the last ones.
//
// The curve is a quarter sine. For a fade of n frames, frame i of the fade
// (i = 0 .. n-1, counted from the clip's start for a fade-in) gets
//
//     gain(i) = sin(pi/2 * i / n)
//
// so the first frame is silent and the gain reaches 1 at the frame after the
// fade. A fade-out is the mirror image: frame i of the last n frames gets
// gain(n - 1 - i), the clip's last frame being silent. Every channel of a
// frame gets the same gain. When the two fades overlap (a clip shorter than
// both together) a frame in both gets the product of the two gains; a fade
// longer than the clip is cut to the clip's length.
#include "base/result.h"

#include <QString>
#include <QtGlobal>

// The fade lengths offered: 0 to 5 seconds in half seconds, 0 meaning none.
constexpr double kFadeStepSeconds = 0.5;
constexpr double kFadeMaxSeconds = 5.0;
bool isFadeLength(double seconds);

// A fade of `seconds` at `sampleRate` lasts this many frames (rounded).
qint64 fadeFrames(double seconds, quint32 sampleRate);

// The curve above: the gain of frame i (0 <= i < n) of a fade-in of n frames.
double fadeInGain(qint64 i, qint64 n);
// The gain of frame `frame` of a clip of `frames` frames with the two fades.
double fadeGainAt(qint64 frame, qint64 frames, qint64 inFrames, qint64 outFrames);

// Applies both fades to the frames [first, first + count) of a clip of
// `totalFrames` frames held as interleaved floats, `channels` per frame.
void applyFades(float *samples, int channels, qint64 first, qint64 count, qint64 totalFrames, qint64 inFrames,
                qint64 outFrames);

// Fades the clip file in over `inSeconds` and out over `outSeconds` (each one
// of the lengths above), keeping its sample layout. The file is replaced in
// one step; on failure it stays as it was. Both 0 leaves the file untouched.
Outcome fadeClip(const QString &clipFile, double inSeconds, double outSeconds);

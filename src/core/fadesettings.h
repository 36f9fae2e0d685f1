#pragma once
#include "base/result.h"

#include <QString>

// The fade lengths Done gives the kept stretch, in seconds (0: none), each
// one of the lengths edits/fades.h offers.
struct FadeLengths {
    double inSeconds = 0;
    double outSeconds = 0;

    bool any() const { return inSeconds > 0 || outSeconds > 0; }
    bool operator==(const FadeLengths &) const = default;
    // The nearest lengths that are offered (half seconds from 0 to 5).
    FadeLengths offered() const;
};

// The trimming view's settings file (AppPaths::editorSettingsFile): lines of
// "key=value", here "FadeIn=" and "FadeOut=" in seconds. A missing or
// unreadable file, or a line that is not understood, gives no fades.
FadeLengths readFadeSettings(const QString &path);
// Writes the file in one step (a new file moved over the old one).
Outcome writeFadeSettings(const QString &path, const FadeLengths &fades);

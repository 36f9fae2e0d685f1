#pragma once
#include <QString>
#include <cmath>
#include <optional>

// The clip open for trimming: what Done cuts, whatever the list's selection
// shows by then (the list player moves the selection on its own).
struct TrimmedClip {
    QString name;   // the entry's text, unique in the list
    int lengthMs;   // its length as the player reported it at opening
};

// What the clip list, the trimming and the list player share.
struct EditorState {
    QString editMode;             // "Edit" while a clip is open for trimming, "Play" after a cut
    std::optional<int> markIn;    // ms; unset until a clip is opened
    std::optional<int> markOut;   // ms
    std::optional<TrimmedClip> openClip; // set by opening, ended by a selection
    int playIndex = -1;           // next entry the list player plays; -1 until Play
};

// Whole seconds of a millisecond count, halves to the even number.
inline int roundedSeconds(double ms) { return int(std::nearbyint(ms / 1000.0)); }

// "hh:mm:ss" of a number of whole seconds, as a time of day (hours wrap at 24).
QString formatSeconds(int seconds);

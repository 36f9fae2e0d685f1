#pragma once
#include <QObject>

class Audition;
class ClipAnalysis;
class ClipEditorPanel;
class ClipTrimmer;
class QMenu;
class TrimSession;
class TrimWaveform;

// The trimming view's commands on the marks, each by a key on the Audio Edit
// panel and in the waveform's context menu, while a clip is open for
// marking: T types both marks to the millisecond, Shift+I and Shift+O play
// each edge, L plays the stretch as a ringtone, S trims the silence off
// both ends. With the waveform focused, Left and Right nudge the mark set
// or dragged last by 10 ms, with Shift by 100 ms, with Ctrl to the previous
// or next beat (by 1 s while no beats are known).
class MarkCommands : public QObject {
    Q_OBJECT
public:
    MarkCommands(const TrimSession &trim, const ClipAnalysis &analysis, ClipEditorPanel &panel, ClipTrimmer &trimmer,
                 TrimWaveform &waveform, Audition &audition);

    void setMarksExactly();
    void trimSilence();
    // Moves the mark set last `steps` 10 ms steps (±1 or ±10), or to the
    // neighbouring beat (`toBeat`, direction by the sign of `steps`).
    void nudge(int steps, bool toBeat = false);
    // Puts the commands at the top of the waveform's context menu.
    void addTo(QMenu *menu);

private:
    bool markable() const;
    void setMarks(int markIn, int markOut);

    const TrimSession &trim_;
    const ClipAnalysis &analysis_;
    ClipEditorPanel &panel_;
    ClipTrimmer &trimmer_;
    TrimWaveform &waveform_;
    Audition &audition_;
};

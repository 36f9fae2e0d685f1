#pragma once
#include <QObject>
#include <QString>

struct AppPaths;
class ClipAnalysis;
class ClipEditorPanel;
class MMControl;
class Notices;
class TrimSession;

// The trimming frame's handlers: open a clip in the trimming player, play,
// jump, take the marks, and cut. What is open and the marks live in the
// TrimSession; the frame shows them.
class ClipTrimmer : public QObject {
    Q_OBJECT
public:
    // The clip plays on `trimPlayer`; opening one stops and closes
    // `listPlayer`. Marks snap to the beats of `analysis`.
    ClipTrimmer(TrimSession &trim, const ClipAnalysis &analysis, MMControl &trimPlayer, MMControl &listPlayer,
                const AppPaths &paths, const Notices &notices, ClipEditorPanel &panel);

    void List1_DblClick();
    void CmdEditPlay_Click();
    void CmdEditStop_Click();
    void SliderEdit_Click();
    void MMCEdit_StatusUpdate();
    void CmdMarkin_Click();
    void CmdMarkOut_Click();
    void CmdEditDone_Click();

    // Plays the clip from `ms` (a click on the waveform, an audition).
    void playFrom(int ms);
    // Sets both marks to millisecond positions directly (used by the waveform).
    void setMarks(int markIn, int markOut);
    // Where a mark taken or dragged at `ms` goes: to the nearest beat within
    // half a beat while "Snap to beat" is ticked, else `ms` itself.
    int markAt(int ms) const;
    // The clip file open in the player was replaced (an edit, an undo, a
    // redo): the player opens it again where it was, and the slider, the
    // labels and the marks take its length.
    void followEditedClip(const QString &clipFile);

signals:
    // The trimming player is about to play: other sound of the view stops.
    void aboutToPlay();

private:
    void setSliderQuietly(int value);
    // The mark at the player's position, shown in `label`.
    int takeMark(class QLabel *label) const;

    TrimSession &trim_;
    const ClipAnalysis &analysis_;
    MMControl &trimPlayer_;
    MMControl &listPlayer_;
    const AppPaths &paths_;
    const Notices &notices_;
    ClipEditorPanel &panel_;
    bool quiet_ = false;
};

// Whole seconds of a millisecond count, halves to the even number.
int roundedSeconds(double ms);
// "hh:mm:ss" of a number of whole seconds, as a time of day (hours wrap at 24).
QString formatSeconds(int seconds);

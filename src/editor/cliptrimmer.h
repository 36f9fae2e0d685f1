#pragma once
#include <QObject>
#include <QString>

class ClipEditorPanel;
struct FeatureContext;
class Workspace;

// The trimming frame's handlers: open a clip in the trimming player, play,
// jump, take the marks, and cut. What is open and the marks live in the
// workspace's TrimSession; the frame shows them.
class ClipTrimmer : public QObject {
    Q_OBJECT
public:
    ClipTrimmer(FeatureContext &context, ClipEditorPanel &panel);

    void List1_DblClick();
    void CmdEditPlay_Click();
    void CmdEditStop_Click();
    void SliderEdit_Click();
    void MMCEdit_StatusUpdate();
    void CmdMarkin_Click();
    void CmdMarkOut_Click();
    void CmdEditDone_Click();

    // Sets both marks to millisecond positions directly (used by the waveform).
    void setMarks(int markIn, int markOut);

private:
    void setSliderQuietly(int value);

    FeatureContext &context_;
    Workspace &workspace_;
    ClipEditorPanel &panel_;
    bool quiet_ = false;
};

// Whole seconds of a millisecond count, halves to the even number.
int roundedSeconds(double ms);
// "hh:mm:ss" of a number of whole seconds, as a time of day (hours wrap at 24).
QString formatSeconds(int seconds);

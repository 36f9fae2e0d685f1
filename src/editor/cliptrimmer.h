#pragma once
#include <QObject>
#include <QString>

class ClipEditorPanel;
class Frmmain;
struct EditorState;

// Trimming a clip: open it in the trimming player, play, jump, take the
// marks, and cut the clip file down to the stretch between them.
class ClipTrimmer : public QObject {
    Q_OBJECT
public:
    ClipTrimmer(Frmmain &form, ClipEditorPanel &panel, EditorState &state);

    void List1_DblClick();
    void CmdEditPlay_Click();
    void CmdEditStop_Click();
    void SliderEdit_Click();
    void MMCEdit_StatusUpdate();
    void CmdMarkin_Click();
    void CmdMarkOut_Click();
    void CmdEditDone_Click();

    // Sets a mark to a millisecond position directly (used by the waveform).
    void setMarks(int markIn, int markOut);

private:
    // Cuts the clip to [in, out) of a clip of length ms; the error text, or
    // empty on success. The clip file is left as it was on failure.
    QString cutClip(const QString &clipFile, int in, int out, int length);
    void setSliderQuietly(int value);

    Frmmain &form_;
    ClipEditorPanel &panel_;
    EditorState &state_;
    bool quiet_ = false;
};

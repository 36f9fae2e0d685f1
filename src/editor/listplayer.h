#pragma once
#include <QObject>

class ClipEditorPanel;
class ClipList;
class Frmmain;
class QTimer;
struct EditorState;

// The list player: plays from the selected entry, on to the next ones
// when "Play List" is ticked; its timer keeps the buttons in step.
class ListPlayer : public QObject {
    Q_OBJECT
public:
    ListPlayer(Frmmain &form, ClipEditorPanel &panel, EditorState &state, ClipList &list);

    QTimer *Timer1() const { return timer1_; }

    void CmdPlay_Click();
    void CmdStop_Click();
    // Play the entry before / after the selected one; nothing at the ends.
    void CmdFoward_Click() { playNeighbour(-1); }
    void CmdNext_Click() { playNeighbour(+1); }
    // Pauses a playing clip, resumes a paused one.
    void CmdPause_Click();
    void playitem();
    void MMCPlayList_Done();
    void Timer1_Timer();

private:
    void playNeighbour(int step);

    Frmmain &form_;
    ClipEditorPanel &panel_;
    EditorState &state_;
    ClipList &list_;
    QTimer *timer1_;
};

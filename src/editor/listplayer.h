#pragma once
#include <QObject>

class ClipEditorPanel;
class ClipEntries;
class ClipList;
class MMControl;
class QTimer;
class TrimSession;

// The list player: plays from the selected entry, on to the next ones
// when "Play List" is ticked; its timer keeps the buttons in step.
class ListPlayer : public QObject {
    Q_OBJECT
public:
    // Plays the clips of `clips` on `player`; its buttons stay off while
    // `trim` has a clip open for marking.
    ListPlayer(const ClipEntries &clips, const TrimSession &trim, MMControl &player, QWidget &window,
               ClipEditorPanel &panel, ClipList &list);

    QTimer *Timer1() const { return timer1_; }
    // The entry playitem plays next; -1 until Play.
    int playIndex() const { return playIndex_; }

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
    // An entry moved: the one last started keeps its place in the play order.
    void followMove(int from, int to);

    const ClipEntries &clips_;
    const TrimSession &trim_;
    MMControl &player_;
    QWidget &window_;
    ClipEditorPanel &panel_;
    ClipList &list_;
    QTimer *timer1_;
    int playIndex_ = -1;
};

#include "editor/listplayer.h"

#include "core/cliplist.h"
#include "core/trimsession.h"
#include "editor/clipeditorpanel.h"
#include "editor/cliplist.h"
#include "platform/dialogs/dialogs.h"
#include "platform/mci/mmcontrol.h"

#include <QCheckBox>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

ListPlayer::ListPlayer(const ClipEntries &clips, const TrimSession &trim, MMControl &player, QWidget &window,
                       ClipEditorPanel &panel, ClipList &list)
    : QObject(&panel), clips_(clips), trim_(trim), player_(player), window_(window), panel_(panel), list_(list),
      timer1_(new QTimer(this))
{
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(500);
    connect(timer1_, &QTimer::timeout, this, &ListPlayer::Timer1_Timer);
    timer1_->start();
    connect(panel_.CmdPlay, &QPushButton::clicked, this, &ListPlayer::CmdPlay_Click);
    connect(panel_.CmdStop, &QPushButton::clicked, this, &ListPlayer::CmdStop_Click);
    connect(panel_.CmdFoward, &QPushButton::clicked, this, &ListPlayer::CmdFoward_Click);
    connect(panel_.CmdNext, &QPushButton::clicked, this, &ListPlayer::CmdNext_Click);
    connect(panel_.CmdPause, &QPushButton::clicked, this, &ListPlayer::CmdPause_Click);
    connect(&player_, &MMControl::Done, this, &ListPlayer::MMCPlayList_Done);
    connect(&clips_, &ClipEntries::moved, this, &ListPlayer::followMove);
}

void ListPlayer::followMove(int from, int to)
{
    // The entry last started (playIndex - 1) keeps its place in the play
    // order: whatever now follows it plays next.
    const int playing = playIndex_ - 1;
    if (playIndex_ > 0 && (playing == from || playing == to))
        playIndex_ = (playing == from ? to : from) + 1;
}

void ListPlayer::CmdPlay_Click()
{
    const int selected = panel_.List1->currentRow();
    if (selected < 0) {
        dialogs::MsgBox(&window_, QStringLiteral("Please select the song to play"));
        return;
    }
    playIndex_ = selected;
    playitem();
}

void ListPlayer::playitem()
{
    if (playIndex_ >= clips_.count()) {
        player_.setCommand(QStringLiteral("Stop"));
        player_.setCommand(QStringLiteral("Close"));
        return;
    }
    player_.setFileName(clips_.clipFile(playIndex_));
    for (const char *word : {"stop", "close", "Open", "play"})
        player_.setCommand(QString::fromLatin1(word));
    // Selecting the entry being played must not stop it.
    list_.selectQuietly(playIndex_);
    ++playIndex_;
}

void ListPlayer::MMCPlayList_Done()
{
    if (panel_.Check1->isChecked())
        playitem();
}

void ListPlayer::playNeighbour(int step)
{
    const int selected = panel_.List1->currentRow();
    const int target = selected + step;
    if (selected < 0 || target < 0 || target >= panel_.List1->count())
        return;
    playIndex_ = target;
    playitem();
}

void ListPlayer::CmdPause_Click()
{
    if (player_.isPlaying())
        player_.setCommand(QStringLiteral("pause"));
    else if (player_.isPaused())
        player_.setCommand(QStringLiteral("resume"));
}

void ListPlayer::CmdStop_Click() { player_.setCommand(QStringLiteral("Stop")); }

void ListPlayer::Timer1_Timer()
{
    const int count = panel_.List1->count();
    const int selected = panel_.List1->currentRow();
    if (count > 0 && trim_.mode() != EditMode::Edit)
        for (QWidget *w : {panel_.CmdFoward, panel_.CmdPause, panel_.CmdPlay, panel_.CmdStop, panel_.CmdNext})
            w->setEnabled(true);
    panel_.CmdNext->setEnabled(!(selected < 0 || selected + 1 == count));
    panel_.CmdFoward->setEnabled(!(selected < 0 || selected == 0 || count == 0));
}
